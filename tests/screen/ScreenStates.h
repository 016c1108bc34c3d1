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

}  // namespace screen::test
