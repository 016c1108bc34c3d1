// The port list's Win32 half against Wine's SetupAPI: SetupApi.dll bound
// at run time, and devices of the class "Ports" that the test registers.

#include <windows.h>
#include <devguid.h>
#include <setupapi.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "serial/PortList.h"
#include "serial/SetupDiApi.h"

namespace serial {
namespace {

// A root-enumerated device of the class "Ports", registered for the test's
// lifetime with a friendly name and a "PortName" value.
class TRegisteredPort {
 public:
  TRegisteredPort(const char* instance, const char* friendly, const char* portName) {
    List = ::SetupDiCreateDeviceInfoList(&GUID_DEVCLASS_PORTS, nullptr);
    Device.cbSize = sizeof Device;
    Ok = List != INVALID_HANDLE_VALUE &&
         ::SetupDiCreateDeviceInfoA(List, instance, &GUID_DEVCLASS_PORTS, friendly, nullptr,
                                    DICD_GENERATE_ID, &Device) &&
         ::SetupDiSetDeviceRegistryPropertyA(List, &Device, SPDRP_FRIENDLYNAME,
                                             reinterpret_cast<const BYTE*>(friendly),
                                             static_cast<DWORD>(strlen(friendly) + 1)) &&
         ::SetupDiRegisterDeviceInfo(List, &Device, 0, nullptr, nullptr, nullptr);
    if (!Ok) return;
    const HKEY key =
        ::SetupDiCreateDevRegKeyA(List, &Device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, nullptr, nullptr);
    Ok = key != INVALID_HANDLE_VALUE &&
         ::RegSetValueExA(key, "PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(portName),
                          static_cast<DWORD>(strlen(portName) + 1)) == ERROR_SUCCESS;
    if (key != INVALID_HANDLE_VALUE) ::RegCloseKey(key);
  }
  ~TRegisteredPort() {
    if (List == INVALID_HANDLE_VALUE) return;
    ::SetupDiRemoveDevice(List, &Device);
    ::SetupDiDestroyDeviceInfoList(List);
  }
  bool Ok = false;

 private:
  HDEVINFO List = INVALID_HANDLE_VALUE;
  SP_DEVINFO_DATA Device{};
};

TEST(PortListWin32, SetupApiDllIsBoundByNameAndReleasedByCount) {
  EXPECT_TRUE(LoadSetupApi());
  EXPECT_TRUE(LoadSetupApi());
  ReleaseSetupApi();
  EXPECT_TRUE(IsSetupApiLoaded());
  EXPECT_NE(SetupDiApi().SetupDiGetClassDevsA, nullptr);
  ReleaseSetupApi();
  EXPECT_FALSE(IsSetupApiLoaded());
  EXPECT_EQ(SetupDiApi().SetupDiGetClassDevsA, nullptr) << "the last release clears every binding";
}

TEST(PortListWin32, WithoutTheLibraryTheListIsEmpty) {
  SetSetupApiLibrary("NoSuchSetupApi.dll");
  EXPECT_FALSE(EnumerateHardwarePorts().has_value());
  EXPECT_TRUE(ListSerialPorts().empty());
  SetSetupApiLibrary(DefaultSetupApiLibrary());
}

TEST(PortListWin32, WhatWinesSetupApiKnowsBeforeAnyDeviceIsRegistered) {
  const auto ports = EnumerateHardwarePorts();
  ASSERT_TRUE(ports.has_value()) << "SetupApi.dll loads";
  for (const auto& line : ListSerialPorts()) {
    std::printf("listed: %s\n", line.c_str());
    EXPECT_EQ(line.rfind("COM", 0), 0u) << line;
  }
  std::printf("%zu port(s) before registering any\n", ports->size());
}

TEST(PortListWin32, RegisteredComPortsAreListedSortedAndPrinterPortsAreNot) {
  TRegisteredPort com10("ZOLVEK10", "Zolvek Test Port (COM10)", "COM10");
  TRegisteredPort com2("ZOLVEK2", "USB Serial Port (COM2)", "COM2");
  TRegisteredPort lpt("ZOLVEKLPT", "Printer Port (LPT1)", "LPT1");
  ASSERT_TRUE(com10.Ok && com2.Ok && lpt.Ok)
      << "registering the devices failed: " << ::GetLastError();
  const auto lines = ListSerialPorts();
  for (const auto& line : lines) std::printf("listed: %s\n", line.c_str());
  const auto at = [&](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) - lines.begin();
  };
  const auto com10At = at("COM10: Zolvek Test Port (COM10)");
  const auto com2At = at("COM2: USB Serial Port (COM2)");
  ASSERT_LT(com10At, static_cast<long>(lines.size()));
  ASSERT_LT(com2At, static_cast<long>(lines.size()));
  EXPECT_LT(com10At, com2At) << "COM10 sorts before COM2";
  for (const auto& line : lines) EXPECT_EQ(line.find("LPT1"), std::string::npos) << line;
}

TEST(PortListWin32, PortPathIsTheDevicePrefixAndTheName) {
  EXPECT_EQ(PortPathFor("COM3"), "\\\\.\\COM3");
}

}  // namespace
}  // namespace serial
