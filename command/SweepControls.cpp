// The sweep's controls: pass time, direction, spacing, restart, pause and
// the marker.
#include "command/SweepControls.h"

#include <string>

#include "command/SettingLimits.h"

namespace control {

namespace {
const std::string SweepTimePrefix = "Sweep time ";
}  // namespace

void TSweepControls::SwGaugeBarChange() {
  TPanelState& p = Frame.Panel;
  const std::string seconds = std::to_string(p.SwGaugeBar.Position);
  const std::size_t padding = seconds.size() < 3 ? 3 - seconds.size() : 0;
  p.SwTimeText = SweepTimePrefix + std::string(padding, ' ') + seconds + " s";
}

void TSweepControls::SweepDirBarChange() {
  const int position = Frame.Panel.SweepDirBar.Position;
  if (position == 0) Frame.Shared.State.SweepUp = true;
  if (position == 2) Frame.Shared.State.SweepUp = false;
  // Position 1 (both ways) keeps the direction; the engine reverses it.
}

void TSweepControls::SwRstBtnClick() {
  Frame.Change([&] {
    Frame.Shared.State.Flags.SweepRestart = true;
    // A restart by hand starts from the starting end without reversing.
    Frame.Shared.State.SweepStarted = false;
  });
}

void TSweepControls::PauseBtnClick() {
  Frame.Change([&] {
    TButtonState& pause = Frame.Panel.PauseBtn;
    pause.FontColor = pause.Down ? colors::Red : colors::Teal;
  });
  Frame.Changed();
}

TOutcome TSweepControls::SetPause(bool on) {
  return Frame.Panel.PauseBtn.Down == on ? TOutcome::Done : Frame.Press(&TPanelState::PauseBtn);
}

TOutcome TSweepControls::RestartSweep() { return Frame.Press(&TPanelState::SwRstBtn); }

TOutcome TSweepControls::SetSweepTime(int seconds) {
  return Frame.Slide(TControl::SwGaugeBar, &TPanelState::SwGaugeBar, seconds);
}

TOutcome TSweepControls::SetLogSpacing(bool logarithmic) {
  return Frame.Slide(TControl::LinLogGauge, &TPanelState::LinLogGauge, logarithmic ? 1 : 0);
}

TOutcome TSweepControls::SetSweepDirection(TSweepDirection direction) {
  return Frame.Slide(TControl::SweepDirBar, &TPanelState::SweepDirBar, static_cast<int>(direction));
}

TOutcome TSweepControls::SetMarker(double shownValue) {
  if (!Frame.Takes(TControl::SweepMarker)) return TOutcome::Disabled;
  TOutcome outcome = TOutcome::Invalid;
  Frame.Change([&] {
    screen::TZOLScreenModel& m = Frame.Shared.Model;
    if (!LimitsOf(TSetting::Marker, m).Contains(shownValue)) return;
    m.SetSlotFreq(screen::MarkerSlot, shownValue * m.DividerFactor());
    // Where a drag would stop it: between Start and Stop, never right of
    // the output frequency.
    screen::TFreqSlot& marker = m.Slots[screen::MarkerSlot];
    auto keepAt = [&](int slot, bool beyond) {
      if (m.Slots[slot].Visible && beyond) {
        marker.Position = m.Slots[slot].Position;
        marker.Freq = m.Slots[slot].Freq;
        marker.Word = m.Slots[slot].Word;
      }
    };
    keepAt(screen::StartSlot, marker.Position < m.Slots[screen::StartSlot].Position);
    keepAt(screen::StopSlot, marker.Position > m.Slots[screen::StopSlot].Position);
    keepAt(screen::FrequencySlot, marker.Position > m.Slots[screen::FrequencySlot].Position);
    Frame.Shared.State.Flags.PulseWidthDirty = true;
    outcome = TOutcome::Done;
  });
  return outcome;
}

}  // namespace control
