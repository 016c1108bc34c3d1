// Hit test and dragging of slot pointers on the scale of an 800 x 200 screen.
#include <gtest/gtest.h>

#include "screen/ZOLScreenModel.h"

namespace screen {
namespace {

class ScalePointerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m.BitmapWidth = 800;
    m.BitmapHeight = 200;
    m.UpdateLayout();
  }
  int X(int slot) const { return m.PositionToX(m.Slots[slot].Position); }
  TZOLScreenModel m;
};

TEST_F(ScalePointerTest, GrabsWithinSevenPixelsInsideTheBand) {
  const int x = X(FrequencySlot);
  for (int y : {164, 172, 180}) {
    EXPECT_EQ(m.HitTest(x + 7, y).Slot, FrequencySlot) << y;
    EXPECT_EQ(m.HitTest(x - 7, y).Slot, FrequencySlot) << y;
    const THitResult miss = m.HitTest(x + 8, y);
    EXPECT_FALSE(miss.Hit);
    EXPECT_EQ(miss.Slot, -1);
    EXPECT_TRUE(miss.OnScale);
  }
  // Rows outside H - 36 .. H - 20 grab nothing and are not on the scale.
  for (int y : {163, 181, 20}) {
    const THitResult off = m.HitTest(x, y);
    EXPECT_FALSE(off.Hit);
    EXPECT_FALSE(off.OnScale);
  }
}

TEST_F(ScalePointerTest, OnScaleNeedsVisibleFrequencySlot) {
  EXPECT_TRUE(m.HitTest(20, 170).OnScale);
  EXPECT_FALSE(m.HitTest(19, 170).OnScale);
  EXPECT_TRUE(m.HitTest(779, 170).OnScale);
  EXPECT_FALSE(m.HitTest(780, 170).OnScale);
  m.ShowFrequencySlot(false);
  const THitResult r = m.HitTest(X(FrequencySlot), 170);
  EXPECT_FALSE(r.OnScale);
  EXPECT_FALSE(r.Hit);
}

TEST_F(ScalePointerTest, OrderAndPiledUpStartStop) {
  m.ShowRangeSlots(true);
  m.ShowMarkerSlot(true);
  m.Slots[StartSlot].Position = 0.0;
  m.Slots[StopSlot].Position = 0.0;
  EXPECT_EQ(m.HitTest(23, 170).Slot, StopSlot);
  EXPECT_TRUE(m.DragSlotTo(StopSlot, 100));  // pushes the marker down
  EXPECT_GT(m.Slots[StopSlot].Position, 0.0);
  EXPECT_EQ(m.Slots[StartSlot].Position, 0.0);

  // Stop far from the left end, Start on it: Start wins and cannot pass Stop.
  m.Slots[StartSlot].Position = 0.3;
  m.Slots[StopSlot].Position = 0.3;
  m.Slots[MarkerSlot].Position = 0.3;
  m.Slots[FrequencySlot].Position = 0.9;
  EXPECT_EQ(m.HitTest(X(StartSlot), 170).Slot, StartSlot);
  m.DragSlotTo(StartSlot, 700);
  EXPECT_EQ(m.Slots[StartSlot].Position, 0.3);
  // Frequency comes before the others when they overlap.
  m.Slots[FrequencySlot].Position = 0.3;
  EXPECT_EQ(m.HitTest(X(StartSlot), 170).Slot, FrequencySlot);
}

TEST_F(ScalePointerTest, DragEndsAndQuantisation) {
  EXPECT_FALSE(m.DragSlotTo(FrequencySlot, -50));
  EXPECT_EQ(m.Slots[0].Position, 0.0);
  EXPECT_EQ(m.Slots[0].Word, 1);
  m.DragSlotTo(FrequencySlot, 5000);
  EXPECT_EQ(m.Slots[0].Position, 1.0);
  EXPECT_EQ(m.Slots[0].Word, 0x7FFFFFF);
  m.DragSlotTo(FrequencySlot, 23 + 377);
  EXPECT_EQ(m.Slots[0].Position, 0.5);
  EXPECT_EQ(m.Slots[0].Freq, m.Slots[0].Word * (GridClock / GridSteps));
  EXPECT_FALSE(m.DragSlotTo(4, 100));
  EXPECT_FALSE(m.DragSlotTo(-1, 100));
  EXPECT_EQ(m.Slots[0].Position, 0.5);
}

