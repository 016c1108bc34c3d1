// The command path's frame: the one locked change, clicks and gauge moves
// as the controls make them, and the operations by meaning.
#include "control/GeneratorControl.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>

#include "control/DeviceLink.h"
#include "control/SettingLimits.h"

namespace control {

namespace {

using Guard = std::lock_guard<std::mutex>;

// Down-state groups as the layout sets them: 0 is a push button; a button
// alone in a group with all-up allowed is a toggle.
struct TGroup {
  TGeneratorControl::TButtonId Button;
  int Group;
  bool AllowAllUp;
};

constexpr std::array<TGroup, 16> Groups = {{
    {&TPanelState::FLeftBtn, 0, false},   {&TPanelState::FDeltaFBtn, 0, false},
    {&TPanelState::FRightBtn, 0, false},  {&TPanelState::FSetBtn, 0, false},
    {&TPanelState::FStartBtn, 0, false},  {&TPanelState::FstopBtn, 0, false},
    {&TPanelState::SweepBtn, 1, true},    {&TPanelState::PulseBtn, 1, true},
    {&TPanelState::InvertBtn, 2, true},   {&TPanelState::SwRstBtn, 0, false},
    {&TPanelState::PauseBtn, 3, true},    {&TPanelState::RunBtn, 4, true},
    {&TPanelState::ConnectBtn, 5, true},  {&TPanelState::SineBtn, 6, false},
    {&TPanelState::TriBtn, 6, false},     {&TPanelState::SquareBtn, 6, false},
}};

const TGroup& GroupOf(TGeneratorControl::TButtonId button) {
  return *std::find_if(Groups.begin(), Groups.end(),
                       [button](const TGroup& g) { return g.Button == button; });
}

}  // namespace

TGeneratorControl::TGeneratorControl(TSharedState& shared, TDeviceLink& link)
    : Shared(shared), Link(link) {}

void TGeneratorControl::Change(const std::function<void()>& change) {
  Guard guard(Shared.Lock);
  change();
  ApplyModesLocked();
  Shared.Controls = FPanel.Snapshot();
}

void TGeneratorControl::ApplyModesLocked() {
  const TModeKey key = ModeKey();
  ApplyModesTable(FPanel, key);
  // A held arrow stops repeating the moment it is disabled: its release may
  // never come through.
  std::int32_t& held = Shared.State.RepeatTag;
  if (held >= 0 && !control::Takes(held == 1 ? TControl::FLeftBtn : TControl::FRightBtn, key))
    held = -1;
}

void TGeneratorControl::Read(const std::function<void()>& read) const {
  Guard guard(Shared.Lock);
  read();
}

void TGeneratorControl::Changed() {
  if (PanelChanged) PanelChanged();
}

screen::TZOLScreenModel TGeneratorControl::Model() const {
  Guard guard(Shared.Lock);
  return Shared.Model;
}

TControlState TGeneratorControl::State() const {
  Guard guard(Shared.Lock);
  return Shared.State;
}

void TGeneratorControl::InitControlState() {
  Change([&] {
    TControlState& s = Shared.State;
    s.ClearUpdateFlags();
    s.DeviceOnline = false;
    s.LastSentWord = ForceCoarseWord;
    s.SweepUp = FPanel.SweepDirBar.Position == 0;
    s.SweepStarted = true;
    s.DragSlot = -1;
    s.RepeatTag = -1;
    SwGaugeBarChangeLocked();
  });
  Changed();
}

void TGeneratorControl::SetValueAspect(double aspect) {
  Change([&] { Shared.Model.ValueAspect = aspect; });
}

// The widget has already changed its down state, and released the rest of
// its group when it went down; the data follows it.
TOutcome TGeneratorControl::UserClicked(TButtonId button, bool down) {
  if (!Takes(ControlOf(button))) {
    // The widget shows the panel's state again.
    Changed();
    return TOutcome::Disabled;
  }
  const TGroup& group = GroupOf(button);
  if (group.Group != 0) {
    (FPanel.*button).Down = down;
    if (down) {
      for (const TGroup& other : Groups)
        if (other.Group == group.Group && other.Button != button) (FPanel.*other.Button).Down = false;
    }
  }
  RunHandler(button);
  return TOutcome::Done;
}

void TGeneratorControl::RunHandler(TButtonId button) {
  if (button == &TPanelState::RunBtn) return RunBtnClick();
  if (button == &TPanelState::SweepBtn || button == &TPanelState::PulseBtn) return SweepBtnClick();
  if (button == &TPanelState::SwRstBtn) return SwRstBtnClick();
  if (button == &TPanelState::PauseBtn) return PauseBtnClick();
  if (button == &TPanelState::InvertBtn) return InvertBtnClick();
  if (button == &TPanelState::SineBtn) return FormBtnClick(1);
  if (button == &TPanelState::TriBtn) return FormBtnClick(2);
  if (button == &TPanelState::SquareBtn) return FormBtnClick(3);
  // The arrows, Connect and the dialog buttons have handlers of their own.
}

TOutcome TGeneratorControl::UserMoved(TGaugeId gauge, int position) {
  const bool takes = Takes(ControlOf(gauge));
  if (takes) Change([&] { MoveGauge(FPanel.*gauge, position); });
  Changed();
  return takes ? TOutcome::Done : TOutcome::Disabled;
}

void TGeneratorControl::MoveGauge(TGaugeState& gauge, int position) {
  position = std::clamp(position, gauge.Minimum, std::max(gauge.Minimum, gauge.Maximum));
  if (gauge.Position == position) return;
  gauge.Position = position;
  GaugeChanged(gauge);
}

void TGeneratorControl::SetGaugeMinimum(TGaugeState& gauge, int minimum) {
  gauge.Minimum = minimum;
  if (gauge.Position < minimum) MoveGauge(gauge, minimum);
}

void TGeneratorControl::GaugeChanged(const TGaugeState& gauge) {
  if (&gauge == &FPanel.AmpGaugeBar) return AmpGaugeBarChangeLocked();
  if (&gauge == &FPanel.DivGaugeBar) return DivGaugeBarChangeLocked();
  if (&gauge == &FPanel.SwGaugeBar) return SwGaugeBarChangeLocked();
  if (&gauge == &FPanel.SweepDirBar) return SweepDirBarChangeLocked();
  // The lin/log gauge has no handler: the sweep reads it at every tick.
}

TOutcome TGeneratorControl::Press(TButtonId button) {
  const TGroup& group = GroupOf(button);
  bool down = (FPanel.*button).Down;
  if (group.Group != 0 && !(down && !group.AllowAllUp)) down = !down;
  return UserClicked(button, down);
}

TOutcome TGeneratorControl::Slide(TControl meaning, TGaugeId gauge, int position) {
  if (!Takes(meaning)) return TOutcome::Disabled;
  const TGaugeState& state = FPanel.*gauge;
  if (position < state.Minimum || position > state.Maximum) return TOutcome::Invalid;
  return UserMoved(gauge, position);
}

void TGeneratorControl::TakeWidgetDown(TButtonId button, bool down) {
  if ((FPanel.*button).Down == down) return;
  Change([&] { (FPanel.*button).Down = down; });
}

// --- Operations by meaning.

TOutcome TGeneratorControl::SetRun(bool on) {
  return FPanel.RunBtn.Down == on ? TOutcome::Done : Press(&TPanelState::RunBtn);
}

TOutcome TGeneratorControl::SetSweep(bool on) {
  if (FPanel.SweepBtn.Down == on) return TOutcome::Done;
  if (on && FPanel.PulseBtn.Down) Press(&TPanelState::PulseBtn);
  return Press(&TPanelState::SweepBtn);
}

TOutcome TGeneratorControl::SetPulse(bool on) {
  if (FPanel.PulseBtn.Down == on) return TOutcome::Done;
  if (on && FPanel.SweepBtn.Down) Press(&TPanelState::SweepBtn);
  return Press(&TPanelState::PulseBtn);
}

TOutcome TGeneratorControl::SetWaveform(int waveform) {
  static constexpr std::array<TButtonId, 3> Buttons = {&TPanelState::SineBtn, &TPanelState::TriBtn,
                                                       &TPanelState::SquareBtn};
  if (waveform < 1 || waveform > 3) return TOutcome::Invalid;
  if (FPanel.PulseBtn.Down) SetPulse(false);
  return Press(Buttons[static_cast<std::size_t>(waveform - 1)]);
}

TOutcome TGeneratorControl::SetAttenuation(int level) {
  return Slide(TControl::AmpGaugeBar, &TPanelState::AmpGaugeBar, -level);
}

TOutcome TGeneratorControl::SetSquareDivider(bool on) {
  return Slide(TControl::SquareDivider, &TPanelState::DivGaugeBar, on ? -1 : 0);
}

TOutcome TGeneratorControl::SetPrescaler(int index) {
  return Slide(TControl::Prescaler, &TPanelState::DivGaugeBar, -index);
}

TOutcome TGeneratorControl::SetInvert(bool on) {
  return FPanel.InvertBtn.Down == on ? TOutcome::Done : Press(&TPanelState::InvertBtn);
}

TOutcome TGeneratorControl::SetPause(bool on) {
  return FPanel.PauseBtn.Down == on ? TOutcome::Done : Press(&TPanelState::PauseBtn);
}

TOutcome TGeneratorControl::RestartSweep() { return Press(&TPanelState::SwRstBtn); }

TOutcome TGeneratorControl::SetSweepTime(int seconds) {
  return Slide(TControl::SwGaugeBar, &TPanelState::SwGaugeBar, seconds);
}

TOutcome TGeneratorControl::SetLogSpacing(bool logarithmic) {
  return Slide(TControl::LinLogGauge, &TPanelState::LinLogGauge, logarithmic ? 1 : 0);
}

TOutcome TGeneratorControl::SetSweepDirection(TSweepDirection direction) {
  return Slide(TControl::SweepDirBar, &TPanelState::SweepDirBar, static_cast<int>(direction));
}

TOutcome TGeneratorControl::SetMarker(double shownValue) {
  if (!Takes(TControl::SweepMarker)) return TOutcome::Disabled;
  TOutcome outcome = TOutcome::Invalid;
  Change([&] {
    screen::TZOLScreenModel& m = Shared.Model;
    if (!LimitsOf(TSetting::Marker, m).Contains(shownValue)) return;
    const double value = shownValue * m.DividerFactor();
    m.SetSlotFreq(screen::MarkerSlot, value);
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
    Shared.State.Flags.PulseWidthDirty = true;
    outcome = TOutcome::Done;
  });
  return outcome;
}

// A step of its own: an arrow held meanwhile goes on repeating, as the hand
// on it has not let go.
TOutcome TGeneratorControl::Step(int direction) {
  if (direction != 1 && direction != 2) return TOutcome::Invalid;
  if (!Takes(direction == 1 ? TControl::FLeftBtn : TControl::FRightBtn)) return TOutcome::Disabled;
  StepFrequency(direction);
  return TOutcome::Done;
}

void TGeneratorControl::ResetSettings() {
  Change([&] {
    TPanelState fresh;
    // The connection is kept, and with it what the handshake set.
    fresh.ConnectBtn = FPanel.ConnectBtn;
    FPanel = fresh;
    screen::TZOLScreenModel model;
    model.SquareAmpTable = Shared.Model.SquareAmpTable;
    model.AnalogAmpTable = Shared.Model.AnalogAmpTable;
    model.ValueAspect = Shared.Model.ValueAspect;
    model.SetBitmapSize(Shared.Model.BitmapWidth, Shared.Model.BitmapHeight);
    Shared.Model = model;
    TControlState& s = Shared.State;
    s.ClearUpdateFlags();
    s.LastSentWord = ForceCoarseWord;
    s.SweepUp = true;
    s.SweepStarted = true;
    s.SweepFreq = 0.0;
    s.LastMarkerState = false;
    s.DragSlot = -1;
    s.RepeatTag = -1;
    SwGaugeBarChangeLocked();
    // Run is up: the next tick stops the device.
    s.Flags.ResyncAll = true;
  });
  Changed();
}

void TGeneratorControl::WhenWritten(std::function<void()> done) {
  std::uint64_t tick = 0;
  // A tick that began before now may have missed the latest change: the
  // next one to begin writes it.
  Read([&] { tick = Shared.State.TicksStarted + 1; });
  WriteWaiters.push_back({tick, std::move(done)});
}

std::vector<std::function<void()>> TGeneratorControl::TakeWritten() {
  std::uint64_t written = 0;
  Read([&] { written = Shared.State.TicksWritten; });
  std::vector<std::function<void()>> ready;
  auto firstWaiting = std::stable_partition(WriteWaiters.begin(), WriteWaiters.end(),
                                            [&](const TWriteWaiter& w) { return w.Tick <= written; });
  for (auto it = WriteWaiters.begin(); it != firstWaiting; ++it) ready.push_back(std::move(it->Done));
  WriteWaiters.erase(WriteWaiters.begin(), firstWaiting);
  return ready;
}

}  // namespace control
