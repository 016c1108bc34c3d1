// The mouse on an 800 x 200 screen: a pointer carries the setting of its
// mode, the marker keeps between Start and Stop, a pointer that passes the
// marker (the period its width) takes it along, and a drag ends when the
// mode changes under it.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/command/CommandPathFixture.h"

namespace control::test {
namespace {

using screen::FrequencySlot;
using screen::MarkerSlot;
using screen::StartSlot;
using screen::StopSlot;

class ScreenPointerTest : public CommandPathTest {
 protected:
  ScreenPointerTest() { Control.ResizeScreen(800, 200); }

  screen::TFreqSlot Slot(int slot) { return Control.Model().Slots[slot]; }
  int ColumnOf(int slot) { return Control.Model().PositionToX(Slot(slot).Position); }
  static constexpr int Row = 200 - 28;
  // Press on the slot's pointer, move to column x, release.
  void Drag(int slot, int x) {
    Control.Pointer().Press(TMouseButton::Left, ColumnOf(slot), Row);
    Control.Pointer().Move(x, Row);
    Control.Pointer().Release();
  }
  void Sweep() { ASSERT_EQ(Control.Modes().SetSweep(true), TOutcome::Done); }
  void Pulse() { ASSERT_EQ(Control.Modes().SetPulse(true), TOutcome::Done); }
};

TEST_F(ScreenPointerTest, TheFrequencyStopsAtTheScalesEndsOnTheGrid) {
  Drag(FrequencySlot, -50);
  EXPECT_EQ(Slot(FrequencySlot).Position, 0.0);
  EXPECT_EQ(Slot(FrequencySlot).Word, 1);
  Drag(FrequencySlot, 5000);
  EXPECT_EQ(Slot(FrequencySlot).Position, 1.0);
  EXPECT_EQ(Slot(FrequencySlot).Word, 0x7FFFFFF);
  Drag(FrequencySlot, 23 + 377);
  EXPECT_DOUBLE_EQ(Slot(FrequencySlot).Position, 0.5);
  EXPECT_EQ(Slot(FrequencySlot).Freq, Slot(FrequencySlot).Word * (25e6 / 268435456.0));
  EXPECT_TRUE(Control.Settings().Marked().FreqDirty);
}

TEST_F(ScreenPointerTest, APressBesideThePointersPutsTheOutputThere) {
  Control.Pointer().Press(TMouseButton::Left, 23 + 565, Row);
  EXPECT_NEAR(Slot(FrequencySlot).Position, 0.75, 1e-3);
  EXPECT_TRUE(Control.Settings().Marked().FreqDirty);
  Control.Pointer().Release();
}

TEST_F(ScreenPointerTest, TheSweepsMarkerKeepsBetweenStartAndStopWhichPushAndNeverCross) {
  Sweep();
  Drag(StartSlot, 23 + 151);  // 0.2 of the scale
  Drag(StopSlot, 23 + 528);   // 0.7
  // The marker back between them, where no other pointer covers it.
  auto between = [this] {
    ASSERT_EQ(Control.Sweep().SetMarker(std::sqrt(Slot(StartSlot).Freq * Slot(StopSlot).Freq)),
              TOutcome::Done);
  };
  between();
  Drag(MarkerSlot, 0);
  EXPECT_EQ(Slot(MarkerSlot).Word, Slot(StartSlot).Word);
  between();
  Drag(MarkerSlot, 799);
  EXPECT_EQ(Slot(MarkerSlot).Word, Slot(StopSlot).Word);
  between();
  // Start pushes the marker up; Stop cannot pass Start, and pushes it down.
  Drag(StartSlot, 23 + 377);
  EXPECT_EQ(Slot(MarkerSlot).Word, Slot(StartSlot).Word);
  Drag(StopSlot, 0);
  EXPECT_EQ(Slot(StopSlot).Position, Slot(StartSlot).Position);
  EXPECT_EQ(Slot(MarkerSlot).Word, Slot(StopSlot).Word);
}

TEST_F(ScreenPointerTest, OnTheSweepsLogarithmicScaleTheEndsAreTheGridsEnds) {
  Sweep();
  Drag(StartSlot, 0);
  EXPECT_EQ(Slot(StartSlot).Word, 1);
  Drag(StartSlot, 800);
  EXPECT_EQ(Slot(StartSlot).Word, 0x7FFFFFF) << "up to Stop at the top";
}

TEST_F(ScreenPointerTest, ThePulseWidthNeverGoesBeyondThePeriodWhichTakesItAlong) {
  Pulse();
  Drag(MarkerSlot, 700);
  TGeneratorSettings s = Control.Settings();
  EXPECT_EQ(s.WidthCode(), s.PeriodCode());
  Drag(FrequencySlot, 300);
  s = Control.Settings();
  EXPECT_EQ(s.WidthCode(), s.PeriodCode()) << "pushed down with the period";
  EXPECT_TRUE(s.Marked().PulseWidthDirty);
  const int width = s.WidthCode();
  Drag(FrequencySlot, 600);
  s = Control.Settings();
  EXPECT_EQ(s.WidthCode(), width) << "left behind";
  EXPECT_GT(s.PeriodCode(), width);
}

TEST_F(ScreenPointerTest, ThePulsePointersLieWhereTheirCodesAre) {
  Pulse();
  Drag(FrequencySlot, 23 + 377);
  const TGeneratorSettings s = Control.Settings();
  const screen::TFreqSlot period = Slot(FrequencySlot);
  EXPECT_EQ(screen::PulseCode(PeriodCodeMin, screen::PulseCodeFrequency(s.PeriodCode())),
            s.PeriodCode());
  EXPECT_NEAR(period.Position, 0.5, 1.0 / 754) << "within a pixel of the drag";
}

TEST_F(ScreenPointerTest, ADragBegunBeforeTheModeChangedMovesNothingAfterIt) {
  const int x = ColumnOf(FrequencySlot);
  const std::int32_t initial = Slot(FrequencySlot).Word;
  ASSERT_FALSE(Control.Pointer().Press(TMouseButton::Left, x, Row));
  Control.Pointer().Move(x + 40, Row);
  EXPECT_NE(Slot(FrequencySlot).Word, initial) << "the drag moved the frequency before";
  // The remote control switches to sweep mode while the button is held.
  Sweep();
  const TGeneratorSettings before = Control.Settings();
  Control.Pointer().Move(x + 200, Row);
  Control.Pointer().Release();
  EXPECT_EQ(Control.Settings().Frequency(), before.Frequency()) << "the hidden output moved";
  EXPECT_EQ(Control.State().DragSlot, -1);
}

TEST_F(ScreenPointerTest, ATinyScreenHasNoScaleToDragAlong) {
  for (int size : {0, 1, 46}) {
    Control.ResizeScreen(size, size);
    Control.Pointer().Press(TMouseButton::Left, 10, size - 28);
    Control.Pointer().Move(10, size - 28);
    Control.Pointer().Release();
    EXPECT_GE(Slot(FrequencySlot).Position, 0.0) << size;
    EXPECT_GE(Slot(FrequencySlot).Word, 1) << size;
  }
}

}  // namespace
}  // namespace control::test
