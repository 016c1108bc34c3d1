#include "sim/Tables.h"

#include <charconv>

namespace sim {

std::string FormatNumber(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

}  // namespace sim
