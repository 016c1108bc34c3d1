// The connection: port names as the port dialog lists them.
#include <gtest/gtest.h>

#include <utility>

#include "tests/command/CommandPathFixture.h"

namespace control::test {
namespace {

TEST(PortNameOfEntry, TrimsBlanksAndControlCharactersBeforeTheColon) {
  const std::pair<const char*, const char*> cases[] = {
      {"  sim0: Virtual generator (/dev/pts/3)", "sim0"},
      {"\tttyUSB0 : FT232R USB UART (ttyUSB0)\r\n", "ttyUSB0"},
      {"\x01"
       "COM3",
       "COM3"},
      {" \t ", ""},
  };
  for (const auto& [line, name] : cases) EXPECT_EQ(PortNameOfEntry(line), name) << line;
}

}  // namespace
}  // namespace control::test
