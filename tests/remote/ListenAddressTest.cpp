// The [ADDRESS:]PORT of the server's option.

#include <gtest/gtest.h>

#include "remote/ListenAddress.h"

namespace remote {
namespace {

struct TAddressCase {
  const char* Text;
  bool Valid;
  const char* Host;
  std::uint16_t Port;
};

const TAddressCase Cases[] = {
    {"5025", true, "127.0.0.1", 5025},
    {"0.0.0.0:5025", true, "0.0.0.0", 5025},
    {"[::1]:6000", true, "::1", 6000},
    {"localhost:0", true, "localhost", 0},
    {"65535", true, "127.0.0.1", 65535},
    {"65536", false, "", 0},
    {"", false, "", 0},
    {"0.0.0.0:", false, "", 0},
    {":5025", false, "", 0},
    {"::1:5025", false, "", 0},
    {"5025x", false, "", 0},
    {"-1", false, "", 0},
};

class ListenAddressTest : public ::testing::TestWithParam<TAddressCase> {};

TEST_P(ListenAddressTest, Parsed) {
  const auto address = ParseListenAddress(GetParam().Text);
  ASSERT_EQ(address.has_value(), GetParam().Valid);
  if (address) {
    EXPECT_EQ(address->Host, GetParam().Host);
    EXPECT_EQ(address->Port, GetParam().Port);
  }
}

INSTANTIATE_TEST_SUITE_P(Texts, ListenAddressTest, ::testing::ValuesIn(Cases));

}  // namespace
}  // namespace remote
