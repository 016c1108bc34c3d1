// The command path as a whole: a reset to the start-up settings.
#include <gtest/gtest.h>

#include "tests/command/CommandPathFixture.h"

namespace control::test {
namespace {

TEST_F(CommandPathTest, ResetKeepsTheConnectionAndRestoresTheStartUpSettings) {
  ASSERT_EQ(Control.Waveform().SetWaveform(TWaveform::Square), TOutcome::Done);
  ASSERT_EQ(Control.Waveform().SetAttenuation(7), TOutcome::Done);
  ASSERT_EQ(Control.Modes().SetSweep(true), TOutcome::Done);
  Locked([](TSharedState& s) {
    s.State.DeviceOnline = true;
    s.State.PortName = "sim0";
    s.Model.SquareAmpTable[0] = 9.0f;
    return 0;
  });
  Control.ResetSettings();
  const screen::TZOLScreenModel m = Control.Model();
  const TControlState s = Control.State();
  EXPECT_EQ(Control.Panel().SweepBtn, TPanelState{}.SweepBtn);
  EXPECT_TRUE(Control.Panel().SineBtn.Down);
  EXPECT_EQ(m.Waveform, 1);
  EXPECT_EQ(m.AmpLevelSquare, 0);
  EXPECT_FALSE(m.LogScale);
  EXPECT_EQ(m.SquareAmpTable[0], 9.0f) << "the device's tables stay";
  EXPECT_TRUE(s.DeviceOnline);
  EXPECT_EQ(s.PortName, "sim0");
  EXPECT_TRUE(Control.Settings().Marked().ResyncAll) << "the device is stopped at the next tick";
}

}  // namespace
}  // namespace control::test
