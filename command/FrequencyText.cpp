#include "command/FrequencyText.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "screen/ReadoutFormat.h"

namespace control {
namespace {

constexpr int ShownDecimals = 3;
constexpr int ShownPrecision = 15;

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
  if (std::fabs(value) >= 1e15) {
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    return std::string(buf, result.ptr);
  }
  return screen::FormatFixed(value, ShownPrecision, ShownDecimals);
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
