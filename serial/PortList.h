#pragma once
// The machine's serial ports as the port dialog lists them: one line
// "NAME: FRIENDLY NAME" per port, sorted ignoring case, without duplicates
// (ignoring case). Hardware ports come from the device-setup library bound
// at run time: libudev (PortListUdev.cpp) or SetupApi.dll's class "Ports"
// (PortListWin32.cpp); virtual ports are the links that the virtual
// generator keeps in VirtualPortDirectory() (none on Win32).
//
// Thread contract: the functions keep no state of their own; call them from
// any thread.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace serial {

struct TPortEntry {
  std::string Name;          // e.g. ttyUSB0
  std::string FriendlyName;  // e.g. FT232R USB UART (ttyUSB0)
  // What the device-setup library says of the device behind a hardware port
  // (the port dialog shows none of it; the connection doctor does). Virtual
  // ports have only DevNode, their link.
  std::string DevNode{};        // e.g. /dev/ttyUSB0
  std::string Driver{};         // of the nearest parent that has one, e.g. ch341-uart
  std::string VendorId{};       // ID_VENDOR_ID, e.g. 1a86
  std::string ProductId{};      // ID_MODEL_ID, e.g. 7523
  std::string Model{};          // ID_MODEL_FROM_DATABASE, else ID_MODEL
  bool MmDeviceIgnore = false;  // ID_MM_DEVICE_IGNORE=1: ModemManager leaves it alone
};

// Gives the hardware ports, or nothing when the device-setup library
// cannot be loaded.
using TPortSource = std::function<std::optional<std::vector<TPortEntry>>()>;

// The hardware ports that the device-setup library reports. POSIX: tty
// devices with a parent device, ttyS* only when a UART answers behind it.
// Win32: the present devices of the class "Ports" whose "PortName" begins
// with "COM", with their friendly names.
std::optional<std::vector<TPortEntry>> EnumerateHardwarePorts();
// Every symbolic link in directory whose target exists.
std::vector<TPortEntry> EnumerateVirtualPorts(const std::string& directory);

// Lines of the hardware source and of the virtual registry together.
// Virtual ports are listed even when the device-setup library is missing.
std::vector<std::string> ListSerialPorts(const TPortSource& hardware,
                                         const std::string& virtualDirectory);
std::vector<std::string> ListSerialPorts();

// Sorted ignoring case, a line equal to one present (ignoring case) dropped.
void AddPortLine(std::vector<std::string>& lines, const std::string& line);

// POSIX: ${XDG_RUNTIME_DIR:-/tmp}/zolvek-ports. Win32: empty (no registry).
std::string VirtualPortDirectory();
// POSIX: the link of a registered virtual port, else "/dev/" + name.
// Win32: "\\.\" + name.
std::string PortPathFor(const std::string& name);

}  // namespace serial
