// The command path without a window: the operations by meaning apply the
// controls' rules, each change publishes the tick's snapshot with it, and
// the wire waiters are answered in order once their tick has written.
#include <gtest/gtest.h>

#include <cmath>
#include <mutex>
#include <vector>

#include "control/DeviceLink.h"
#include "control/GeneratorControl.h"
#include "serial/TinyComms.h"

namespace control::test {
namespace {

class CommandPathTest : public ::testing::Test {
 protected:
  CommandPathTest() { Control.InitControlState(); }

  template <class F>
  auto Locked(F f) {
    std::lock_guard<std::mutex> guard(Shared.Lock);
    return f(Shared);
  }

  TSharedState Shared;
  serial::TTinyComPort Port;
  TDeviceLink Link{Shared, Port};
  TGeneratorControl Control{Shared, Link};
};

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
      {"pulse width", Control.Pulse().SetPulseTime(false, 1e-4)},
      {"marker", Control.Sweep().SetMarker(300)},
  };
  for (const TCase& c : normal) EXPECT_EQ(c.Outcome, TOutcome::Disabled) << c.Name;
  EXPECT_EQ(Control.Model().Slots[screen::StartSlot].Freq, before.Slots[screen::StartSlot].Freq);
  EXPECT_FALSE(Control.Panel().InvertBtn.Down);

  ASSERT_EQ(Control.Modes().SetPulse(true), TOutcome::Done);
  EXPECT_EQ(Control.Frequency().SetValue(TEntry::Frequency, 2000), TOutcome::Disabled) << "Set in pulse mode";
  EXPECT_EQ(Control.Frequency().Step(2), TOutcome::Disabled) << "arrows in pulse mode";
  EXPECT_EQ(Control.Pulse().SetInvert(true), TOutcome::Done);
  EXPECT_EQ(Control.Pulse().SetPrescaler(9), TOutcome::Invalid) << "off the prescaler gauge";
}

TEST_F(CommandPathTest, ModeChangesPressTheEnabledButtonsAsAUserWould) {
  ASSERT_EQ(Control.Modes().SetPulse(true), TOutcome::Done);
  EXPECT_EQ(Control.Waveform().SetWaveform(2), TOutcome::Done);
  EXPECT_FALSE(Control.Panel().PulseBtn.Down) << "a waveform leaves pulse mode first";
  EXPECT_TRUE(Control.Panel().TriBtn.Down);
  EXPECT_FALSE(Control.Panel().SineBtn.Down);
  EXPECT_EQ(Control.Model().Waveform, 2);

  ASSERT_EQ(Control.Modes().SetRun(true), TOutcome::Done);
  EXPECT_EQ(Control.Modes().SetSweep(true), TOutcome::Done);
  EXPECT_FALSE(Control.Panel().RunBtn.Down) << "a mode change releases Run";
  // The tick sees the sweep in the snapshot together with the model it needs.
  Locked([](TSharedState& s) {
    EXPECT_TRUE(s.Controls.SweepDown);
    EXPECT_FALSE(s.Controls.RunDown);
    EXPECT_TRUE(s.Model.LogScale);
    EXPECT_FALSE(s.Model.Slots[screen::FrequencySlot].Visible);
    EXPECT_TRUE(s.State.Flags.ResyncAll);
    return 0;
  });
  EXPECT_EQ(Control.Modes().SetPulse(true), TOutcome::Done) << "Pulse from sweep mode releases Sweep";
  EXPECT_TRUE(Control.Panel().PulseBtn.Down);
  EXPECT_FALSE(Control.Panel().SweepBtn.Down);
}

