#pragma once
// Model states shared by the screen's tests.

#include "screen/ZOLScreenModel.h"

namespace screen::test {

// Sweep mode on the logarithmic scale: 100 Hz to 100 kHz, the marker at 5 kHz.
inline void ShowSweep(TZOLScreenModel& m) {
  m.LogScale = true;
  m.ShowFrequencySlot(false);
  m.ShowRangeSlots(true);
  m.ShowMarkerSlot(true);
  m.SetSlotFreq(StartSlot, 100);
  m.SetSlotFreq(StopSlot, 100000);
  m.SetSlotFreq(MarkerSlot, 5000);
}

// Pulse mode as the program shows it by default: period code 256 and width
// code 149 (the output at 1 kHz, the marker at 500 Hz), times and rate of
// the 16 MHz pulse clock through the prescaler.
inline void ShowPulse(TZOLScreenModel& m, int prescaler = 1) {
  m.Waveform = -3;
  m.ShowMarkerSlot(true);
  m.ShowPulseCode(FrequencySlot, 256, 257.0 * prescaler / PulseClock);
  m.ShowPulseCode(MarkerSlot, 149, 150.0 * prescaler / PulseClock);
  m.PulseRate = PulseClock / (257.0 * prescaler);
}

}  // namespace screen::test
