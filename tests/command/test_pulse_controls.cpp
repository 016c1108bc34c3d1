// Pulse times by meaning: the nearest code, and a width that fits the period
// (beyond it is out of range).
#include <gtest/gtest.h>

#include <cmath>

#include "tests/command/CommandPathFixture.h"

namespace control::test {
namespace {

TEST_F(CommandPathTest, PulseTimesLandOnTheNearestCodeAndTheWidthFitsThePeriod) {
  ASSERT_EQ(Control.Modes().SetPulse(true), TOutcome::Done);
  EXPECT_EQ(Control.Pulse().SetPulseTime(TSetting::PulsePeriod, 1e-6), TOutcome::Invalid)
      << "shorter than the width: out of range, not disabled";
  ASSERT_EQ(Control.Pulse().SetPulseTime(TSetting::PulseWidth, 1e-6), TOutcome::Done);
  for (double period : {4e-6, 1e-3, 3.3e-3}) {
    ASSERT_EQ(Control.Pulse().SetPulseTime(TSetting::PulsePeriod, period), TOutcome::Done)
        << period;
    const screen::TZOLScreenModel m = Control.Model();
    // One code is 1/16 µs with the prescaler 1; the screen shows that time.
    EXPECT_NEAR(m.Slots[screen::FrequencySlot].Time, period, 0.5 / 16e6 + 1e-12) << period;
  }
  EXPECT_EQ(Control.Pulse().SetPulseTime(TSetting::PulseWidth, 1e-3), TOutcome::Done);
  const int widthBefore = Control.Settings().WidthCode();
  EXPECT_EQ(Control.Pulse().SetPulseTime(TSetting::PulseWidth, 4e-3), TOutcome::Invalid)
      << "longer than the period";
  EXPECT_EQ(Control.Settings().WidthCode(), widthBefore);
  EXPECT_EQ(Control.Pulse().SetPulseTime(TSetting::PulsePeriod, 1.0), TOutcome::Invalid)
      << "past 65536 codes";
  EXPECT_TRUE(Control.Settings().Marked().PulseWidthDirty);
}

}  // namespace
}  // namespace control::test
