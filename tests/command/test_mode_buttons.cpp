// The mode buttons by meaning: they press the enabled buttons a user would,
// and the tick sees the new mode in the settings.
#include <gtest/gtest.h>

#include "tests/command/CommandPathFixture.h"

namespace control::test {
namespace {

TEST_F(CommandPathTest, ModeChangesPressTheEnabledButtonsAsAUserWould) {
  ASSERT_EQ(Control.Modes().SetPulse(true), TOutcome::Done);
  EXPECT_EQ(Control.Waveform().SetWaveform(TWaveform::Triangle), TOutcome::Done);
  EXPECT_FALSE(Control.Panel().PulseBtn.Down) << "a waveform leaves pulse mode first";
  EXPECT_TRUE(Control.Panel().TriBtn.Down);
  EXPECT_FALSE(Control.Panel().SineBtn.Down);
  EXPECT_EQ(Control.Model().Waveform, 2);

  ASSERT_EQ(Control.Modes().SetRun(true), TOutcome::Done);
  EXPECT_EQ(Control.Modes().SetSweep(true), TOutcome::Done);
  EXPECT_FALSE(Control.Panel().RunBtn.Down) << "a mode change releases Run";
  // The tick sees the sweep in the settings; the screen shows it.
  Locked([](TSharedState& s) {
    EXPECT_EQ(s.Settings.Mode(), TMode::Sweep);
    EXPECT_FALSE(s.Settings.Run());
    EXPECT_TRUE(s.Model.LogScale);
    EXPECT_FALSE(s.Model.Slots[screen::FrequencySlot].Visible);
    EXPECT_TRUE(s.Settings.Marked().ResyncAll);
    return 0;
  });
  EXPECT_EQ(Control.Modes().SetPulse(true), TOutcome::Done)
      << "Pulse from sweep mode releases Sweep";
  EXPECT_TRUE(Control.Panel().PulseBtn.Down);
  EXPECT_FALSE(Control.Panel().SweepBtn.Down);
}

}  // namespace
}  // namespace control::test
