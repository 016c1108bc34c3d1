// Pulse times by meaning: the nearest code, and a width that fits the period.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/command/CommandPathFixture.h"

namespace control::test {
namespace {

TEST_F(CommandPathTest, PulseTimesLandOnTheNearestCodeAndTheWidthFitsThePeriod) {
  ASSERT_EQ(Control.Modes().SetPulse(true), TOutcome::Done);
  EXPECT_EQ(Control.Pulse().SetPulseTime(true, 1e-6), TOutcome::Disabled)
      << "shorter than the width";
  ASSERT_EQ(Control.Pulse().SetPulseTime(false, 1e-6), TOutcome::Done);
  for (double period : {4e-6, 1e-3, 3.3e-3}) {
    ASSERT_EQ(Control.Pulse().SetPulseTime(true, period), TOutcome::Done) << period;
    const screen::TZOLScreenModel m = Control.Model();
    // One code is 1/16 µs with the prescaler 1.
    EXPECT_NEAR(m.PulseTime(m.PulsePeriodCode()), period, 0.5 / 16e6 + 1e-12) << period;
  }
  EXPECT_EQ(Control.Pulse().SetPulseTime(false, 1e-3), TOutcome::Done);
  const screen::TZOLScreenModel before = Control.Model();
  EXPECT_EQ(Control.Pulse().SetPulseTime(false, 4e-3), TOutcome::Disabled)
      << "longer than the period";
  EXPECT_EQ(Control.Model().PulseWidthCode(), before.PulseWidthCode());
  EXPECT_EQ(Control.Pulse().SetPulseTime(true, 1.0), TOutcome::Invalid) << "past 65536 codes";
  EXPECT_TRUE(Control.State().Flags.PulseWidthDirty);
}

}  // namespace
}  // namespace control::test
