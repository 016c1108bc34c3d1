// The port list, the port dialog and the removal watcher over real udev:
// libudev (loaded at run time as always) reads a umockdev test bed holding a
// CH340 on ttyUSB0, a CDC-ACM device on ttyACM0, and a ttyS0 without a UART
// and a virtual console that the list leaves out.

// glib before Qt: its headers use the word "signals" that Qt defines.
#include "tests/serial/UdevTestbed.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QSignalSpy>

#include "serial/ComSel.h"
#include "serial/PortList.h"
#include "serial/PortRemovalWatcher.h"
#include "tests/serial/TempDir.h"

namespace serial {
namespace {

using Lines = std::vector<std::string>;

const Lines MockedLines{"ttyACM0: Uno R3 (CDC ACM) (ttyACM0)",
                        "ttyUSB0: CH340 serial converter (ttyUSB0)"};

class UdevPorts : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::TUdevTestbed::Available()) GTEST_SKIP() << "not under umockdev's preload library";
    for (const char* devices : {"ch340", "cdc-acm", "legacy"}) Bed.Add(devices);
  }
  test::TUdevTestbed Bed;
  test::TTempDir Registry;
};

TEST_F(UdevPorts, AdaptersAreListedWithTheirModelsAndTheRestLeftOut) {
  EXPECT_EQ(ListSerialPorts(EnumerateHardwarePorts, Registry().string()), MockedLines)
      << "no virtual console, no ttyS without a UART";
}

TEST_F(UdevPorts, EntriesCarryNodeDriverIdsAndModel) {
  Bed.SetProperty(test::CdcAcmTty, "ID_MM_DEVICE_IGNORE", "1");
  auto ports = EnumerateHardwarePorts();
  ASSERT_TRUE(ports.has_value());
  ASSERT_EQ(ports->size(), 2u);
  std::sort(ports->begin(), ports->end(),
            [](const TPortEntry& a, const TPortEntry& b) { return a.Name < b.Name; });
  struct TExpected {
    const char *Node, *Driver, *Vendor, *Product, *Model;
    bool Ignored;
  };
  const TExpected expected[] = {
      {"/dev/ttyACM0", "cdc_acm", "2341", "0043", "Uno R3 (CDC ACM)", true},
      {"/dev/ttyUSB0", "ch341-uart", "1a86", "7523", "CH340 serial converter", false}};
  for (std::size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE((*ports)[i].Name);
    EXPECT_EQ((*ports)[i].DevNode, expected[i].Node);
    EXPECT_EQ((*ports)[i].Driver, expected[i].Driver) << "the nearest parent's driver";
    EXPECT_EQ((*ports)[i].VendorId, expected[i].Vendor);
    EXPECT_EQ((*ports)[i].ProductId, expected[i].Product);
    EXPECT_EQ((*ports)[i].Model, expected[i].Model);
    EXPECT_EQ((*ports)[i].MmDeviceIgnore, expected[i].Ignored);
  }
}

TEST_F(UdevPorts, FriendlyNameFallsBackFromDatabaseToDeviceStrings) {
  struct TCase {
    std::vector<std::pair<const char*, const char*>> Properties;
    const char* Line;
  };
  const TCase cases[] = {
      {{{"ID_MODEL_FROM_DATABASE", ""}, {"ID_MODEL", "FT232R_USB_UART"}},
       "ttyUSB0: FT232R USB UART (ttyUSB0)"},
      {{{"ID_MODEL", ""}, {"ID_VENDOR_FROM_DATABASE", "QinHeng Electronics"}},
       "ttyUSB0: QinHeng Electronics (ttyUSB0)"},
      {{{"ID_VENDOR_FROM_DATABASE", ""}, {"ID_VENDOR", "Prolific"}}, "ttyUSB0: Prolific (ttyUSB0)"},
      {{{"ID_VENDOR", ""}}, "ttyUSB0: Serial port (ttyUSB0)"},
  };
  for (const TCase& c : cases) {  // each case clears one more string
    for (const auto& [key, value] : c.Properties) Bed.SetProperty(test::Ch340Tty, key, value);
    const Lines lines = ListSerialPorts(EnumerateHardwarePorts, Registry().string());
    EXPECT_NE(std::find(lines.begin(), lines.end(), c.Line), lines.end()) << c.Line;
  }
}

TEST_F(UdevPorts, PortDialogListsThemAsNameAndDescription) {
  TComSelBox box;
  box.open();
  QApplication::processEvents();
  Lines shown;
  for (int row = 0; row < box.ComListBox->count(); ++row)
    shown.push_back(box.ComListBox->item(row)->text().toStdString());
  // The machine's own registry may add virtual ports; the mocked ones are there.
  for (const std::string& line : MockedLines)
    EXPECT_NE(std::find(shown.begin(), shown.end(), line), shown.end()) << line;
  box.reject();
}

// Each kind of event reaches the watcher as its own signal, once; the other
// kinds do not.
TEST_F(UdevPorts, RemoveAndAddEventsReachTheWatcher) {
  struct TCase {
    void (TPortRemovalWatcher::*Signal)(QString);
    const char* Told;
    const char* Other;
  };
  for (const TCase& c : {TCase{&TPortRemovalWatcher::PortRemoved, "remove", "add"},
                         TCase{&TPortRemovalWatcher::PortAdded, "add", "remove"}}) {
    TPortRemovalWatcher watcher(nullptr, QString::fromStdString(Registry().string()));
    ASSERT_TRUE(watcher.MonitoringDevices());
    QSignalSpy spy(&watcher, c.Signal);
    Bed.Uevent(test::CdcAcmTty, "change");
    Bed.Uevent(test::Ch340Tty, c.Other);
    EXPECT_FALSE(spy.wait(300)) << "only " << c.Told << " counts";
    Bed.Uevent(test::Ch340Tty, c.Told);
    ASSERT_TRUE(spy.wait(3000)) << c.Told;
    EXPECT_EQ(spy.takeFirst().at(0).toString(), "ttyUSB0");
    EXPECT_FALSE(spy.wait(200)) << c.Told << " told once";
  }
}

}  // namespace
}  // namespace serial
