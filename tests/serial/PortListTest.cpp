// Port listing: order and duplicates, the virtual registry, and the run-time
// binding (real libudev; a stand-in that lacks entry points). The udev
// devices themselves are tested in a umockdev test bed (UdevPortsTest.cpp).

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "serial/ModuleLoader.h"
#include "serial/PortList.h"
#include "serial/UdevApi.h"
#include "tests/serial/TempDir.h"

namespace serial {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

TPortSource Fixed(std::vector<TPortEntry> ports) {
  return [ports] { return std::optional<std::vector<TPortEntry>>(ports); };
}

TPortSource Missing() {
  return [] { return std::optional<std::vector<TPortEntry>>(); };
}

// Points the binding at another library for one test.
class TLibraryOverride {
 public:
  explicit TLibraryOverride(const std::string& library) { SetSetupApiLibrary(library); }
  ~TLibraryOverride() { SetSetupApiLibrary(DefaultSetupApiLibrary()); }
};

void Touch(const fs::path& file) { std::ofstream(file) << "x"; }

TEST(PortLines, SortedIgnoringCaseWithoutDuplicates) {
  Lines lines;
  AddPortLine(lines, "COM2: Communications Port (COM2)");
  AddPortLine(lines, "COM10: USB Serial Port (COM10)");
  AddPortLine(lines, "com1: built-in");
  AddPortLine(lines, "COM1: BUILT-IN");
  AddPortLine(lines, "COM3: USB Serial Port (COM3)");
  // Whole lines compare: ':' sorts after '0', so COM10's line comes before COM1's.
  EXPECT_EQ(lines, (Lines{"COM10: USB Serial Port (COM10)", "com1: built-in",
                          "COM2: Communications Port (COM2)", "COM3: USB Serial Port (COM3)"}));
}

TEST(PortLines, HardwareLinesEndAtTheirFirstZeroCharacter) {
  test::TTempDir registry;
  const Lines lines =
      ListSerialPorts(Fixed({{std::string("ttyUSB0\0junk", 12), std::string("FT232R\0junk", 11)},
                             {"ttyS0", "16550A (ttyS0)"}}),
                      registry().string());
  EXPECT_EQ(lines, (Lines{"ttyS0: 16550A (ttyS0)", "ttyUSB0: FT232R"}));
}

TEST(PortLines, MissingLibraryAndEmptyRegistryGiveAnEmptyList) {
  test::TTempDir registry;
  EXPECT_TRUE(ListSerialPorts(Missing(), registry().string()).empty());
  EXPECT_TRUE(ListSerialPorts(Missing(), (registry() / "absent").string()).empty());
  EXPECT_TRUE(ListSerialPorts(Fixed({}), registry().string()).empty());
}

TEST(VirtualPorts, LinksWithATargetAreListedAndStaleOnesSkipped) {
  test::TTempDir registry;
  Touch(registry() / "pts-target");
  fs::create_symlink(registry() / "pts-target", registry() / "zolsim0");
  fs::create_symlink(registry() / "gone", registry() / "zolsim1");  // stale
  Touch(registry() / "not-a-link");
  const std::string target = (registry() / "pts-target").string();
  EXPECT_EQ(ListSerialPorts(Missing(), registry().string()),
            (Lines{"zolsim0: Virtual generator (" + target + ")"}))
      << "virtual ports are listed even without the device-setup library";
  EXPECT_EQ(
      ListSerialPorts(Fixed({{"ttyUSB0", "FT232R USB UART (ttyUSB0)"},
                             {"TTYUSB0", "ft232r usb uart (TTYUSB0)"}}),
                      registry().string()),
      (Lines{"ttyUSB0: FT232R USB UART (ttyUSB0)", "zolsim0: Virtual generator (" + target + ")"}));
}

TEST(VirtualPorts, RegistryFollowsTheRuntimeDirectoryAndPathsPreferLinks) {
  test::TTempDir runtime;
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string savedValue = saved ? saved : "";
  ::setenv("XDG_RUNTIME_DIR", runtime().c_str(), 1);
  EXPECT_EQ(VirtualPortDirectory(), (runtime() / "zolvek-ports").string());
  fs::create_directory(runtime() / "zolvek-ports");
  Touch(runtime() / "pty");
  fs::create_symlink(runtime() / "pty", runtime() / "zolvek-ports" / "zolsim0");
  EXPECT_EQ(PortPathFor("zolsim0"), (runtime() / "zolvek-ports" / "zolsim0").string());
  EXPECT_EQ(PortPathFor("ttyUSB0"), "/dev/ttyUSB0");
  EXPECT_EQ(PortPathFor("../pty"), "/dev/../pty") << "no escape from the registry";
  const Lines lines = ListSerialPorts();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "zolsim0: Virtual generator (" + (runtime() / "pty").string() + ")"),
            lines.end());
  ::setenv("XDG_RUNTIME_DIR", "", 1);
  EXPECT_EQ(VirtualPortDirectory(), "/tmp/zolvek-ports");
  if (saved)
    ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
  else
    ::unsetenv("XDG_RUNTIME_DIR");
}

TEST(ModuleLoaderTest, BindsByNameAndKeepsARunningAllFoundFlag) {
  TModuleLoader loader;
  EXPECT_FALSE(loader.Load("libzolvek-no-such-library.so.1"));
  EXPECT_FALSE(loader.AllFound());
  EXPECT_EQ(loader.Bind("strlen"), nullptr);
  ASSERT_TRUE(loader.Load("libc.so.6"));
  EXPECT_NE(loader.Bind("strlen"), nullptr);
  EXPECT_TRUE(loader.AllFound());
  EXPECT_EQ(loader.Bind("zolvek_no_such_entry"), nullptr);
  EXPECT_FALSE(loader.AllFound());
  EXPECT_NE(loader.Bind("strcmp"), nullptr);
  EXPECT_FALSE(loader.AllFound()) << "the flag stays cleared";
  loader.Free();
  EXPECT_FALSE(loader.Loaded());
}

TEST(SetupApiBinding, LoadsAreCounted) {
  EXPECT_TRUE(LoadSetupApi());
  EXPECT_TRUE(LoadSetupApi());
  ReleaseSetupApi();
  EXPECT_TRUE(IsSetupApiLoaded());
  EXPECT_NE(SetupApi().udev_new, nullptr);
  ReleaseSetupApi();
  EXPECT_FALSE(IsSetupApiLoaded());
  EXPECT_EQ(SetupApi().udev_new, nullptr) << "the last release clears every binding";
}

TEST(SetupApiBinding, MissingOrIncompleteLibraryGivesNoPorts) {
  {
    TLibraryOverride library("libzolvek-no-such-udev.so.1");
    EXPECT_FALSE(EnumerateHardwarePorts().has_value());
    test::TTempDir registry;
    EXPECT_TRUE(ListSerialPorts(EnumerateHardwarePorts, registry().string()).empty());
  }
  {
    TLibraryOverride library(ZOLVEK_FAKE_UDEV_INCOMPLETE);
    EXPECT_FALSE(EnumerateHardwarePorts().has_value()) << "one entry point missing";
    EXPECT_FALSE(IsSetupApiLoaded());
  }
}

}  // namespace
}  // namespace serial
