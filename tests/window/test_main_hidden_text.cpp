// The hidden About text's generator and the stored text.

#include <gtest/gtest.h>

#include <cctype>
#include <vector>

#include "window/HiddenText.h"

namespace control {
namespace {

TEST(HiddenText, OneStepOfTheGenerator) {
  std::uint32_t state = 0;
  EXPECT_EQ(NextKeyByte(state, 0x00), 0x5F);  // 1013904223 = 0x3C6EF35F
  EXPECT_EQ(state, 1013904223u);
  EXPECT_EQ(NextKeyByte(state, 0xFF), 0xFF ^ ((1013904223u * 1664525u + 1013904223u) & 0xFF));
  state = 0xFFFFFFFFu;  // wraps modulo 2^32
  NextKeyByte(state, 0);
  EXPECT_EQ(state, static_cast<std::uint32_t>(0xFFFFFFFFull * 1664525ull + 1013904223ull));
}

TEST(HiddenText, ScramblingIsUndoneByTheSameSteps) {
  const std::string text = "Any text at all, 19";
  std::vector<std::uint8_t> stored = {0xA7};
  std::uint32_t state = stored[0];
  for (char c : text) stored.push_back(NextKeyByte(state, static_cast<std::uint8_t>(c)));
  EXPECT_EQ(DecodeHiddenText(stored), text);
}

TEST(HiddenText, FewerThanTwoBytesGiveNothing) {
  const std::vector<std::uint8_t> one = {0x42};
  EXPECT_EQ(DecodeHiddenText(one), "");
  EXPECT_EQ(DecodeHiddenText({}), "");
}

TEST(HiddenText, StoredTextIsNineteenPrintableCharacters) {
  const std::string text = DecodeHiddenText(HiddenAboutBytes);
  ASSERT_EQ(text.size(), 19u);
  for (char c : text) EXPECT_TRUE(std::isprint(static_cast<unsigned char>(c))) << int(c);
}

}  // namespace
}  // namespace control
