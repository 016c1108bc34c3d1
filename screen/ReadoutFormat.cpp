#include "screen/ReadoutFormat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace screen {

namespace {

constexpr int SignificantDigits = 18;

// The value as 18 significant decimal digits d0.d1...d17 x 10^exponent.
// std::to_chars should not look at the locale, but mingw-w64's runtime
// formats a long double with the locale's decimal point (a comma in German
// locales, seen under Wine): only the digits are taken.
struct TDecimal {
  std::string Digits;
  int Exponent = 0;
};

TDecimal ToDecimal(long double magnitude) {
  std::array<char, 64> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                    std::chars_format::scientific, SignificantDigits - 1);
  const std::string text(buffer.data(), result.ptr);
  TDecimal decimal;
  const auto e = text.find('e');
  for (std::size_t i = 0; i < e; ++i)
    if (text[i] >= '0' && text[i] <= '9') decimal.Digits.push_back(text[i]);
  decimal.Exponent = std::atoi(text.c_str() + e + 1);
  return decimal;
}

// Keeps the first `keep` digits, rounding the dropped rest half away from
// zero; a carry out of the first digit moves the exponent up.
void RoundDigits(TDecimal& decimal, int keep) {
  if (keep < 0) {
    decimal.Digits.clear();
    return;
  }
  const bool roundUp =
      keep < static_cast<int>(decimal.Digits.size()) && decimal.Digits[keep] >= '5';
  decimal.Digits.resize(std::min<std::size_t>(keep, decimal.Digits.size()));
  if (!roundUp) return;
  int i = keep - 1;
  while (i >= 0 && decimal.Digits[i] == '9') decimal.Digits[i--] = '0';
  if (i >= 0) {
    ++decimal.Digits[i];
  } else {
    decimal.Digits.insert(decimal.Digits.begin(), '1');
    ++decimal.Exponent;
  }
}

// The digit at decimal place `place` (0 = units, -1 = tenths, ...).
char DigitAt(const TDecimal& decimal, int place) {
  const int index = decimal.Exponent - place;
  if (index < 0 || index >= static_cast<int>(decimal.Digits.size())) return '0';
  return decimal.Digits[index];
}

bool IsZero(const TDecimal& decimal) {
  return decimal.Digits.find_first_not_of('0') == std::string::npos;
}

std::string WithUnit(const std::string& number, const char* unit) { return number + unit; }

}  // namespace

std::string FormatFixed(long double x, int precision, int decimals) {
  if (std::isnan(x)) return "NAN";
  if (std::isinf(x)) return x < 0 ? "-INF" : "INF";
  decimals = std::max(decimals, 0);
  TDecimal decimal = ToDecimal(std::fabs(x));
  RoundDigits(decimal, std::min(precision, decimal.Exponent + decimals + 1));
  std::string text;
  // No "-0.00": a negative value that rounds to nothing prints as zero.
  if (x < 0 && !IsZero(decimal)) text.push_back('-');
  for (int place = std::max(decimal.Exponent, 0); place >= 0; --place)
    text.push_back(DigitAt(decimal, place));
  if (decimals > 0) {
    text.push_back('.');
    for (int place = -1; place >= -decimals; --place) text.push_back(DigitAt(decimal, place));
  }
  return text;
}

std::string FormatFrequency(int extraDecimals, double f, int waveform, int divider) {
  if (f < 0) return " ???";
  long double v = f;
  if (waveform == 3 && divider != 0) v = v / 2.0L;
  const int e = extraDecimals;
  if (v < 0.999995L) return WithUnit(FormatFixed(v, 6, e + 3), " Hz");
  if (v < 9.99995L) return WithUnit(FormatFixed(v, 5, e + 2), " Hz");
  if (v < 99.9995L) return WithUnit(FormatFixed(v, 5, e + 1), " Hz");
  if (v < 999.95L) {
    std::string number = FormatFixed(v, 5, e);
    // The default 1000 Hz sits on the grid at 999.961 Hz; halved by the
    // divider it should still read as the round 500 Hz the user set.
    if (number == "499.98") number = "500.00";
    return WithUnit(number, " Hz");
  }
  if (v < 9999.95L) return WithUnit(FormatFixed(v / 1000.0L, 5, e + 2), " KHz");
  if (v < 99999.5L) return WithUnit(FormatFixed(v / 1000.0L, 5, e + 1), " KHz");
  if (v < 999995.0L) return WithUnit(FormatFixed(v / 1000.0L, 5, e), " KHz");
  if (v < 9999950.0L) return WithUnit(FormatFixed(v / 1000000.0L, 5, e + 2), " MHz");
  if (v < 99999500.0L) return WithUnit(FormatFixed(v / 1000000.0L, 5, e + 1), " MHz");
  return "OVF";
}

std::string FormatVolts(long double volts) { return FormatFixed(volts, 3, 2) + " V"; }

std::string FormatPeriod(double t) {
  if (t < 0) return " ???";
  const long double u = static_cast<long double>(t) * 1000000.0L;
  if (u < 0.999995L) return WithUnit(FormatFixed(u * 1000.0L, 5, 1), " nS");
  if (u < 9.99995L) return WithUnit(FormatFixed(u, 5, 3), " \u00B5S");
  if (u < 99.9995L) return WithUnit(FormatFixed(u, 5, 2), " \u00B5S");
  if (u < 999.95L) return WithUnit(FormatFixed(u, 5, 1), " \u00B5S");
  if (u < 9999.95L) return WithUnit(FormatFixed(u / 1000.0L, 5, 3), " mS");
  if (u < 99999.5L) return WithUnit(FormatFixed(u / 1000.0L, 5, 2), " mS");
  if (u < 999995.0L) return WithUnit(FormatFixed(u / 1000.0L, 5, 1), " mS");
  if (u < 9999950.0L) return WithUnit(FormatFixed(u / 1000000.0L, 5, 3), " S");
  if (u < 99999500.0L) return WithUnit(FormatFixed(u / 1000000.0L, 5, 2), " S");
  if (u < 999995000.0L) return WithUnit(FormatFixed(u / 1000000.0L, 5, 1), " S");
  return "OVF";
}

}  // namespace screen
