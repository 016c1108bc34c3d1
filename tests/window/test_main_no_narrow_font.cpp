// The main window on a machine without "Arial Narrow" or its metric twin:
// the readouts take the right panel's font at the same size, and nothing
// is reported. The binary's own main gives fontconfig a configuration with
// the DejaVu fonts only, before the application reads the typefaces.

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "window/ZOLMain.h"
#include "platform/MultimediaTimer.h"
#include "screen/ZOLScreen.h"
#include "tests/support/GuiTestMain.h"
#include "tests/support/MainWindowFixture.h"
#include "ui/ImageView.h"

namespace control::test {
namespace {

using TMainFormWithoutNarrowFont = MainWindowFixture;

// Pixels of the readouts' silver in the upper part of the screen, where the
// large readout and the amplitude block are drawn.
int ReadoutPixels(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height() * 3 / 5; ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) == 0xC0C0C0) ++count;
  return count;
}

TEST_F(TMainFormWithoutNarrowFont, ReadoutsUseTheRightPanelFontAndNothingIsReported) {
  const QStringList families = QFontDatabase::families();
  ASSERT_FALSE(families.contains("Liberation Sans Narrow")) << "the test's font configuration";
  ASSERT_FALSE(families.isEmpty());
  EXPECT_FALSE(ArialNarrowInstalled());

  Run->StopTicks();
  EXPECT_EQ(Form->Screen->ValueFont, &Form->RightPanelFont);
  EXPECT_EQ(Form->RightPanelFont.pixelSize(), Form->MainFont.pixelSize()) << "the same size";
  EXPECT_FALSE(Form->Screen->NarrowFont());

  Form->WMRedraw();
  EXPECT_GT(ReadoutPixels(Form->Image321->Image()), 500) << "the readouts are drawn";
  EXPECT_TRUE(Dialogs->Messages.empty()) << Dialogs->Messages.front().Text.toStdString();
}

// A fontconfig configuration that knows the DejaVu fonts only.
std::filesystem::path WriteFontConfiguration() {
  char pattern[] = "/tmp/zolvek-fonts-XXXXXX";
  const std::filesystem::path dir = ::mkdtemp(pattern);
  std::ofstream(dir / "fonts.conf") << "<?xml version=\"1.0\"?>\n"
                                       "<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                                       "<fontconfig>\n"
                                       "  <dir>/usr/share/fonts/truetype/dejavu</dir>\n"
                                       "  <cachedir>"
                                    << (dir / "cache").string()
                                    << "</cachedir>\n"
                                       "</fontconfig>\n";
  return dir;
}

}  // namespace
}  // namespace control::test

int main(int argc, char** argv) {
  const std::filesystem::path fonts = control::test::WriteFontConfiguration();
  ::setenv("FONTCONFIG_FILE", (fonts / "fonts.conf").c_str(), 1);
  const int result = test_support::RunGuiTests(argc, argv);
  std::filesystem::remove_all(fonts);
  return result;
}
