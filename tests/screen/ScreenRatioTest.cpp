// The screen drawn at a device pixel ratio above 1: the bitmap's size and
// ratio, the geometry scaled from the logical layout, crisp pointers and
// text set at device resolution.
#include <gtest/gtest.h>

#include <set>

#include "screen/Canvas.h"
#include "screen/ScreenTables.h"
#include "tests/screen/ScreenPixels.h"

namespace screen {
namespace {

using test::BoundsOfColor;
using test::ColoursIn;
using test::Navy;
using test::Pixel;

class ScreenRatioTest : public ::testing::TestWithParam<double>, protected test::TScreenWithFonts {
 protected:
  double Ratio() const { return GetParam(); }
  int Device(int logical) const { return DevicePixels(logical, Ratio()); }
  const QImage& Render(double ratio) {
    Screen.View.SetDevicePixelRatio(ratio);
    return Screen.ResizeBitmap(720, 263);
  }
};

TEST_P(ScreenRatioTest, BitmapIsTheLogicalSizeInDevicePixels) {
  const QImage& image = Render(Ratio());
  EXPECT_EQ(image.size(), QSize(Device(720), Device(263)));
  EXPECT_EQ(image.devicePixelRatio(), Ratio());
  EXPECT_EQ(Screen.View.Size(), QSize(720, 263));
  // The layout, the hit tests and the drags stay in logical pixels.
  EXPECT_EQ(Screen.BitmapWidth, 720);
  EXPECT_EQ(Screen.ScaleRight, 696);
  // Back to ratio 1: the same logical size, one device pixel each.
  Screen.View.SetDevicePixelRatio(1.0);
  EXPECT_EQ(Screen.View.Bitmap.size(), QSize(720, 263));
  EXPECT_EQ(Screen.View.Bitmap.devicePixelRatio(), 1.0);
}

TEST_P(ScreenRatioTest, OnePixelFrameIsRatioDevicePixelsThick) {
  const QImage& image = Render(Ratio());
  const int column = Device(360);
  for (int y = 0; y < Device(3); ++y) {
    const bool frame = y >= Device(1) && y < Device(2);
    EXPECT_EQ(Pixel(image, column, y), frame ? ButtonFaceColor : Navy) << y;
  }
}

TEST_P(ScreenRatioTest, FrequencyPointerStemOnItsLogicalColumnTimesRatio) {
  const QImage& image = Render(Ratio());
  const int x = Screen.PositionToX(Screen.Slots[FrequencySlot].Position);
  // Where the stem crosses the bands, only the stem is red.
  const int row = Device(Screen.ScaleBottom - 3);
  const QRect stem = BoundsOfColor(image, QRect(Device(x - 3), row, Device(7), 1), FrequencyColor);
  ASSERT_FALSE(stem.isEmpty());
  EXPECT_NEAR(stem.left(), x * Ratio(), 1.0);
  EXPECT_NEAR(stem.width(), Ratio(), 1.0);
  // The whole pointer spans the logical pointer's box, scaled.
  const int H = Screen.BitmapHeight;
  const QRect pointer = BoundsOfColor(
      image, QRect(Device(x - 20), Device(H - 40), Device(40), Device(30)), FrequencyColor);
  EXPECT_NEAR(pointer.left(), (x - 4) * Ratio(), 1.0);
  EXPECT_NEAR(pointer.right() + 1, (x + 5) * Ratio(), 1.0);
  EXPECT_NEAR(pointer.top(), (H - 36) * Ratio(), 1.0);
  EXPECT_NEAR(pointer.bottom() + 1, (H - 18) * Ratio(), 1.0);
}

TEST_P(ScreenRatioTest, PointerEdgesAreCrisp) {
  const QImage& image = Render(Ratio());
  const int x = Screen.PositionToX(Screen.Slots[FrequencySlot].Position);
  // The lower triangle, between the scale's frame and the readouts: nothing
  // but the pointer's colour and the background, no blend of the two.
  const int H = Screen.BitmapHeight;
  const QRect below(Device(x - 6), Device(H - 23), Device(13), Device(5));
  EXPECT_EQ(ColoursIn(image, below), (std::set<TColor>{Navy, FrequencyColor}));
}

TEST_P(ScreenRatioTest, TextIsSetAtDeviceResolution) {
  constexpr TColor ValueColor = 0x123456;
  Screen.View.ValueFontColor = ValueColor;
  const QRect logical = BoundsOfColor(Render(1.0), QRect(0, 0, 720, 263), ValueColor);
  const QImage& image = Render(Ratio());
  const QRect device = BoundsOfColor(image, image.rect(), ValueColor);
  EXPECT_NEAR(device.height(), logical.height() * Ratio(), 2 * Ratio());
  EXPECT_NEAR(device.center().x(), logical.center().x() * Ratio(), 2 * Ratio());
  // Not a logical picture scaled up: some stroke begins on a device pixel
  // that is no logical pixel's first.
  auto logicalStart = [this](int x) {
    const int v = static_cast<int>(x / Ratio());
    return Device(v) == x || Device(v + 1) == x;
  };
  bool finer = false;
  for (int y = device.top(); y <= device.bottom() && !finer; ++y)
    for (int x = device.left() + 1; x <= device.right() && !finer; ++x)
      finer = Pixel(image, x, y) == ValueColor && Pixel(image, x - 1, y) != ValueColor &&
              !logicalStart(x);
  EXPECT_TRUE(finer);
}

INSTANTIATE_TEST_SUITE_P(Ratios, ScreenRatioTest, ::testing::Values(1.5, 2.0));

}  // namespace
}  // namespace screen
