// Readout texts: decimal rounding, unit rows, the divider and the locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <locale>
#include <string>

#include "screen/ReadoutFormat.h"
#include "tests/support/CommaLocale.h"
#include "screen/ZOLScreenModel.h"

namespace screen {
namespace {

std::string Freq(int e, double f, int waveform = 1, int divider = 0) {
  return FormatFrequency(e, f, waveform, divider);
}

TEST(FormatFixedTest, DecimalRounding) {
  EXPECT_EQ(FormatFixed(0.999961, 5, 4), "1.0000");
  EXPECT_EQ(FormatFixed(0.0931322574615, 6, 4), "0.0931");
  EXPECT_EQ(FormatFixed(12.499999906867743, 5, 2), "12.50");
  EXPECT_EQ(FormatFixed(0.0435, 3, 2), "0.04");
  EXPECT_EQ(FormatFixed(5.0, 3, 2), "5.00");
  EXPECT_EQ(FormatFixed(0.625, 3, 2), "0.63");
  // The double 0.615 is stored just below the half: its decimal digits
  // read 0.614999999999999991.
  EXPECT_EQ(FormatFixed(0.615, 3, 2), "0.61");
  EXPECT_EQ(FormatFixed(2.675, 3, 2), "2.67");
  EXPECT_EQ(FormatFixed(2.5, 1, 0), "3");
  EXPECT_EQ(FormatFixed(99999.5, 5, 1), "100000.0");
  EXPECT_EQ(FormatFixed(123456.0, 3, 1), "123000.0");
  EXPECT_EQ(FormatFixed(0.0, 5, 2), "0.00");
  EXPECT_EQ(FormatFixed(0.004, 3, 2), "0.00");
  EXPECT_EQ(FormatFixed(0.005, 3, 2), "0.01");
  EXPECT_EQ(FormatFixed(-1.25, 3, 1), "-1.3");
  EXPECT_EQ(FormatFixed(-0.001, 3, 2), "0.00");
  EXPECT_EQ(FormatFixed(7.0, 3, 0), "7");
  EXPECT_EQ(FormatFixed(1e20L, 5, 0), "100000000000000000000");
  EXPECT_EQ(FormatFixed(std::numeric_limits<double>::quiet_NaN(), 5, 2), "NAN");
  EXPECT_EQ(FormatFixed(std::numeric_limits<double>::infinity(), 5, 2), "INF");
}

TEST(FormatFrequencyTest, RowsAndUnits) {
  EXPECT_EQ(Freq(2, 999.9610483646393), "1.0000 KHz");
  EXPECT_EQ(Freq(1, 999.9610483646393), "1.000 KHz");
  EXPECT_EQ(Freq(1, 0.09313225746154785), "0.0931 Hz");
  EXPECT_EQ(Freq(1, 12499999.906867743), "12.50 MHz");
  EXPECT_EQ(Freq(2, 12499999.906867743), "12.500 MHz");
  EXPECT_EQ(Freq(0, 1.0244548320770264), "1.02 Hz");
  EXPECT_EQ(Freq(1, 500.0270903110504), "500.0 Hz");
  EXPECT_EQ(Freq(2, 0.999994), "0.99999 Hz");
  EXPECT_EQ(Freq(0, 0.999994), "1.000 Hz");
  EXPECT_EQ(Freq(0, 0.9999951), "1.00 Hz");
  EXPECT_EQ(Freq(0, 99.9995), "100.0 Hz");
  EXPECT_EQ(Freq(0, 999.95), "1.00 KHz");
  EXPECT_EQ(Freq(0, 99949.0), "99.9 KHz");
  EXPECT_EQ(Freq(0, 99999.5), "100 KHz");
  EXPECT_EQ(Freq(0, 999995), "1.00 MHz");
  EXPECT_EQ(Freq(0, 9999950), "10.0 MHz");
  EXPECT_EQ(Freq(1, 99999500), "OVF");
  EXPECT_EQ(Freq(1, std::numeric_limits<double>::quiet_NaN()), "OVF");
  EXPECT_EQ(Freq(1, -1), " ???");
}

TEST(FormatFrequencyTest, DividedSquareShowsHalf) {
  EXPECT_EQ(Freq(2, 999.9610483646393, 3, 1), "500.00 Hz");
  EXPECT_EQ(Freq(1, 999.9610483646393, 3, 1), "500.0 Hz");
  EXPECT_EQ(Freq(1, 12499999.906867743, 3, 1), "6.250 MHz");
  EXPECT_EQ(Freq(2, 999.9610483646393, 1, 1), "1.0000 KHz");
  EXPECT_EQ(Freq(2, 999.9610483646393, 3, 0), "1.0000 KHz");
  // Only the exact text 499.98 is replaced.
  EXPECT_EQ(Freq(2, 999.92, 3, 1), "499.96 Hz");
}

TEST(FormatVoltsTest, AmplitudeBlockFromDefaultTables) {
  // The tables hold single-precision values; the texts must come from them.
  const TZOLScreenModel m;
  const auto& analog = m.AnalogAmpTable;
  const auto& square = m.SquareAmpTable;
  EXPECT_EQ(FormatVolts(analog[0] / SinePeakToRms), "0.04 V");
  EXPECT_EQ(FormatVolts(analog[0] / 2.0L), "0.06 V");
  EXPECT_EQ(FormatVolts(analog[0]), "0.12 V");
  EXPECT_EQ(FormatVolts(square[0]), "0.31 V");
  EXPECT_EQ(FormatVolts(analog[15] / SinePeakToRms), "0.23 V");
  EXPECT_EQ(FormatVolts(analog[15] / 2.0L), "0.32 V");
  EXPECT_EQ(FormatVolts(square[15]), "5.00 V");
  EXPECT_EQ(FormatVolts(square[14]), "4.68 V");
  EXPECT_EQ(FormatVolts(square[1]), "0.63 V");
}

TEST(FormatPeriodTest, RowsAndUnits) {
  EXPECT_EQ(FormatPeriod(0.00000025), "250.0 nS");
  EXPECT_EQ(FormatPeriod(257.0 / 16000000), "16.06 \u00B5S");
  EXPECT_EQ(FormatPeriod(65536.0 * 1024 / 16000000), "4.194 S");
  EXPECT_EQ(FormatPeriod(0.000004), "4.000 \u00B5S");
  EXPECT_EQ(FormatPeriod(0.0005), "500.0 \u00B5S");
  EXPECT_EQ(FormatPeriod(0.0016), "1.600 mS");
  EXPECT_EQ(FormatPeriod(0.05), "50.00 mS");
  EXPECT_EQ(FormatPeriod(0.5), "500.0 mS");
  EXPECT_EQ(FormatPeriod(50), "50.00 S");
  EXPECT_EQ(FormatPeriod(500), "500.0 S");
  EXPECT_EQ(FormatPeriod(1000), "OVF");
  EXPECT_EQ(FormatPeriod(-0.001), " ???");
}

// A C++ locale whose decimal point is a comma.
struct TCommaPoint : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

TEST(FormatLocaleTest, PointWhateverTheLocale) {
  const std::locale saved =
      std::locale::global(std::locale(std::locale::classic(), new TCommaPoint));
  EXPECT_EQ(FormatFixed(1234.5678, 8, 2), "1234.57");
  const bool german = test_support::UseCommaLocale();
  if (german) {
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    EXPECT_STREQ(probe, "1,5");  // the locale really is active
    EXPECT_EQ(FormatFixed(0.625, 3, 2), "0.63");
    EXPECT_EQ(Freq(2, 999.9610483646393), "1.0000 KHz");
    EXPECT_EQ(FormatPeriod(257.0 / 16000000), "16.06 \u00B5S");
  }
  std::setlocale(LC_ALL, "C");
  std::locale::global(saved);
  if (!german) GTEST_SKIP() << "no comma locale could be built; checked the C++ locale only";
}

}  // namespace
}  // namespace screen
