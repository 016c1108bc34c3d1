// The sweep's controls: pass time, direction, spacing, restart, pause and
// the marker.
#include "command/SweepControls.h"

#include "command/SettingLimits.h"

namespace control {

void TSweepControls::SwGaugeBarChange(int position) { Frame.Settings().SetSweepTime(position); }

void TSweepControls::SweepDirBarChange(int position) {
  const auto direction = static_cast<TDirection>(position);
  Frame.Settings().SetDirection(direction);
  // Both ways keeps the direction of the pass; the engine reverses it.
  if (direction == TDirection::Up) Frame.Shared.State.SweepUp = true;
  if (direction == TDirection::Down) Frame.Shared.State.SweepUp = false;
}

void TSweepControls::LinLogGaugeChange(int position) {
  Frame.Settings().SetLogSpacing(position != 0);
}

void TSweepControls::SwRstBtnClick() {
  Frame.Change([&] {
    Frame.Settings().RequestSweepRestart();
    // A restart by hand starts from the starting end without reversing.
    Frame.Shared.State.SweepStarted = false;
  });
}

void TSweepControls::PauseBtnClick(bool down) {
  Frame.Change([&] { Frame.Settings().SetPause(down); });
  Frame.Changed();
}

TOutcome TSweepControls::SetPause(bool on) {
  return Frame.Settings().Pause() == on ? TOutcome::Done : Frame.Press(&TPanelState::PauseBtn);
}

TOutcome TSweepControls::RestartSweep() { return Frame.Press(&TPanelState::SwRstBtn); }

TOutcome TSweepControls::Slide(TSetting setting, TGaugeId gauge, int position) {
  if (!Frame.Takes(setting)) return TOutcome::Disabled;
  if (!LimitsOf(setting, Frame.Settings()).Contains(position)) return TOutcome::Invalid;
  return Frame.UserMoved(gauge, position);
}

TOutcome TSweepControls::SetSweepTime(int seconds) {
  return Slide(TSetting::SweepTime, &TPanelState::SwGaugeBar, seconds);
}

TOutcome TSweepControls::SetLogSpacing(bool logarithmic) {
  return Slide(TSetting::Spacing, &TPanelState::LinLogGauge, logarithmic ? 1 : 0);
}

TOutcome TSweepControls::SetSweepDirection(TDirection direction) {
  return Slide(TSetting::Direction, &TPanelState::SweepDirBar, static_cast<int>(direction));
}

TOutcome TSweepControls::SetMarker(double shownValue) {
  if (!Frame.Takes(TSetting::Marker)) return TOutcome::Disabled;
  TOutcome outcome = TOutcome::Invalid;
  Frame.Change([&] {
    TGeneratorSettings& s = Frame.Settings();
    if (!LimitsOf(TSetting::Marker, s).Contains(shownValue)) return;
    s.SetMarker(AskedFrequency(shownValue * s.DividerFactor()));
    outcome = TOutcome::Done;
  });
  Frame.Changed();
  return outcome;
}

}  // namespace control
