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
    Settings.SetAttenuation(TWaveform::Sine, 3);
    Settings.SetAttenuation(TWaveform::Square, 9);
    Settings.SweepFrequency(OnWord(0x00123456));
    Settings.UnmarkAll();
  }
  bool AnyFlag() const { return !(Settings.Marked() == TUpdateFlags{}); }
};

TEST_F(TickTest, ResyncInPulseModeStopsBeforePulseModeAndSendsNoWaveform) {
  Settings.SetMode(TMode::Pulse);
  Settings.SetInvert(true);
  Settings.SetDivider(2);
  Settings.RequestResync();
  const int period = Settings.PeriodCode();
  const int width = Settings.WidthCode();
  char p[8], w[8];
  std::snprintf(p, sizeof p, "p:%04X", period);
  std::snprintf(w, sizeof w, "w:%04X", width);
  EXPECT_EQ(TickTokens(),
            (TTokens{"code:040003", "code:020009", "Z", "code:010001", p, w, "m:1", "d:3"}));
  EXPECT_FALSE(AnyFlag());
  EXPECT_EQ(Redraws, 1);
}

TEST_F(TickTest, ResyncOutsidePulseModeSendsLevelsFrequencyAndWaveform) {
  Settings.SetWaveform(TWaveform::Triangle);
  Settings.RequestResync();
  EXPECT_EQ(TickTokens(),
            (TTokens{"code:040003", "code:020009", "coarse:401234", "fine:C00056", "code:102002"}));
  EXPECT_FALSE(AnyFlag());
}

TEST_F(TickTest, ResyncInSweepModeRestartsTheSweep) {
  Settings.SetMode(TMode::Sweep);
  Shared.State.SweepUp = true;
  Settings.RequestResync();
  const TTokens tokens = TickTokens();
  ASSERT_EQ(tokens.size(), 7u);
  EXPECT_EQ(tokens[2], "s");
  EXPECT_EQ(tokens[3].substr(0, 7), "coarse:");
  EXPECT_EQ(tokens[4].substr(0, 5), "fine:");
  EXPECT_EQ(tokens[5], "S");
  EXPECT_EQ(tokens[6], "code:102000");
  EXPECT_FALSE(Settings.IsMarked(&TUpdateFlags::SweepRestart));
}

TEST_F(TickTest, RunUpSendsOnlyTheStopOfEachResyncAndKeepsFlags) {
  Settings.ReleaseRun();
  for (TMark mark : {&TUpdateFlags::FreqDirty, &TUpdateFlags::AmpAnalogDirty,
                     &TUpdateFlags::InvertDirty, &TUpdateFlags::WaveDirty})
    Settings.Mark(mark);
  Settings.RequestResync();
  EXPECT_EQ(Tick(), "Z");
  const TUpdateFlags& flags = Settings.Marked();
  EXPECT_FALSE(flags.ResyncAll);
  EXPECT_FALSE(flags.WaveDirty);
  EXPECT_TRUE(flags.FreqDirty && flags.AmpAnalogDirty && flags.InvertDirty);
  EXPECT_EQ(Tick(), "");
  EXPECT_EQ(Tick(), "");
  Settings.RequestResync();
  EXPECT_EQ(Tick(), "Z");
  EXPECT_EQ(Redraws, 4);
}

TEST_F(TickTest, SendsInTheFixedOrder) {
  Settings.SetWaveform(TWaveform::Square);
  for (TMark mark :
       {&TUpdateFlags::PulseDivDirty, &TUpdateFlags::InvertDirty, &TUpdateFlags::WaveDirty,
        &TUpdateFlags::FreqStepDirty, &TUpdateFlags::AmpSquareDirty, &TUpdateFlags::AmpAnalogDirty})
    Settings.Mark(mark);
  Shared.State.LastSentWord = 0x00123456;
  EXPECT_EQ(TickTokens(),
            (TTokens{"code:040003", "code:020009", "fine:C00000", "code:102028", "m:0", "d:1"}));
}

TEST_F(TickTest, DemonstrationConsumesFlagsWritesNothingAndRedraws) {
  Shared.State.DeviceOnline = false;
  Settings.RequestResync();
  EXPECT_EQ(Tick(), "");
  EXPECT_FALSE(AnyFlag());
  Settings.Mark(&TUpdateFlags::FreqStepDirty);
  EXPECT_EQ(Tick(), "");
  EXPECT_FALSE(AnyFlag());
  EXPECT_EQ(Redraws, 2);
}

TEST_F(TickTest, GuardSkipsCallbacksWithoutRedrawAndLeavesNoDebt) {
  Shared.State.TickGuard = 2;
  Settings.Mark(&TUpdateFlags::AmpAnalogDirty);
  EXPECT_EQ(Tick(), "");
  EXPECT_EQ(Shared.State.TickGuard, 1);
  EXPECT_EQ(Tick(), "");
  EXPECT_EQ(Shared.State.TickGuard, 0);
  EXPECT_EQ(Redraws, 0);
  EXPECT_TRUE(Settings.IsMarked(&TUpdateFlags::AmpAnalogDirty));
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
  Settings.RequestResync();
  for (int i = 0; i < 3 && Lost.empty(); ++i) {
    EXPECT_NO_THROW(Cycle.TimerCallback());
    Settings.RequestResync();
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
