// The port's name now for what --port gives: a name, a stable path, a path
// to something that is no port, a path or a port that is missing.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "bridge/PortNames.h"

namespace bridge {
namespace {

namespace fs = std::filesystem;

struct TPortNames : ::testing::Test {
  fs::path Dir = fs::path(::testing::TempDir()) / ("ports-" + std::to_string(::getpid()));
  void SetUp() override {
    fs::create_directories(Dir / "zolvek-ports");
    ::setenv("XDG_RUNTIME_DIR", Dir.c_str(), 1);
  }
  void TearDown() override { fs::remove_all(Dir); }
};

struct TNameCase {
  const char* Given;     // relative to Dir when it starts with "@"
  const char* Expected;  // "" for nothing
  bool Error;
};

class TPortNamesCases : public TPortNames, public ::testing::WithParamInterface<TNameCase> {};

TEST_P(TPortNamesCases, FollowsTheGivenToThePortNow) {
  std::ofstream(Dir / "pty") << "x";
  fs::create_symlink(Dir / "pty", Dir / "zolvek-ports" / "sim0");  // a virtual port
  fs::create_symlink("/dev/null", Dir / "by-id-link");             // a stable link to a device
  fs::create_symlink(Dir / "pty", Dir / "not-a-device");
  const std::string given = GetParam().Given[0] == '@' ? (Dir / (GetParam().Given + 1)).string()
                                                       : std::string(GetParam().Given);
  std::string error;
  const std::optional<std::string> name = CurrentPortName(given, error);
  EXPECT_EQ(name.value_or(""), GetParam().Expected);
  EXPECT_EQ(!error.empty(), GetParam().Error) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TPortNamesCases,
    ::testing::Values(TNameCase{"sim0", "sim0", false}, TNameCase{"sim9", "", false},
                      TNameCase{"null", "null", false}, TNameCase{"/dev/null", "null", false},
                      TNameCase{"@by-id-link", "null", false},
                      TNameCase{"@missing-link", "", false}, TNameCase{"@not-a-device", "", true}));

TEST(PortPaths, APathHoldsASlash) {
  EXPECT_TRUE(IsPortPath("/dev/serial/by-id/usb-1a86_USB_Serial-if00-port0"));
  EXPECT_FALSE(IsPortPath("ttyUSB0"));
}

}  // namespace
}  // namespace bridge
