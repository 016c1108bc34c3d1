// Pulse timing by meaning, the prescaler and the Invert button.
#include "command/PulseControls.h"

#include <cmath>

#include "command/SettingLimits.h"

namespace control {

void TPulseControls::InvertBtnClick() {
  Frame.Change([&] {
    TButtonState& invert = Frame.Panel.InvertBtn;
    invert.FontColor = invert.Down ? colors::Red : colors::Teal;
    Frame.Shared.State.Flags.InvertDirty = true;
  });
  Frame.Changed();
}

TOutcome TPulseControls::SetInvert(bool on) {
  return Frame.Panel.InvertBtn.Down == on ? TOutcome::Done : Frame.Press(&TPanelState::InvertBtn);
}

TOutcome TPulseControls::SetPrescaler(int index) {
  return Frame.Slide(TControl::Prescaler, &TPanelState::DivGaugeBar, -index);
}

TOutcome TPulseControls::SetPulseTime(bool period, double seconds) {
  if (!Frame.Takes(period ? TControl::PulsePeriod : TControl::PulseWidth))
    return TOutcome::Disabled;
  TOutcome outcome = TOutcome::Invalid;
  Frame.Change([&] {
    screen::TZOLScreenModel& m = Frame.Shared.Model;
    if (!LimitsOf(period ? TSetting::PulsePeriod : TSetting::PulseWidth, m).Contains(seconds))
      return;
    // The time is (code + 1) clock periods behind the prescaler.
    const double periods = seconds * screen::PulseClock / m.Prescaler();
    const int code = static_cast<int>(std::nearbyint(periods)) - 1;
    screen::TZOLScreenModel next = m;
    next.SetSlotPulseCode(period ? screen::FrequencySlot : screen::MarkerSlot, code,
                          period ? PeriodCodeMin : WidthCodeMin);
    // The width never lies beyond the period.
    if (next.Slots[screen::MarkerSlot].Position > next.Slots[screen::FrequencySlot].Position) {
      outcome = TOutcome::Disabled;
      return;
    }
    m = next;
    if (period)
      Frame.Shared.State.Flags.FreqDirty = true;
    else
      Frame.Shared.State.Flags.PulseWidthDirty = true;
    outcome = TOutcome::Done;
  });
  return outcome;
}

}  // namespace control
