// Pulse timing by meaning: the period and the width in seconds, as a drag
// on the scale would place them.
#include <cmath>

#include "control/GeneratorControl.h"

namespace control {

TOutcome TGeneratorControl::SetPulseTime(bool period, double seconds) {
  if (!FPanel.PulseBtn.Down) return TOutcome::Disabled;
  TOutcome outcome = TOutcome::Invalid;
  Change([&] {
    screen::TZOLScreenModel& m = Shared.Model;
    const int minCode = period ? 3 : 1;
    // The time is (code + 1) clock periods behind the prescaler.
    const double periods = seconds * screen::PulseClock / m.Prescaler();
    if (!(periods >= minCode + 0.5 && periods <= 0x10000 + 0.5)) return;
    const int code = static_cast<int>(std::nearbyint(periods)) - 1;
    screen::TZOLScreenModel next = m;
    next.SetSlotPulseCode(period ? screen::FrequencySlot : screen::MarkerSlot, code, minCode);
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
