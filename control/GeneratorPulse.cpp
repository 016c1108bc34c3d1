// Pulse timing by meaning: the period and the width in seconds, as a drag
// on the scale would place them.
#include <cmath>

#include "control/GeneratorControl.h"
#include "control/SettingLimits.h"

namespace control {

TOutcome TGeneratorControl::SetPulseTime(bool period, double seconds) {
  if (!Takes(period ? TControl::PulsePeriod : TControl::PulseWidth)) return TOutcome::Disabled;
  TOutcome outcome = TOutcome::Invalid;
  Change([&] {
    screen::TZOLScreenModel& m = Shared.Model;
    if (!LimitsOf(period ? TSetting::PulsePeriod : TSetting::PulseWidth, m).Contains(seconds)) return;
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
    if (period) Shared.State.Flags.FreqDirty = true;
    else Shared.State.Flags.PulseWidthDirty = true;
    outcome = TOutcome::Done;
  });
  return outcome;
}

}  // namespace control
