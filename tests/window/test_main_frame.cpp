// The window's outer size under a real window manager: the start-up size,
// the minimum and the right-hand controls' places count the frame. Run on an
// X server with a window manager (test_main_frame.sh).

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "tests/support/MainWindowFixture.h"
#include "ui/GaugeBar.h"
#include "ui/ImageView.h"
#include "ui/Panel.h"
#include "ui/SpeedButton.h"

namespace control::test {
namespace {

class FramedWindow : public MainWindowFixture {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs an X server";
    MainWindowFixture::SetUp();
    Form->show();
    // The window manager frames the window a moment after it is mapped.
    for (int i = 0; i < 300 && Form->frameGeometry().size() == Form->size(); ++i) QTest::qWait(10);
    QTest::qWait(100);
    ASSERT_NE(Form->frameGeometry().size(), Form->size()) << "no window manager framed the window";
  }

  QSize Frame() const { return Form->frameGeometry().size() - Form->size(); }
};

TEST_F(FramedWindow, OuterSizeIsTheStartUpSizeAndTheLayoutFollowsIt) {
  EXPECT_EQ(Form->frameGeometry().size(), QSize(800, 320));
  EXPECT_EQ(Form->ExitBtn->x(), 800 - 90);
  EXPECT_EQ(Form->RunBtn->x(), 646);
  EXPECT_EQ(Form->SwGaugeBar->width(), 282);
  // The panels fill the client area, which is the outer size less the frame.
  EXPECT_EQ(Form->BottomPanel->width(), 800 - Frame().width());
  EXPECT_EQ(Form->Image321->width(), 800 - Frame().width() - 80);
}

TEST_F(FramedWindow, MinimumOuterSizeIs640By240) {
  Form->resize(500, 200);
  QTest::qWait(200);
  EXPECT_EQ(Form->frameGeometry().size(), QSize(640, 240));
  EXPECT_EQ(Form->ExitBtn->x(), 640 - 90);
}

}  // namespace
}  // namespace control::test
