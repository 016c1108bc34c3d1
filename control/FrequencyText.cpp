#include "control/FrequencyText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace control {
namespace {

constexpr int ShownDecimals = 3;
constexpr int ShownPrecision = 15;

// The decimal digits of a positive value and the place of its decimal point:
// value = 0.d1d2d3... x 10^point.
struct TDecimalDigits {
  std::string Digits;
  int Point = 0;
};

// 18 significant digits of the value, taken from its long double form so
// that the later decimal rounding sees the value and not a binary artefact.
TDecimalDigits DecimalDigitsOf(long double value) {
  char buf[64];
  auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 17);
  std::string_view text(buf, static_cast<std::size_t>(result.ptr - buf));
  const auto e = text.find('e');
  TDecimalDigits d;
  d.Digits.push_back(text[0]);
  d.Digits.append(text.substr(2, e - 2));
  int exponent = 0;
  const auto* expBegin = text.data() + e + 1;
  if (*expBegin == '+') ++expBegin;
  std::from_chars(expBegin, text.data() + text.size(), exponent);
  d.Point = exponent + 1;
  return d;
}

// Keeps `keep` leading digits, rounding half away from zero on the next one.
void RoundDigits(TDecimalDigits& d, int keep) {
  if (keep < 0) {
    d.Digits.clear();
    return;
  }
  const bool up = static_cast<std::size_t>(keep) < d.Digits.size() && d.Digits[keep] >= '5';
  d.Digits.resize(std::min<std::size_t>(d.Digits.size(), keep));
  if (!up) return;
  int i = keep - 1;
  for (; i >= 0 && d.Digits[i] == '9'; --i) d.Digits[i] = '0';
  if (i >= 0) {
    ++d.Digits[i];
  } else {
    d.Digits.insert(d.Digits.begin(), '1');
    ++d.Point;
  }
}

char DigitAt(const TDecimalDigits& d, int index) {
  return index >= 0 && index < static_cast<int>(d.Digits.size()) ? d.Digits[index] : '0';
}

std::string FixedText(const TDecimalDigits& d) {
  std::string text;
  if (d.Point <= 0) text = "0";
  for (int i = 0; i < d.Point; ++i) text.push_back(DigitAt(d, i));
  text.push_back('.');
  for (int i = d.Point; i < d.Point + ShownDecimals; ++i) text.push_back(DigitAt(d, i));
  return text;
}

bool IsBlankOrControl(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u <= 32 || u == 127;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlankOrControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankOrControl(text.back())) text.remove_suffix(1);
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Sign, digits with at most one '.', at least one digit, optional exponent.
// Written out so that "nan", "inf", hexadecimal and the like never parse.
bool IsPlainDecimal(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  int digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      ++digits;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  if (i == text.size()) return true;
  if (text[i] != 'e' && text[i] != 'E') return false;
  ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) return false;
  }
  return true;
}

}  // namespace

std::string FormatDialogNumber(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  const bool negative = value < 0;
  const double magnitude = std::fabs(value);
  if (magnitude >= 1e15) {
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    return std::string(buf, result.ptr);
  }
  if (magnitude == 0) return "0.000";
  TDecimalDigits d = DecimalDigitsOf(static_cast<long double>(magnitude));
  RoundDigits(d, std::min(ShownPrecision, d.Point + ShownDecimals));
  std::string text = FixedText(d);
  const bool allZero = text.find_first_not_of("0.") == std::string::npos;
  return negative && !allZero ? "-" + text : text;
}

double ParseDialogNumber(std::string_view text) {
  text = Trimmed(text);
  if (!IsPlainDecimal(text)) return -1.0;
  if (text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc{} || result.ptr != text.data() + text.size()) return -1.0;
  if (!std::isfinite(value)) return -1.0;
  return value;
}

}  // namespace control