TEST_F(ScalePointerTest, PulseModeMarkerStaysLeftOfFrequency) {
  m.ShowMarkerSlot(true);
  EXPECT_FALSE(m.DragSlotTo(MarkerSlot, 700));
  EXPECT_EQ(m.Slots[MarkerSlot].Position, m.Slots[FrequencySlot].Position);
  EXPECT_EQ(m.Slots[MarkerSlot].Word, m.Slots[FrequencySlot].Word);

  EXPECT_TRUE(m.DragSlotTo(FrequencySlot, 300));
  EXPECT_EQ(m.Slots[MarkerSlot].Position, m.Slots[FrequencySlot].Position);
  EXPECT_EQ(m.Slots[MarkerSlot].Word, m.Slots[FrequencySlot].Word);
  EXPECT_TRUE(m.DragSlotTo(FrequencySlot, 250));
  EXPECT_EQ(m.Slots[MarkerSlot].Freq, m.Slots[FrequencySlot].Freq);
  EXPECT_EQ(m.Slots[MarkerSlot].Color, 0xE0E00Cu);
  EXPECT_TRUE(m.Slots[MarkerSlot].Visible);
  // Moving right again leaves the marker behind.
  EXPECT_FALSE(m.DragSlotTo(FrequencySlot, 600));
  EXPECT_LT(m.Slots[MarkerSlot].Position, m.Slots[FrequencySlot].Position);
}

TEST_F(ScalePointerTest, SweepModeMarkerBetweenStartAndStop) {
  m.ShowFrequencySlot(false);
  m.ShowRangeSlots(true);
  m.ShowMarkerSlot(true);
  m.Slots[StartSlot].Position = 0.2;
  m.Slots[StopSlot].Position = 0.7;
  m.DragSlotTo(MarkerSlot, 0);
  EXPECT_EQ(m.Slots[MarkerSlot].Position, 0.2);
  m.DragSlotTo(MarkerSlot, 799);
  EXPECT_EQ(m.Slots[MarkerSlot].Position, 0.7);
  // Start pushes the marker up, Stop pushes it down.
  m.Slots[MarkerSlot].Position = 0.4;
  EXPECT_TRUE(m.DragSlotTo(StartSlot, 23 + 377));
  EXPECT_EQ(m.Slots[MarkerSlot].Position, 0.5);
  EXPECT_TRUE(m.DragSlotTo(StopSlot, 23 + 377));
  EXPECT_EQ(m.Slots[StopSlot].Position, 0.5);
  EXPECT_FALSE(m.DragSlotTo(StopSlot, 700));
  // Stop cannot pass Start.
  m.DragSlotTo(StopSlot, 0);
  EXPECT_EQ(m.Slots[StopSlot].Position, m.Slots[StartSlot].Position);
}

TEST_F(ScalePointerTest, LogScaleDrag) {
  m.LogScale = true;
  m.UpdateLayout();
  m.DragSlotTo(FrequencySlot, 0);
  EXPECT_EQ(m.Slots[0].Word, 1);
  m.DragSlotTo(FrequencySlot, 800);
  EXPECT_EQ(m.Slots[0].Word, 0x7FFFFFF);
}

TEST(ScalePointerTiny, NoScaleToDragAlong) {
  TZOLScreenModel m;
  for (int size : {0, 1, 46}) {
    m.BitmapWidth = size;
    m.BitmapHeight = size;
    m.UpdateLayout();
    m.DragSlotTo(FrequencySlot, 10);
    EXPECT_EQ(m.Slots[0].Position, 0.0);
    EXPECT_EQ(m.Slots[0].Word, 1);
    (void)m.HitTest(0, 0);
  }
}

}  // namespace
}  // namespace screen
