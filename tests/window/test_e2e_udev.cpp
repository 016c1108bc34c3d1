// Pulling the cable, end to end over real udev: the window connects to the
// port ttyUSB0, which udev lists as the CH340 of a umockdev test bed, and the
// kernel's "remove" of that tty takes the program offline through the
// removal watcher, without a message.
//
// The virtual generator answers under the same name: it registers "ttyUSB0",
// so the program opens the registered link rather than the bed's
// /dev/ttyUSB0, on which umockdev answers FIONREAD, TIOCEXCL and TIOCMGET
// with errors of its own.

// glib before Qt: its headers use the word "signals" that Qt defines.
#include "tests/serial/UdevTestbed.h"

#include "serial/PortList.h"
#include "tests/support/MainWindowFixture.h"

namespace control::test {
namespace {

class UdevConnectTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    if (!serial::test::TUdevTestbed::Available())
      GTEST_SKIP() << "not under umockdev's preload library";
    // The window's removal watcher opens its udev monitor when it is made.
    Bed = std::make_unique<serial::test::TUdevTestbed>();
    Bed->Add("ch340");
    MainWindowFixture::SetUp();
    sim::TPtyOptions options;
    options.PortName = PortName = "ttyUSB0";
    Device = std::make_unique<sim::TPtyDevice>(options);
  }
  void TearDown() override {
    MainWindowFixture::TearDown();
    Bed.reset();
  }
  std::unique_ptr<serial::test::TUdevTestbed> Bed;
};

TEST_F(UdevConnectTest, RemovalOfTheConnectedAdapterTakesTheProgramOffline) {
  const std::vector<std::string> lines = serial::ListSerialPorts();
  ASSERT_NE(std::find(lines.begin(), lines.end(), "ttyUSB0: CH340 serial converter (ttyUSB0)"),
            lines.end());
  PressConnect();
  ASSERT_TRUE(Online());
  ASSERT_TRUE(WaitForCommands(4));
  Bed->Uevent(serial::test::Ch340Tty, "remove");
  ASSERT_TRUE(WaitUntil([&] { return !Online(); }));
  ExpectOffline();
  EXPECT_TRUE(Dialogs->Messages.empty());
}

}  // namespace
}  // namespace control::test
