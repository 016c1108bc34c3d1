#include "window/HiddenText.h"

namespace control {

const std::array<std::uint8_t, 20> HiddenAboutBytes = {0x5A, 0xB3, 0xE9, 0x22, 0x42, 0xC1, 0xB0,
                                                       0xD8, 0x2B, 0xCD, 0xAC, 0x73, 0xE6, 0x9C,
                                                       0x4C, 0x5E, 0x4F, 0xEF, 0x8F, 0x3E};

std::uint8_t NextKeyByte(std::uint32_t& state, std::uint8_t stored) {
  state = state * 1664525u + 1013904223u;  // wraps modulo 2^32
  return static_cast<std::uint8_t>(stored ^ (state & 0xFFu));
}

std::string DecodeHiddenText(std::span<const std::uint8_t> stored) {
  std::string result;
  if (stored.size() < 2) return result;
  std::uint32_t state = stored[0];
  for (std::size_t i = 1; i < stored.size(); ++i)
    result.push_back(static_cast<char>(NextKeyByte(state, stored[i])));
  return result;
}

}  // namespace control
