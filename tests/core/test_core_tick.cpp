// The update tick: resync, the order of the sends, the re-entry guard, the
// redraw request and a device that vanishes under the tick.
#include "tests/core/test_core_fixture.h"

namespace control::test {
namespace {

using TTokens = std::vector<std::string>;

class TickTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    Model.AmpLevelAnalog = 3;
    Model.AmpLevelSquare = 9;
    Model.Slots[screen::FrequencySlot].Word = 0x00123456;
  }
  bool AnyFlag() const {
    const TUpdateFlags& f = Shared.State.Flags;
    return f.ResyncAll || f.PulseModeDirty || f.AmpSquareDirty || f.AmpAnalogDirty ||
           f.PulseWidthDirty || f.InvertDirty || f.SweepRestart || f.FreqDirty || f.FreqStepDirty ||
           f.WaveDirty || f.PulseDivDirty;
  }
};

TEST_F(TickTest, ResyncInPulseModeStopsBeforePulseModeAndSendsNoWaveform) {
  Shared.Controls.PulseDown = true;
  Shared.Controls.InvertDown = true;
  Shared.Controls.DivGaugePos = -2;
  Shared.State.Flags.ResyncAll = true;
  const int period = Model.PulsePeriodCode();
  const int width = Model.PulseWidthCode();
  char p[8], w[8];
  std::snprintf(p, sizeof p, "p:%04X", period);
  std::snprintf(w, sizeof w, "w:%04X", width);
  EXPECT_EQ(TickTokens(),
            (TTokens{"code:040003", "code:020009", "Z", "code:010001", p, w, "m:1", "d:3"}));
  EXPECT_FALSE(AnyFlag());
  EXPECT_EQ(Redraws, 1);
}

TEST_F(TickTest, ResyncOutsidePulseModeSendsLevelsFrequencyAndWaveform) {
  Shared.Controls.TriDown = true;
  Shared.State.Flags.ResyncAll = true;
  EXPECT_EQ(TickTokens(),
            (TTokens{"code:040003", "code:020009", "coarse:401234", "fine:C00056", "code:102002"}));
  EXPECT_FALSE(AnyFlag());
}

TEST_F(TickTest, ResyncInSweepModeRestartsTheSweep) {
  Shared.Controls.SweepDown = true;
  Shared.State.SweepUp = true;
  Shared.State.Flags.ResyncAll = true;
  const TTokens tokens = TickTokens();
  ASSERT_EQ(tokens.size(), 7u);
  EXPECT_EQ(tokens[2], "s");
  EXPECT_EQ(tokens[3].substr(0, 7), "coarse:");
  EXPECT_EQ(tokens[4].substr(0, 5), "fine:");
  EXPECT_EQ(tokens[5], "S");
  EXPECT_EQ(tokens[6], "code:102000");
  EXPECT_FALSE(Shared.State.Flags.SweepRestart);
}

TEST_F(TickTest, RunUpSendsOnlyTheStopOfEachResyncAndKeepsFlags) {
  Shared.Controls.RunDown = false;
  TUpdateFlags& flags = Shared.State.Flags;
  flags.FreqDirty = flags.AmpAnalogDirty = flags.InvertDirty = flags.WaveDirty = true;
  flags.ResyncAll = true;
  EXPECT_EQ(Tick(), "Z");
  EXPECT_FALSE(flags.ResyncAll);
  EXPECT_FALSE(flags.WaveDirty);
  EXPECT_TRUE(flags.FreqDirty && flags.AmpAnalogDirty && flags.InvertDirty);
  EXPECT_EQ(Tick(), "");
  EXPECT_EQ(Tick(), "");
  flags.ResyncAll = true;
  EXPECT_EQ(Tick(), "Z");
  EXPECT_EQ(Redraws, 4);
}

TEST_F(TickTest, SendsInTheFixedOrder) {
  Shared.Controls.SquareDown = true;
  TUpdateFlags& flags = Shared.State.Flags;
  flags.PulseDivDirty = flags.InvertDirty = flags.WaveDirty = flags.FreqStepDirty = true;
  flags.AmpSquareDirty = flags.AmpAnalogDirty = true;
  Shared.State.LastSentWord = 0x00123456;
  EXPECT_EQ(TickTokens(),
            (TTokens{"code:040003", "code:020009", "fine:C00000", "code:102028", "m:0", "d:1"}));
}

TEST_F(TickTest, DemonstrationConsumesFlagsWritesNothingAndRedraws) {
  Shared.State.DeviceOnline = false;
  Shared.State.Flags.ResyncAll = true;
  EXPECT_EQ(Tick(), "");
  EXPECT_FALSE(AnyFlag());
  Shared.State.Flags.FreqStepDirty = true;
  EXPECT_EQ(Tick(), "");
  EXPECT_FALSE(AnyFlag());
  EXPECT_EQ(Redraws, 2);
}

TEST_F(TickTest, GuardSkipsCallbacksWithoutRedrawAndLeavesNoDebt) {
  Shared.State.TickGuard = 2;
  Shared.State.Flags.AmpAnalogDirty = true;
  EXPECT_EQ(Tick(), "");
  EXPECT_EQ(Shared.State.TickGuard, 1);
  EXPECT_EQ(Tick(), "");
  EXPECT_EQ(Shared.State.TickGuard, 0);
  EXPECT_EQ(Redraws, 0);
  EXPECT_TRUE(Shared.State.Flags.AmpAnalogDirty);
  EXPECT_EQ(TickTokens(), (TTokens{"code:040003"}));
  EXPECT_EQ(Shared.State.TickGuard, 0);
  EXPECT_EQ(Redraws, 1);
}

TEST_F(TickTest, RedrawIsRequestedAfterTheLockIsReleased) {
  bool lockedDuringSend = false;
  // The redraw request comes after the lock is released.
  Cycle.PostRedraw = [&] {
    lockedDuringSend = !Shared.Lock.try_lock();
    if (!lockedDuringSend) Shared.Lock.unlock();
  };
  Tick();
  EXPECT_FALSE(lockedDuringSend);
}

TEST_F(TickTest, VanishedDeviceGoesOfflineWithoutEscapingTheTick) {
  Device.CloseMaster();
  Shared.State.Flags.ResyncAll = true;
  for (int i = 0; i < 3 && Lost.empty(); ++i) {
    EXPECT_NO_THROW(Cycle.TimerCallback());
    Shared.State.Flags.ResyncAll = true;
  }
  ASSERT_EQ(Lost.size(), 1u);
  EXPECT_FALSE(Lost.front().empty());
  EXPECT_FALSE(Shared.State.DeviceOnline);
  EXPECT_EQ(Shared.State.TickGuard, 0);
  EXPECT_GE(Redraws, 1);
  // Offline now: later ticks leave the port alone.
  EXPECT_NO_THROW(Cycle.TimerCallback());
  EXPECT_EQ(Lost.size(), 1u);
}

}  // namespace
}  // namespace control::test
