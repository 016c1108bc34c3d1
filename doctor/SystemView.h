#pragma once
// What the connection doctor looks at. Every system file it reads
// (/etc/group, /proc, the udev rules, brltty's program) is looked up under
// Root, so that tests supply their own; an empty Root is the machine itself.
// The hardware ports and USB devices come from functions (libudev by
// default), the user from this process.
//
// Plain data; any thread.

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "serial/PortList.h"

namespace doctor {

struct TUser {
  uid_t Uid = 0;
  std::string Name;
  std::vector<gid_t> SessionGroups;  // getgroups() and getgid() of this login session
};

// A USB device as udev lists it, whether or not it has a serial port.
struct TUsbDevice {
  std::string VendorId;   // e.g. 1a86
  std::string ProductId;  // e.g. 7523
  std::string Model;      // e.g. CH340 serial converter
};
using TUsbSource = std::function<std::optional<std::vector<TUsbDevice>>()>;

struct TSystemView {
  std::string Root;
  TUser User;
  std::string VirtualDirectory;
  serial::TPortSource HardwarePorts;
  TUsbSource UsbDevices;
  pid_t SelfPid = 0;  // left out of the process scans

  std::string Path(const std::string& absolute) const { return Root + absolute; }
};

TUser CurrentUser();
// The USB devices libudev lists; nothing when it cannot be loaded.
std::optional<std::vector<TUsbDevice>> EnumerateUsbDevices();
// The machine under root (empty: the machine itself), seen by this process.
TSystemView MachineView(const std::string& root = {});

}  // namespace doctor
