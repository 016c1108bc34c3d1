// The sweep engine driven through the tick, as the timer drives it.
#include "tests/core/test_core_fixture.h"

#include <cmath>

namespace control::test {
namespace {

using TTokens = std::vector<std::string>;

bool IsCoarse(const std::string& token) { return token.rfind("coarse:", 0) == 0; }
bool IsFine(const std::string& token) { return token.rfind("fine:", 0) == 0; }

class SweepTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    Settings.SetMode(TMode::Sweep);
    Settings.SetDirection(TDirection::Up);
    Settings.SetLogSpacing(true);
    Settings.SetSweepTime(1);
    Shared.State.SweepUp = true;
    Shared.State.SweepStarted = true;
  }
  void Range(double start, double stop, double marker) {
    Settings.SetStart(AskedFrequency(start));
    Settings.SetStop(AskedFrequency(stop));
    Settings.SetMarker(AskedFrequency(marker));
  }
  // A restart as the sweep restart button asks for it.
  TTokens Restart() {
    Shared.State.SweepStarted = false;
    Settings.RequestSweepRestart();
    return TickTokens();
  }
  // Ticks without the port, for long passes.
  void TicksOffline(int count) {
    Shared.State.DeviceOnline = false;
    for (int i = 0; i < count; ++i) Cycle.TimerCallback();
  }
  // A frequency as the sweep's scale shows it.
  struct TShown {
    double Position;
    double Freq;
    std::int32_t Word;
  };
  static TShown Shown(const TFrequency& f) {
    return {screen::SlotPosition(f.Hz, f.Word, f.Placed, true), f.GridHz(), f.Word};
  }
  TShown Frequency() const { return Shown(Settings.Frequency()); }
  TShown Slot(int index) const {
    if (index == screen::StartSlot) return Shown(Settings.Start());
    if (index == screen::StopSlot) return Shown(Settings.Stop());
    return Shown(Settings.Marker());
  }
};

void ExpectUpwardRestart(const TTokens& tokens) {
  ASSERT_EQ(tokens.size(), 4u);
  EXPECT_EQ(tokens[0], "s");
  EXPECT_TRUE(IsCoarse(tokens[1])) << tokens[1];
  EXPECT_TRUE(IsFine(tokens[2])) << tokens[2];
  EXPECT_EQ(tokens[3], "S");
}

void ExpectDownwardRestart(const TTokens& tokens) {
  ASSERT_EQ(tokens.size(), 4u);
  EXPECT_EQ(tokens[0], "S");
  EXPECT_TRUE(IsCoarse(tokens[1])) << tokens[1];
  EXPECT_TRUE(IsFine(tokens[2])) << tokens[2];
  EXPECT_EQ(tokens[3], "s");
}

TEST_F(SweepTest, RestartMovesToTheStartAndForcesCoarseFrequency) {
  Range(100.0, 10000.0, 20000.0);
  Shared.State.LastSentWord = Frequency().Word;
  ExpectUpwardRestart(Restart());
  EXPECT_EQ(Frequency().Word, Slot(screen::StartSlot).Word);
  EXPECT_EQ(Shared.State.SweepFreq, Frequency().Freq);
  EXPECT_TRUE(Shared.State.SweepStarted);
  EXPECT_TRUE(Shared.State.SweepUp);
  EXPECT_TRUE(Shared.State.LastMarkerState);
  EXPECT_EQ(Shared.State.LastSentWord, Frequency().Word);
}

TEST_F(SweepTest, StartEqualToStopStandsStillWithoutRestart) {
  Range(1000.0, 1000.0, 1e6);
  Restart();
  const std::int32_t word = Frequency().Word;
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(TickTokens(), (TTokens{"fine:C00000"})) << "tick " << i;
    EXPECT_EQ(Frequency().Word, word);
  }
}

TEST_F(SweepTest, StartAboveStopRestartsEveryTick) {
  Range(10000.0, 100.0, 500.0);
  Restart();
  for (int i = 0; i < 3; ++i) {
    ExpectUpwardRestart(TickTokens());
    EXPECT_EQ(Frequency().Word, Slot(screen::StartSlot).Word);
  }
}

TEST_F(SweepTest, StartAboveStopBothWaysAlternatesEnds) {
  Range(10000.0, 100.0, 500.0);
  Settings.SetDirection(TDirection::Both);
  ExpectUpwardRestart(Restart());
  ExpectDownwardRestart(TickTokens());
  EXPECT_EQ(Frequency().Word, Slot(screen::StopSlot).Word);
  ExpectUpwardRestart(TickTokens());
  EXPECT_EQ(Frequency().Word, Slot(screen::StartSlot).Word);
}

TEST_F(SweepTest, LogPassOfOneSecondTakesTwentyStepsThenRestarts) {
  Range(100.0, 10000.0, 1e6);
  Restart();
  const double start = Slot(screen::StartSlot).Position;
  const double stop = Slot(screen::StopSlot).Position;
  const double d = (stop - start) / 20.0;
  for (int i = 1; i <= 20; ++i) {
    const TTokens tokens = TickTokens();
    ASSERT_EQ(tokens.size(), 1u) << "step " << i;
    EXPECT_TRUE(IsFine(tokens[0]));
    EXPECT_NEAR(Frequency().Position, start + i * d, 1e-12);
    EXPECT_EQ(Shared.State.SweepFreq, Frequency().Freq);
  }
  EXPECT_NEAR(Frequency().Position, stop, 1e-12);
  ExpectUpwardRestart(TickTokens());
  EXPECT_DOUBLE_EQ(Frequency().Position, start);
}

