// The real program in a real X server: the window's size on the screen and
// the Frequency pointer's colour at its column.

#include <gtest/gtest.h>

#include <QImage>
#include <QStandardPaths>

#include "screen/ZOLScreenModel.h"
#include "tests/app/test_app_support.h"

namespace app::test {
namespace {

// An Xvfb on a free display; -displayfd 1 writes the display number to stdout.
class TXvfb {
 public:
  bool Start() {
    Server.start("Xvfb",
                 {"-displayfd", "1", "-screen", "0", "1024x768x24", "-br", "-nolisten", "tcp"});
    if (!Server.waitForStarted(10000)) return false;
    QByteArray out;
    while (!out.contains('\n') && Server.waitForReadyRead(10000))
      out += Server.readAllStandardOutput();
    Display = ":" + QString::fromLatin1(out.trimmed());
    return out.contains('\n');
  }
  ~TXvfb() {
    Server.terminate();
    if (!Server.waitForFinished(5000)) Server.kill();
    Server.waitForFinished(5000);
  }
  QString Display;

 private:
  QProcess Server;
};

// The bounding box of everything that is not the black root window.
QRect WindowOnScreen(const QImage& shot) {
  int left = shot.width(), top = shot.height(), right = -1, bottom = -1;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x)
      if ((shot.pixel(x, y) & 0xFFFFFF) != 0) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

TEST(ProgramOnScreen, WindowSizeAndFrequencyPointer) {
  if (QStandardPaths::findExecutable("Xvfb").isEmpty()) GTEST_SKIP() << "Xvfb is not installed";
  TXvfb xvfb;
  ASSERT_TRUE(xvfb.Start());
  QTemporaryDir runtime;
  QProcessEnvironment env = ZolvekEnvironment(runtime.path());
  env.insert("DISPLAY", xvfb.Display);
  env.insert("QT_QPA_PLATFORM", "xcb");
  env.insert("ZOLVEK_TEST_QUIT_AFTER_MS", "6000");
  // The X11 plugin's D-Bus library keeps a buffer to the end; it is not ours.
  env.insert("LSAN_OPTIONS", env.value("LSAN_OPTIONS") + ":suppressions=" ZOLVEK_LSAN_SUPPRESSIONS);
  QProcess zolvek;
  zolvek.setProcessEnvironment(env);
  zolvek.start(ZOLVEK_BINARY, {});
  QByteArray out;
  ASSERT_TRUE(WaitForOutput(zolvek, out, "zolvek: shown", 30000)) << out.constData();
  QTest::qWait(1000);  // a few redraws on the screen

  const QString shotPath = runtime.filePath("shot.png");
  QProcess grab;
  grab.setProcessEnvironment(env);
  grab.start(ZOLVEK_GRAB_BINARY, {shotPath});
  ASSERT_TRUE(grab.waitForFinished(30000));
  ASSERT_EQ(grab.exitCode(), 0) << grab.readAllStandardError().constData();
  ASSERT_TRUE(zolvek.waitForFinished(30000));
  out += zolvek.readAllStandardError();
  EXPECT_EQ(zolvek.exitCode(), 0) << out.constData();

  const QImage shot(shotPath);
  ASSERT_FALSE(shot.isNull());
  const QRect window = WindowOnScreen(shot);
  EXPECT_EQ(window.size(), QSize(800, 320));
  EXPECT_EQ(window.topLeft(), QPoint((shot.width() - 800) / 2, (shot.height() - 320) / 2))
      << "centred";

  // The screen fills the window but the 80-pixel right panel and the
  // 57-pixel bottom panel.
  screen::TZOLScreenModel model;
  model.BitmapWidth = 800 - 80;
  model.BitmapHeight = 320 - 57;
  model.UpdateLayout();
  const int column = window.left() + model.PositionToX(model.Slots[screen::FrequencySlot].Position);
  const int anchor = window.top() + model.BitmapHeight - 22;
  // The pointer's one-pixel stem runs from one to ten pixels above its anchor.
  for (int dy = 2; dy <= 9; ++dy)
    EXPECT_EQ(QColor(shot.pixel(column, anchor - dy)), QColor(0xFF, 0x00, 0x27))
        << "row " << anchor - dy;
  EXPECT_NE(QColor(shot.pixel(column + 6, anchor - 5)), QColor(0xFF, 0x00, 0x27))
      << "beside the pointer";
}

}  // namespace
}  // namespace app::test
