// Number text of the frequency dialogs: what the edit line shows and how the
// typed text is read.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "command/FrequencyText.h"
#include "screen/ZOLScreenModel.h"

namespace control {
namespace {

TEST(DialogNumberFormat, ShowsThreeDecimalsWithPoint) {
  EXPECT_EQ(FormatDialogNumber(1000.0), "1000.000");
  EXPECT_EQ(FormatDialogNumber(0.0), "0.000");
  EXPECT_EQ(FormatDialogNumber(12500000.0), "12500000.000");
  EXPECT_EQ(FormatDialogNumber(2.5), "2.500");
  EXPECT_EQ(FormatDialogNumber(-2.5), "-2.500");
}

TEST(DialogNumberFormat, ShowsGridValues) {
  // 0.1 Hz on the grid is one word: 25e6 / 2^28 = 0.0931322574615...
  EXPECT_EQ(FormatDialogNumber(screen::TZOLScreenModel::SnapToGrid(0.1)), "0.093");
  // 1000 Hz is word 10737: 999.961048364639...
  EXPECT_EQ(FormatDialogNumber(screen::TZOLScreenModel::SnapToGrid(1000.0)), "999.961");
  // The grid's top word 0x7FFFFFF: 12499999.9068677425...
  EXPECT_EQ(FormatDialogNumber(screen::TZOLScreenModel::SnapToGrid(2e7)), "12499999.907");
}

TEST(DialogNumberFormat, RoundsDecimallyHalfAwayFromZero) {
  // 0.0625 and 0.0005 are exact halves in binary too: a binary round-to-even
  // would give 0.062 and 0.000.
  EXPECT_EQ(FormatDialogNumber(0.0625), "0.063");
  EXPECT_EQ(FormatDialogNumber(0.0005), "0.001");
  EXPECT_EQ(FormatDialogNumber(0.0004), "0.000");
  EXPECT_EQ(FormatDialogNumber(999.9996), "1000.000");
  EXPECT_EQ(FormatDialogNumber(9.9996), "10.000");
  // 9.9995 is 9.99949999999999938... as a double: below the half.
  EXPECT_EQ(FormatDialogNumber(9.9995), "9.999");
  EXPECT_EQ(FormatDialogNumber(-0.0001), "0.000");
}

TEST(DialogNumberFormat, KeepsAtMostFifteenSignificantDigits) {
  EXPECT_EQ(FormatDialogNumber(123456789012.3456), "123456789012.346");
  EXPECT_EQ(FormatDialogNumber(1234567890123.4567), "1234567890123.460");
  EXPECT_EQ(FormatDialogNumber(99999999999999.99), "100000000000000.000");
}

TEST(DialogNumberFormat, HugeAndNonFiniteValuesStayShortAndReadable) {
  const std::string huge = FormatDialogNumber(1e300);
  EXPECT_NE(huge.find("e+300"), std::string::npos) << huge;
  EXPECT_LT(huge.size(), 24u);
  EXPECT_EQ(FormatDialogNumber(NAN), "NAN");
  EXPECT_EQ(FormatDialogNumber(INFINITY), "INF");
}

TEST(DialogNumberParse, ReadsPlainDecimalsWithPoint) {
  EXPECT_EQ(ParseDialogNumber("1000"), 1000.0);
  EXPECT_EQ(ParseDialogNumber("1000.000"), 1000.0);
  EXPECT_EQ(ParseDialogNumber("0"), 0.0);
  EXPECT_EQ(ParseDialogNumber(".5"), 0.5);
  EXPECT_EQ(ParseDialogNumber("5."), 5.0);
  EXPECT_EQ(ParseDialogNumber("+7.25"), 7.25);
  EXPECT_EQ(ParseDialogNumber("-3"), -3.0);
  EXPECT_EQ(ParseDialogNumber("1e3"), 1000.0);
  EXPECT_EQ(ParseDialogNumber("2.5E-1"), 0.25);
  EXPECT_EQ(ParseDialogNumber("20000000"), 2e7);
}

TEST(DialogNumberParse, TrimsBlanksAndControlCharacters) {
  EXPECT_EQ(ParseDialogNumber("  12.5\t"), 12.5);
  EXPECT_EQ(ParseDialogNumber("\x01\r\n 3.25 \x7f"), 3.25);
}

TEST(DialogNumberParse, AnythingElseReadsAsMinusOne) {
  for (const char* text : {"", "   ", "abc", "1,5", "1.2.3", "12abc", "1 000", "--1", "+-1", "1e",
                           "e5", ".", "-", "0x10", "1e+", "١٢"}) {
    EXPECT_EQ(ParseDialogNumber(text), -1.0) << '"' << text << '"';
  }
}

TEST(DialogNumberParse, NeverYieldsNanOrInfinity) {
  for (const char* text : {"nan", "NaN", "-nan", "inf", "-inf", "infinity", "INF", "1e400",
                           "-1e400", "1e-400", "999999999999999999999999e999"}) {
    const double v = ParseDialogNumber(text);
    EXPECT_TRUE(std::isfinite(v)) << text;
    EXPECT_EQ(v, -1.0) << text;
  }
  // Huge but finite numbers are numbers; the callers bound them.
  EXPECT_EQ(ParseDialogNumber("1e300"), 1e300);
}

TEST(DialogNumberParse, ReadsBackWhatTheDialogShows) {
  for (double f : {0.0, 0.1, 1.0, 999.961, 1234.5, 12500000.0}) {
    const double grid = screen::TZOLScreenModel::SnapToGrid(f);
    EXPECT_NEAR(ParseDialogNumber(FormatDialogNumber(grid)), grid, 0.0005) << f;
  }
}

}  // namespace
}  // namespace control
