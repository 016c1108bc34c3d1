// The rendered screen, read back pixel by pixel: frame, bands, ticks,
// pointers, readouts and the amplitude block.
#include <gtest/gtest.h>

#include <QFont>
#include <cmath>

#include "screen/ScreenTables.h"
#include "screen/ZOLScreen.h"
#include "tests/screen/ScreenPixels.h"
#include "tests/screen/ScreenStates.h"

namespace screen {
namespace {

using test::BoundsOfColor;
using test::CountColor;
using test::Navy;
using test::Pixel;
using test::TDrawnScreen;

class ScreenRenderTest : public ::testing::Test, protected test::TScreenWithFonts {
 protected:
  const QImage& Render800() { return Screen.ResizeBitmap(800, 200); }
  // Column inside band i (1..9) between two ticks.
  int BandColumn(int i) const {
    return Screen.ScaleLeft +
           static_cast<int>(std::nearbyint((i - 1 + 1.5 / 9) * Screen.DecadeWidth));
  }
  // Silver pixels of the scale labels (rows B - 25 .. B - 13) near column x.
  QRect LabelBounds(const QImage& image, int x) const {
    const int B = Screen.ScaleBottom;
    return BoundsOfColor(image, QRect(x - 20, B - 25, 41, 13), Silver);
  }
  QRect ReadoutRow(int left, int right) const {
    return QRect(left, Screen.ScaleBottom + 7, right - left,
                 Screen.BitmapHeight - 2 - (Screen.ScaleBottom + 7));
  }
};

TEST_F(ScreenRenderTest, FreshScreenHasOnePixelBitmap) {
  const TZOLScreen fresh;
  EXPECT_EQ(fresh.Bitmap.size(), QSize(1, 1));
  EXPECT_EQ(fresh.Bitmap.format(), QImage::Format_RGB32);
  EXPECT_TRUE(Screen.NarrowFont());
  EXPECT_GT(Screen.ValueAspect, 0.1);
  EXPECT_LT(Screen.ValueAspect, 1.0);
}

TEST_F(ScreenRenderTest, DefaultFrameAndScale) {
  const QImage& image = Render800();
  EXPECT_EQ(&image, &Screen.View.Bitmap);
  EXPECT_EQ(Screen.ScaleLeft, 23);
  EXPECT_EQ(Screen.ScaleRight, 776);
  EXPECT_EQ(Screen.ScaleBottom, 175);
  EXPECT_EQ(Screen.ScaleWidth, 754);
  // Background with a button-face frame one pixel in.
  EXPECT_EQ(Pixel(image, 0, 0), Navy);
  EXPECT_EQ(Pixel(image, 799, 199), Navy);
  EXPECT_EQ(Pixel(image, 2, 2), Navy);
  for (auto [x, y] : {std::pair{1, 1}, {798, 1}, {1, 198}, {798, 198}, {400, 1}, {1, 100}})
    EXPECT_EQ(Pixel(image, x, y), ButtonFaceColor) << x << "," << y;
  EXPECT_EQ(CountColor(image, image.rect(), ButtonFaceColor), 2 * 798 + 2 * 196);
  // Silver scale frame: rows B - 6 and B + 1, columns L and R + 1.
  for (auto [x, y] : {std::pair{30, 169}, {30, 176}, {23, 172}, {777, 172}, {700, 176}})
    EXPECT_EQ(Pixel(image, x, y), Silver) << x << "," << y;
  EXPECT_EQ(Pixel(image, 778, 172), Navy);
  EXPECT_EQ(Pixel(image, 30, 177), Navy);
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(Pixel(image, BandColumn(i), 172), BandColors[i]) << i;
  EXPECT_EQ(Pixel(image, 775, 172), BandColors[9]);
}

TEST_F(ScreenRenderTest, FrequencyPointerCentredOnItsColumn) {
  const QImage& image = Render800();
  const int x = Screen.PositionToX(Screen.Slots[FrequencySlot].Position);
  ASSERT_EQ(x, 399);
  const TColor red = FrequencyColor;
  for (int y = 164; y <= 181; ++y) EXPECT_EQ(Pixel(image, x, y), red) << y;
  for (auto [px, py] : {std::pair{395, 164}, {403, 164}, {395, 181}, {403, 181}})
    EXPECT_EQ(Pixel(image, px, py), red) << px << "," << py;
  for (auto [px, py] : {std::pair{394, 164}, {404, 164}, {399, 163}, {399, 182}, {398, 172}})
    EXPECT_NE(Pixel(image, px, py), red) << px << "," << py;
  const QRect bounds = BoundsOfColor(image, QRect(370, 150, 60, 40), red);
  EXPECT_EQ(bounds, QRect(395, 164, 9, 18));
  // Mirror image about the stem.
  for (int y = 164; y <= 181; ++y)
    for (int d = 1; d <= 4; ++d)
      EXPECT_EQ(Pixel(image, x - d, y) == red, Pixel(image, x + d, y) == red) << d << "," << y;
}

TEST_F(ScreenRenderTest, PointersDrawnMarkerFirstFrequencyLast) {
  Screen.ShowMarkerSlot(true);
  Screen.ShowRangeSlots(true);
  for (int slot : {1, 2, 3}) Screen.Slots[slot].Position = Screen.Slots[FrequencySlot].Position;
  const QRect pointers(370, 160, 60, 22);
  const QImage& image = Render800();
  EXPECT_EQ(CountColor(image, pointers, MarkerColor), 0);
  EXPECT_EQ(CountColor(image, pointers, RangeColor), 0);
  EXPECT_GT(CountColor(image, pointers, FrequencyColor), 20);
  // With the Frequency pointer away, Start and Stop cover the marker's.
  Screen.Slots[FrequencySlot].Position = 0.9;
  const QImage& apart = Render800();
  EXPECT_EQ(CountColor(apart, pointers, MarkerColor), 0);
  EXPECT_GT(CountColor(apart, pointers, RangeColor), 20);
}

TEST_F(ScreenRenderTest, DefaultShowsNoSmallReadouts) {
  const QImage& image = Render800();
  const QRect below = ReadoutRow(2, 798);
  EXPECT_EQ(CountColor(image, below, Navy), below.width() * below.height());
}

TEST_F(ScreenRenderTest, LargeReadoutCentredAboveTheScale) {
  // A colour of its own tells the readout apart from the amplitude block.
  constexpr TColor ValueColor = 0x123456;
  Screen.View.ValueFontColor = ValueColor;
  for (int width : {400, 800}) {
    const QImage& image = Screen.ResizeBitmap(width, 200);
    const QRect text = BoundsOfColor(image, image.rect(), ValueColor);
    ASSERT_FALSE(text.isEmpty());
    EXPECT_NEAR(text.left() + text.width() / 2.0, Screen.ScaleLeft + Screen.ScaleWidth / 2.0, 6);
    EXPECT_GE(text.top(), Screen.ScaleTop);
    EXPECT_LT(text.bottom(), Screen.ScaleBottom - 25);
    if (width == 400) {
      // Narrow screen: sized so the sample text would span the scale less 46.
      EXPECT_GT(text.width(), 0.85 * (Screen.ScaleWidth - 46));
      EXPECT_LT(text.width(), 1.15 * (Screen.ScaleWidth - 46));
    }
  }
}

TEST_F(ScreenRenderTest, TickCountsPerDecade) {
  Screen.SetSlotFreq(FrequencySlot, 1500);
  const QImage& linear = Render800();
  // Row 172 crosses every tick (the one at L is hidden in the frame
  // column); row 167 only the long decade ticks.
  EXPECT_EQ(CountColor(linear, QRect(24, 172, 753, 1), Silver), 8 * 9);
  EXPECT_EQ(CountColor(linear, QRect(23, 167, 755, 1), Silver), 9);

  Screen.Waveform = -3;
  const QImage& pulse = Render800();
  EXPECT_EQ(CountColor(pulse, QRect(24, 172, 753, 1), Silver), 8 * 6 - 1);
  // Eight decade ticks and the end tick at R + 1.
  EXPECT_EQ(CountColor(pulse, QRect(23, 167, 755, 1), Silver), 9);
  EXPECT_EQ(Pixel(pulse, 777, 164), Silver);
  EXPECT_EQ(Pixel(pulse, 775, 172), BandColors[8]);
  // "65535" stands centred on the right end.
  const QRect end = LabelBounds(pulse, 777);
  ASSERT_FALSE(end.isEmpty());
  EXPECT_NEAR(end.left() + end.width() / 2.0, 777.5, 3);
}

TEST_F(ScreenRenderTest, LogScaleEndsInRed) {
  Screen.LogScale = true;
  const QImage& image = Render800();
  EXPECT_DOUBLE_EQ(Screen.DecadeWidth, 754 / LogSpan);
  EXPECT_EQ(Pixel(image, 772, 172), BandColors[9]);
  EXPECT_EQ(Pixel(image, BandColumn(3), 172), BandColors[3]);
}

TEST_F(ScreenRenderTest, SquareDividerHalvesLabels) {
  const QImage plain = Render800().copy();
  Screen.Waveform = 3;
  Screen.Divider = 1;
  const QImage& divided = Render800();
  // "0.05" is wider than "0.1", "5M" narrower than "10M".
  EXPECT_GT(LabelBounds(divided, 23).width(), LabelBounds(plain, 23).width());
  EXPECT_LT(
      LabelBounds(divided, 23 + static_cast<int>(std::nearbyint(8 * Screen.DecadeWidth))).width(),
      LabelBounds(plain, 23 + static_cast<int>(std::nearbyint(8 * Screen.DecadeWidth))).width());
  // "÷ 2" under the square symbol, only with the divider.
  const QRect divSign(Screen.ScaleRight - 140, Screen.ScaleBottom - 64, 140, 26);
  const int withDivider = CountColor(divided, divSign, Silver);
  Screen.Divider = 0;
  const QImage& undivided = Render800();
  EXPECT_GT(withDivider, 10);
  EXPECT_EQ(CountColor(undivided, divSign, Silver), 0);
}

TEST_F(ScreenRenderTest, SweepReadoutsInTheirColours) {
  test::ShowSweep(Screen);
  const QImage& image = Render800();
  EXPECT_GT(CountColor(image, ReadoutRow(7, 120), RangeColor), 10);
  EXPECT_GT(CountColor(image, ReadoutRow(680, 798), RangeColor), 10);
  EXPECT_GT(CountColor(image, ReadoutRow(300, 500), MarkerColor), 10);
  EXPECT_EQ(CountColor(image, ReadoutRow(2, 798), FrequencyColor), 0);
  // Pointers of all four slots, the hidden Frequency slot's included.
  for (int slot : {0, 1, 2, 3})
    EXPECT_EQ(Pixel(image, Screen.PositionToX(Screen.Slots[slot].Position), 181),
              Screen.Slots[slot].Color)
        << slot;
}

TEST_F(ScreenRenderTest, PulseModeTimesAndRate) {
  test::ShowPulse(Screen);
  const QImage& image = Render800();
  // Pulse rate in red where the marker readout stands otherwise.
  EXPECT_GT(CountColor(image, ReadoutRow(300, 500), FrequencyColor), 10);
  EXPECT_EQ(CountColor(image, ReadoutRow(300, 500), MarkerColor), 0);
  // The width at the left above the scale.
  const int B = Screen.ScaleBottom;
  EXPECT_GT(CountColor(image, QRect(23, B - 64, 100, 30), Silver), 20);
  EXPECT_EQ(Pixel(image, Screen.PositionToX(Screen.Slots[MarkerSlot].Position), 181), MarkerColor);
}

TEST_F(ScreenRenderTest, StepReadoutForExactlyTwentyRenders) {
  Screen.ShowStep();
  for (int i = 0; i < 20; ++i) {
    const QImage& image = Render800();
    EXPECT_GT(CountColor(image, ReadoutRow(14, 200), FrequencyColor), 10) << i;
  }
  EXPECT_EQ(Screen.StepShowTicks, 0);
  const QImage& after = Render800();
  EXPECT_EQ(CountColor(after, ReadoutRow(14, 200), FrequencyColor), 0);
  EXPECT_EQ(Screen.StepShowTicks, 0);
  // With the marker shown the step readout takes its colour.
  Screen.ShowMarkerSlot(true);
  Screen.ShowStep();
  EXPECT_GT(CountColor(Render800(), ReadoutRow(14, 200), MarkerColor), 10);
}

TEST_F(ScreenRenderTest, AmplitudeLevelsClampedAndStoredBack) {
  Screen.AmpLevelAnalog = 15;
  const QImage top = Render800().copy();
  Screen.AmpLevelAnalog = 20;
  const QImage& clamped = Render800();
  EXPECT_EQ(Screen.AmpLevelAnalog, 15);
  EXPECT_EQ(clamped, top);
  Screen.AmpLevelAnalog = -3;
  Screen.AmpLevelSquare = 99;
  Render800();
  EXPECT_EQ(Screen.AmpLevelAnalog, 0);
  EXPECT_EQ(Screen.AmpLevelSquare, 15);
  // The level changes what is shown.
  EXPECT_NE(Render800(), top);
}

TEST_F(ScreenRenderTest, AmplitudeBlockPerWaveform) {
  Render800();
  const QRect block(Screen.ScaleRight - 150, 20, 150, 140);
  EXPECT_GT(CountColor(Screen.View.Bitmap, block, RangeColor), 10);  // the r.m.s. line
  for (int waveform : {2, 3}) {
    Screen.Waveform = waveform;
    const QImage& image = Render800();
    EXPECT_EQ(CountColor(image, block, RangeColor), 0) << waveform;
    EXPECT_GT(CountColor(image, block, Silver), 20) << waveform;
  }
}

TEST_F(ScreenRenderTest, WideFontIsSmallerThanNarrow) {
  const QImage& narrow = Render800();
  const QRect narrowText = BoundsOfColor(narrow, QRect(2, 20, 650, 130), Silver);
  QFont wide(QStringLiteral("DejaVu Sans"));
  wide.setPixelSize(100);
  Screen.SetValueFont(&wide);
  EXPECT_FALSE(Screen.NarrowFont());
  const QImage& image = Render800();
  const QRect wideText = BoundsOfColor(image, QRect(2, 20, 650, 130), Silver);
  EXPECT_LT(wideText.height(), narrowText.height());
  EXPECT_EQ(wide.pixelSize(), 100);
  EXPECT_EQ(ValueFont.pixelSize(), 100);
}

TEST_F(ScreenRenderTest, DegenerateSizesRender) {
  EXPECT_TRUE(Screen.ResizeBitmap(0, 0).isNull());
  EXPECT_TRUE(Screen.ResizeBitmap(-5, -5).isNull());
  Screen.AmpLevelSquare = 40;
  Screen.ShowStep();
  Screen.Render();
  EXPECT_EQ(Screen.AmpLevelSquare, 15);
  EXPECT_EQ(Screen.StepShowTicks, 19);
  for (int size : {1, 2, 10, 46, 48, 60}) {
    const QImage& image = Screen.ResizeBitmap(size, size);
    EXPECT_EQ(image.size(), QSize(size, size));
    EXPECT_GE(Screen.ColumnToPosition(5), 0.0);
    EXPECT_LE(Screen.ColumnToPosition(5), 1.0);
  }
  EXPECT_EQ(Pixel(Screen.ResizeBitmap(1, 1), 0, 0), Navy);
}

}  // namespace
}  // namespace screen
