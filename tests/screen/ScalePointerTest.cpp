// Hit test and the column's place on the scale of an 800 x 200 screen.
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

  // Stop far from the left end, Start on it: Start wins.
  m.Slots[StartSlot].Position = 0.3;
  m.Slots[StopSlot].Position = 0.3;
  m.Slots[MarkerSlot].Position = 0.3;
  m.Slots[FrequencySlot].Position = 0.9;
  EXPECT_EQ(m.HitTest(X(StartSlot), 170).Slot, StartSlot);
  // Frequency comes before the others when they overlap.
  m.Slots[FrequencySlot].Position = 0.3;
  EXPECT_EQ(m.HitTest(X(StartSlot), 170).Slot, FrequencySlot);
}

TEST_F(ScalePointerTest, ColumnsOutsideTheScaleLieAtItsEnds) {
  EXPECT_EQ(m.ColumnToPosition(-50), 0.0);
  EXPECT_EQ(m.ColumnToPosition(5000), 1.0);
  EXPECT_EQ(m.ColumnToPosition(23 + 377), 0.5);
}

TEST(ScalePointerTiny, NoScaleToDragAlong) {
  TZOLScreenModel m;
  for (int size : {0, 1, 46}) {
    m.BitmapWidth = size;
    m.BitmapHeight = size;
    m.UpdateLayout();
    EXPECT_EQ(m.ColumnToPosition(10), 0.0);
    (void)m.HitTest(0, 0);
  }
}

}  // namespace
}  // namespace screen
