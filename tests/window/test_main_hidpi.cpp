// The real main window on a high-density screen (run with QT_SCALE_FACTOR
// set): the generator screen is drawn at the window's device pixel ratio,
// crisp, while the mouse and the layout stay in logical pixels.

#include <QTest>
#include <cstdlib>
#include <set>

#include "screen/Canvas.h"
#include "screen/ScreenTables.h"
#include "tests/screen/ScreenPixels.h"
#include "tests/support/MainWindowFixture.h"
#include "ui/ImageView.h"

namespace control::test {
namespace {

using screen::DevicePixels;
using screen::FrequencyColor;

class HiDpiTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    const char* factor = std::getenv("QT_SCALE_FACTOR");
    if (factor == nullptr) GTEST_SKIP() << "run with QT_SCALE_FACTOR set";
    Ratio = std::atof(factor);
    MainWindowFixture::SetUp();
    Form->show();
    StopTicksAndClearFlags();
    Form->WMRedraw();
  }
  int Device(int logical) const { return DevicePixels(logical, Ratio); }

  double Ratio = 1.0;
};

TEST_F(HiDpiTest, ScreenIsDrawnAtTheWindowsRatio) {
  ASSERT_DOUBLE_EQ(Form->Image321->devicePixelRatioF(), Ratio);
  const QImage& shown = Form->Image321->Image();
  EXPECT_EQ(shown.devicePixelRatio(), Ratio);
  EXPECT_EQ(shown.size(), QSize(Device(Form->Image321->width()), Device(Form->Image321->height())));
  // The model is laid out for the widget's logical size.
  EXPECT_EQ(Model().BitmapWidth, Form->Image321->width());
  EXPECT_EQ(Model().BitmapHeight, Form->Image321->height());
}

TEST_F(HiDpiTest, FrequencyPointerIsCrispOnItsLogicalColumnTimesRatio) {
  const screen::TZOLScreenModel m = Model();
  const int x = m.PositionToX(m.Slots[screen::FrequencySlot].Position);
  const QImage& shown = Form->Image321->Image();
  const QRect stem = screen::test::BoundsOfColor(
      shown, QRect(Device(x - 3), Device(m.ScaleBottom - 3), Device(7), 1), FrequencyColor);
  ASSERT_FALSE(stem.isEmpty());
  EXPECT_NEAR(stem.left(), x * Ratio, 1.0);
  EXPECT_NEAR(stem.width(), Ratio, 1.0);
  const QRect below(Device(x - 6), Device(m.BitmapHeight - 23), Device(13), Device(5));
  EXPECT_EQ(screen::test::ColoursIn(shown, below),
            (std::set<screen::TColor>{m.BackColor, FrequencyColor}));
}

TEST_F(HiDpiTest, PressOnTheScaleUsesLogicalColumns) {
  const screen::TZOLScreenModel before = Model();
  const int x = before.PositionToX(0.25);
  QTest::mousePress(Form->Image321, Qt::LeftButton, {}, QPoint(x, before.BitmapHeight - 28));
  QTest::mouseRelease(Form->Image321, Qt::LeftButton, {}, QPoint(x, before.BitmapHeight - 28));
  const screen::TZOLScreenModel after = Model();
  EXPECT_EQ(after.PositionToX(after.Slots[screen::FrequencySlot].Position), x);
  EXPECT_TRUE(Flags().FreqDirty);
}

}  // namespace
}  // namespace control::test
