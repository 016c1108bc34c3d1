// The texts the screen draws, read from the canvas's record rather than
// from font pixels: the large readout, the small readouts and the
// amplitude block in each mode, and the wide font's smaller readout.
#include <gtest/gtest.h>

#include <QFont>
#include <algorithm>
#include <vector>

#include "screen/Canvas.h"
#include "screen/ScreenTables.h"
#include "tests/screen/ScreenStates.h"
#include "tests/screen/ScreenPixels.h"

namespace screen {
namespace {

class ScreenTextTest : public ::testing::Test {
 protected:
  ScreenTextTest() {
    ValueFont.setPixelSize(100);
    ScaleFont.setPixelSize(12);
    Screen.SetScaleFont(&ScaleFont);
    Screen.SetValueFont(&ValueFont);
    Screen.View.TextLog = &Texts;
  }

  std::vector<QString> Drawn() {
    Screen.ResizeBitmap(800, 200);
    std::vector<QString> texts;
    for (const TDrawnText& t : Texts) texts.push_back(t.Text);
    return texts;
  }

  bool Shows(const QString& text) {
    const std::vector<QString> texts = Drawn();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }

  // The tallest text: the large readout.
  TDrawnText Largest() {
    Drawn();
    return *std::max_element(
        Texts.begin(), Texts.end(),
        [](const TDrawnText& a, const TDrawnText& b) { return a.CellHeight < b.CellHeight; });
  }

  QFont ValueFont{QStringLiteral("Arial Narrow")};
  QFont ScaleFont{QStringLiteral("Liberation Sans")};
  test::TDrawnScreen Screen;
  std::vector<TDrawnText> Texts;
};

TEST_F(ScreenTextTest, LargeReadoutAndAmplitudeOfTheSine) {
  EXPECT_EQ(Largest().Text, "1.0000 KHz");
  EXPECT_EQ(Largest().Color, Silver);
  // Sine, level 0 of the default tables: 0.123 V peak to peak, its r.m.s.
  // value and the peak, the half.
  EXPECT_TRUE(Shows(" 0.06 V")) << "the peak";
  EXPECT_TRUE(Shows("0.04 V")) << "the r.m.s. value";
  EXPECT_TRUE(Shows("rms"));
}

TEST_F(ScreenTextTest, DividedSquareHalvesEveryReadout) {
  Screen.Waveform = 3;
  Screen.Divider = 1;
  Screen.ShowStep();
  // 999.961 Hz halved reads as the round 500 Hz the user set.
  EXPECT_EQ(Largest().Text, "500.00 Hz");
  EXPECT_TRUE(Shows("Step = 0.512 Hz"));
  EXPECT_TRUE(Shows("\u00F7 2"));
  EXPECT_TRUE(Shows(" 0.31 V")) << "the square's level 0";
}

TEST_F(ScreenTextTest, PulseModeShowsPeriodWidthAndRate) {
  test::ShowPulse(Screen);
  EXPECT_EQ(Largest().Text, "16.06 \u00B5S");
  EXPECT_TRUE(Shows("9.375 \u00B5S")) << "the width";
  EXPECT_TRUE(Shows("62.26 KHz")) << "the rate";
}

TEST_F(ScreenTextTest, AWideValueFontDrawsTheReadoutAtNineTenths) {
  // The same aspect for both faces, so that only the face's factor differs.
  Screen.ValueAspect = 0.15;
  const int narrow = Largest().CellHeight;
  QFont wide(QStringLiteral("DejaVu Sans"));
  wide.setPixelSize(100);
  Screen.View.SetValueFont(&wide);
  Screen.ValueAspect = 0.15;
  EXPECT_NEAR(static_cast<double>(Largest().CellHeight) / narrow, 0.9, 0.03);
}

}  // namespace
}  // namespace screen
