// The gate of the command path's frame: a control the mode disables refuses
// every operation and changes nothing.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/command/CommandPathFixture.h"

namespace control::test {
namespace {

TEST_F(CommandPathTest, DisabledControlsRefuseAndChangeNothing) {
  const screen::TZOLScreenModel before = Control.Model();
  struct TCase {
    const char* Name;
    TOutcome Outcome;
  };
  const TCase normal[] = {
      {"start", Control.Frequency().SetValue(TEntry::Start, 100)},
      {"invert", Control.Pulse().SetInvert(true)},
      {"pause", Control.Sweep().SetPause(true)},
      {"restart", Control.Sweep().RestartSweep()},
      {"sweep time", Control.Sweep().SetSweepTime(5)},
      {"pulse width", Control.Pulse().SetPulseTime(TSetting::PulseWidth, 1e-4)},
      {"marker", Control.Sweep().SetMarker(300)},
  };
  for (const TCase& c : normal) EXPECT_EQ(c.Outcome, TOutcome::Disabled) << c.Name;
  EXPECT_EQ(Control.Model().Slots[screen::StartSlot].Freq, before.Slots[screen::StartSlot].Freq);
  EXPECT_FALSE(Control.Panel().InvertBtn.Down);

  ASSERT_EQ(Control.Modes().SetPulse(true), TOutcome::Done);
  EXPECT_EQ(Control.Frequency().SetValue(TEntry::Frequency, 2000), TOutcome::Disabled)
      << "Set in pulse mode";
  EXPECT_EQ(Control.Frequency().Step(2), TOutcome::Disabled) << "arrows in pulse mode";
  EXPECT_EQ(Control.Pulse().SetInvert(true), TOutcome::Done);
  EXPECT_EQ(Control.Pulse().SetPrescaler(9), TOutcome::Invalid) << "off the prescaler gauge";
}

}  // namespace
}  // namespace control::test