TEST_F(SweepTest, LogPassOfHundredSecondsTakesTwoThousandSteps) {
  Range(100.0, 10000.0, 1e6);
  Settings.SetSweepTime(100);
  Restart();
  const double start = Slot(screen::StartSlot).Position;
  TicksOffline(2000);
  EXPECT_NEAR(Frequency().Position, Slot(screen::StopSlot).Position, 1e-9);
  TicksOffline(1);
  EXPECT_DOUBLE_EQ(Frequency().Position, start);
}

TEST_F(SweepTest, BothWaysFirstPassKeepsDirectionThenAlternates) {
  Range(100.0, 10000.0, 1e6);
  Settings.SetDirection(TDirection::Both);
  Shared.State.SweepUp = false;
  // The first pass after a reset keeps the current direction: downwards.
  ExpectDownwardRestart(Restart());
  EXPECT_DOUBLE_EQ(Frequency().Position, Slot(screen::StopSlot).Position);
  TicksOffline(20);
  EXPECT_NEAR(Frequency().Position, Slot(screen::StartSlot).Position, 1e-12);
  Shared.State.DeviceOnline = true;
  ExpectUpwardRestart(TickTokens());
  EXPECT_TRUE(Shared.State.SweepUp);
  TicksOffline(21);
  EXPECT_FALSE(Shared.State.SweepUp);
  EXPECT_DOUBLE_EQ(Frequency().Position, Slot(screen::StopSlot).Position);
}

TEST_F(SweepTest, DirectionChangeMidPassAppliesOnTheNextTick) {
  Range(100.0, 10000.0, 1e6);
  Restart();
  TicksOffline(5);
  const double here = Frequency().Position;
  Shared.State.SweepUp = false;  // as the direction gauge moved to "Down"
  TicksOffline(1);
  EXPECT_LT(Frequency().Position, here);
}

TEST_F(SweepTest, MarkerAboveStopKeepsTheLevelSetForTheWholePass) {
  Range(100.0, 10000.0, 20000.0);
  ExpectUpwardRestart(Restart());
  for (int i = 0; i < 20; ++i) {
    const TTokens tokens = TickTokens();
    ASSERT_EQ(tokens.size(), 1u) << "step " << i;
    EXPECT_TRUE(IsFine(tokens[0]));
  }
  EXPECT_TRUE(Shared.State.LastMarkerState);
}

TEST_F(SweepTest, MarkerBelowStartClearsTheLevelOnTheFirstStep) {
  Range(100.0, 10000.0, 50.0);
  ExpectUpwardRestart(Restart());
  const TTokens first = TickTokens();
  ASSERT_EQ(first.size(), 2u);
  EXPECT_TRUE(IsFine(first[0]));
  EXPECT_EQ(first[1], "s");
  for (int i = 0; i < 5; ++i) EXPECT_EQ(TickTokens().size(), 1u);
}

TEST_F(SweepTest, MarkerInsideThePassChangesLevelOnceWhenReached) {
  Range(100.0, 10000.0, 1000.0);
  Restart();
  int changes = 0;
  for (int i = 0; i < 20; ++i) {
    for (const std::string& token : TickTokens()) {
      if (token == "s") {
        ++changes;
        EXPECT_GE(Shared.State.SweepFreq, Slot(screen::MarkerSlot).Freq);
      }
    }
  }
  EXPECT_EQ(changes, 1);
}

TEST_F(SweepTest, LinearModeStepsTheExactFrequencyAndShowsItQuantised) {
  // A step of 0.005 Hz is far below the grid's 0.093 Hz: only the exact
  // sweep frequency can make progress.
  Range(100.0, 110.0, 1e6);
  Settings.SetLogSpacing(false);
  Settings.SetSweepTime(100);
  Restart();
  const double start = Shared.State.SweepFreq;
  const double step =
      (Slot(screen::StopSlot).Freq - Slot(screen::StartSlot).Freq) * 50.0 / 100000.0;
  double expected = start;
  for (int i = 0; i < 50; ++i) {
    Cycle.TimerCallback();
    expected += step;
  }
  EXPECT_DOUBLE_EQ(Shared.State.SweepFreq, expected);
  EXPECT_EQ(Frequency().Freq, screen::TZOLScreenModel::SnapToGrid(expected));
  EXPECT_GT(Frequency().Freq, start);
}

TEST_F(SweepTest, LinearDownwardPassEndsBelowStart) {
  // Grid words 20 x 100 apart: every step and sum is exact in binary.
  const double unit = screen::GridClock / screen::GridSteps;
  Range(10740 * unit, 12740 * unit, 1e6);
  Settings.SetLogSpacing(false);
  Shared.State.SweepUp = false;
  Restart();
  EXPECT_EQ(Shared.State.SweepFreq, Slot(screen::StopSlot).Freq);
  TicksOffline(20);
  EXPECT_EQ(Shared.State.SweepFreq, Slot(screen::StartSlot).Freq);
  TicksOffline(1);
  EXPECT_EQ(Shared.State.SweepFreq, Slot(screen::StopSlot).Freq);
}

TEST_F(SweepTest, PauseStandsStillAndOnlyRestarts) {
  Range(100.0, 10000.0, 1e6);
  Restart();
  TicksOffline(5);
  Shared.State.DeviceOnline = true;
  Settings.SetPause(true);
  const double here = Frequency().Position;
  EXPECT_EQ(TickTokens(), TTokens{});
  EXPECT_DOUBLE_EQ(Frequency().Position, here);
  ExpectUpwardRestart(Restart());
  EXPECT_DOUBLE_EQ(Frequency().Position, Slot(screen::StartSlot).Position);
  EXPECT_EQ(TickTokens(), TTokens{});
  EXPECT_DOUBLE_EQ(Frequency().Position, Slot(screen::StartSlot).Position);
}

}  // namespace
}  // namespace control::test