TEST_F(CommandPathTest, PulseTimesLandOnTheNearestCodeAndTheWidthFitsThePeriod) {
  ASSERT_EQ(Control.Modes().SetPulse(true), TOutcome::Done);
  EXPECT_EQ(Control.Pulse().SetPulseTime(true, 1e-6), TOutcome::Disabled) << "shorter than the width";
  ASSERT_EQ(Control.Pulse().SetPulseTime(false, 1e-6), TOutcome::Done);
  for (double period : {4e-6, 1e-3, 3.3e-3}) {
    ASSERT_EQ(Control.Pulse().SetPulseTime(true, period), TOutcome::Done) << period;
    const screen::TZOLScreenModel m = Control.Model();
    // One code is 1/16 µs with the prescaler 1.
    EXPECT_NEAR(m.PulseTime(m.PulsePeriodCode()), period, 0.5 / 16e6 + 1e-12) << period;
  }
  EXPECT_EQ(Control.Pulse().SetPulseTime(false, 1e-3), TOutcome::Done);
  const screen::TZOLScreenModel before = Control.Model();
  EXPECT_EQ(Control.Pulse().SetPulseTime(false, 4e-3), TOutcome::Disabled) << "longer than the period";
  EXPECT_EQ(Control.Model().PulseWidthCode(), before.PulseWidthCode());
  EXPECT_EQ(Control.Pulse().SetPulseTime(true, 1.0), TOutcome::Invalid) << "past 65536 codes";
  EXPECT_TRUE(Control.State().Flags.PulseWidthDirty);
}

TEST_F(CommandPathTest, WireWaitersAreAnsweredInOrderOnceTheirTickHasWritten) {
  std::vector<int> answered;
  Locked([](TSharedState& s) { return s.State.TicksStarted = s.State.TicksWritten = 7; });
  Control.Written().WhenWritten([&] { answered.push_back(1); });
  // A tick begins (it may have missed the change), then the next one.
  Locked([](TSharedState& s) { return s.State.TicksStarted = 8; });
  Control.Written().WhenWritten([&] { answered.push_back(2); });
  for (const auto& done : Control.Written().TakeWritten()) done();
  EXPECT_TRUE(answered.empty()) << "nothing written since";
  Locked([](TSharedState& s) { return s.State.TicksWritten = 8; });
  for (const auto& done : Control.Written().TakeWritten()) done();
  EXPECT_EQ(answered, std::vector<int>{1});
  Locked([](TSharedState& s) { return s.State.TicksWritten = 9; });
  for (const auto& done : Control.Written().TakeWritten()) done();
  EXPECT_EQ(answered, (std::vector<int>{1, 2}));
}

TEST_F(CommandPathTest, ResetKeepsTheConnectionAndRestoresTheStartUpSettings) {
  ASSERT_EQ(Control.Waveform().SetWaveform(3), TOutcome::Done);
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
  EXPECT_TRUE(s.Flags.ResyncAll) << "the device is stopped at the next tick";
}

TEST_F(CommandPathTest, DialogsAndOtherInputsReadOneDescriptionOfTheFrequency) {
  const std::optional<TEntryQuestion> set = Control.Frequency().AskEntry(TEntry::Frequency);
  ASSERT_TRUE(set);
  // The Set dialog takes 0 and values above the top, which the grid limits.
  EXPECT_EQ(Control.Frequency().Answer(*set, "0"), TOutcome::Done);
  EXPECT_EQ(Control.Frequency().Answer(*set, "20000000"), TOutcome::Done);
  EXPECT_EQ(Control.Frequency().Answer(*set, "-1"), TOutcome::Invalid);
  // Every other input keeps to the device's range.
  EXPECT_EQ(Control.Frequency().SetValue(TEntry::Frequency, 0), TOutcome::Invalid);
  EXPECT_EQ(Control.Frequency().SetValue(TEntry::Frequency, 13e6), TOutcome::Invalid);
  EXPECT_EQ(Control.Frequency().SetValue(TEntry::Frequency, 12.5e6), TOutcome::Done);
}

TEST_F(CommandPathTest, AStepOfItsOwnLeavesAHeldArrowRepeating) {
  Control.Frequency().ControlMouseDown(2, TMouseButton::Left);
  EXPECT_EQ(Control.Frequency().Step(1), TOutcome::Done);
  EXPECT_EQ(Control.State().RepeatTag, 2);
  Control.Frequency().ControlMouseUp(TMouseButton::Left);
  EXPECT_EQ(Control.State().RepeatTag, -1);
}

TEST(PortNameOfEntry, TrimsBlanksAndControlCharactersBeforeTheColon) {
  const std::pair<const char*, const char*> cases[] = {
      {"  sim0: Virtual generator (/dev/pts/3)", "sim0"},
      {"\tttyUSB0 : FT232R USB UART (ttyUSB0)\r\n", "ttyUSB0"},
      {"\x01" "COM3", "COM3"},
      {" \t ", ""},
  };
  for (const auto& [line, name] : cases) EXPECT_EQ(PortNameOfEntry(line), name) << line;
}

}  // namespace
}  // namespace control::test
