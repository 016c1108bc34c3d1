#include "remote/ScpiFormat.h"

#include <charconv>
#include <cmath>

namespace remote {
namespace {

template <typename T>
std::string Shortest(T value) {
  if (!std::isfinite(value)) return "9.91E+37";
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general);
  std::string out(text, result.ptr);
  for (char& c : out)
    if (c == 'e') c = 'E';
  return out;
}

}  // namespace

std::string FormatReal(double value) { return Shortest(value); }
std::string FormatSingle(float value) { return Shortest(value); }
std::string FormatBoolean(bool value) { return value ? "1" : "0"; }

std::string FormatString(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

}  // namespace remote
