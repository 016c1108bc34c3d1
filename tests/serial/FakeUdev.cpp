// A stand-in for libudev.so.1 with a fixed set of tty devices, loaded by the
// tests through the same run-time binding as the real library. Built without
// one entry point (ZOLVEK_FAKE_UDEV_INCOMPLETE) it checks the all-found rule.

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

struct udev {
  int Refs = 1;
};
struct udev_device {
  std::string Syspath, Sysname, Devnode, Action;
  bool HasParent = false;
  std::map<std::string, std::string> Properties;
  udev_device* Parent = nullptr;
};
struct udev_list_entry {
  std::string Name;
  udev_list_entry* Next = nullptr;
};
struct udev_enumerate {
  std::vector<udev_list_entry> Entries;
};
struct udev_monitor {
  int Pipe[2] = {-1, -1};
};

namespace {

udev_device ParentDevice{"/sys/devices/pci0000:00/usb1", "usb1", "", "", false, {}, nullptr};

std::vector<udev_device> Devices() {
  return {
      {"/sys/devices/pci0000:00/usb1/ttyUSB0", "ttyUSB0", "/dev/ttyUSB0", "", true,
       {{"ID_MODEL", "FT232R_USB_UART"}, {"ID_VENDOR", "FTDI"}}, nullptr},
      {"/sys/devices/pci0000:00/usb1/ttyACM0", "ttyACM0", "/dev/ttyACM0", "", true,
       {{"ID_MODEL_FROM_DATABASE", "Uno R3"}, {"ID_MODEL", "Arduino_Uno"}}, nullptr},
      {"/sys/devices/pci0000:00/usb1/ttyUSB1", "ttyUSB1", "/dev/ttyUSB1", "", true,
       {{"ID_VENDOR", "Prolific"}}, nullptr},
      // A legacy port without a UART: /dev/null answers no serial probe.
      {"/sys/devices/platform/serial8250/ttyS0", "ttyS0", "/dev/null", "", true, {}, nullptr},
      // Virtual terminals and the console have no parent device.
      {"/sys/devices/virtual/tty/tty0", "tty0", "/dev/tty0", "", false, {}, nullptr},
      {"/sys/devices/virtual/tty/console", "console", "/dev/console", "", false, {}, nullptr},
  };
}

std::mutex MonitorLock;
udev_monitor* LiveMonitor = nullptr;
std::vector<std::pair<std::string, std::string>> QueuedEvents;  // action, sysname

}  // namespace

extern "C" {

// Test control: queue a monitor event and wake the monitor's descriptor.
void fake_udev_emit(const char* action, const char* sysname) {
  std::lock_guard lock(MonitorLock);
  QueuedEvents.emplace_back(action, sysname);
  if (LiveMonitor != nullptr) {
    [[maybe_unused]] ssize_t n = ::write(LiveMonitor->Pipe[1], "x", 1);
  }
}

udev* udev_new() { return new udev; }
udev* udev_unref(udev* u) {
  delete u;
  return nullptr;
}
udev_enumerate* udev_enumerate_new(udev*) { return new udev_enumerate; }
udev_enumerate* udev_enumerate_unref(udev_enumerate* e) {
  delete e;
  return nullptr;
}
int udev_enumerate_add_match_subsystem(udev_enumerate*, const char* subsystem) {
  return std::strcmp(subsystem, "tty") == 0 ? 0 : -1;
}
int udev_enumerate_scan_devices(udev_enumerate* e) {
  const auto devices = Devices();
  e->Entries.resize(devices.size());
  for (std::size_t i = 0; i < devices.size(); ++i) {
    e->Entries[i].Name = devices[i].Syspath;
    e->Entries[i].Next = i + 1 < devices.size() ? &e->Entries[i + 1] : nullptr;
  }
  return 0;
}
udev_list_entry* udev_enumerate_get_list_entry(udev_enumerate* e) {
  return e->Entries.empty() ? nullptr : &e->Entries.front();
}
udev_list_entry* udev_list_entry_get_next(udev_list_entry* entry) { return entry->Next; }
const char* udev_list_entry_get_name(udev_list_entry* entry) { return entry->Name.c_str(); }
udev_device* udev_device_new_from_syspath(udev*, const char* syspath) {
  for (const auto& device : Devices())
    if (device.Syspath == syspath) return new udev_device(device);
  return nullptr;
}
udev_device* udev_device_unref(udev_device* d) {
  delete d;
  return nullptr;
}
udev_device* udev_device_get_parent(udev_device* d) {
  return d->HasParent ? &ParentDevice : nullptr;
}
const char* udev_device_get_devnode(udev_device* d) {
  return d->Devnode.empty() ? nullptr : d->Devnode.c_str();
}
const char* udev_device_get_sysname(udev_device* d) { return d->Sysname.c_str(); }
#ifndef ZOLVEK_FAKE_UDEV_INCOMPLETE
const char* udev_device_get_property_value(udev_device* d, const char* key) {
  const auto found = d->Properties.find(key);
  return found == d->Properties.end() ? nullptr : found->second.c_str();
}
#endif
const char* udev_device_get_action(udev_device* d) {
  return d->Action.empty() ? nullptr : d->Action.c_str();
}
udev_monitor* udev_monitor_new_from_netlink(udev*, const char* name) {
  if (std::strcmp(name, "udev") != 0) return nullptr;
  auto* monitor = new udev_monitor;
  if (::pipe2(monitor->Pipe, O_NONBLOCK | O_CLOEXEC) != 0) {
    delete monitor;
    return nullptr;
  }
  std::lock_guard lock(MonitorLock);
  LiveMonitor = monitor;
  return monitor;
}
udev_monitor* udev_monitor_unref(udev_monitor* m) {
  std::lock_guard lock(MonitorLock);
  if (LiveMonitor == m) LiveMonitor = nullptr;
  ::close(m->Pipe[0]);
  ::close(m->Pipe[1]);
  delete m;
  return nullptr;
}
int udev_monitor_filter_add_match_subsystem_devtype(udev_monitor*, const char* subsystem,
                                                    const char*) {
  return std::strcmp(subsystem, "tty") == 0 ? 0 : -1;
}
int udev_monitor_enable_receiving(udev_monitor*) { return 0; }
int udev_monitor_get_fd(udev_monitor* m) { return m->Pipe[0]; }
udev_device* udev_monitor_receive_device(udev_monitor* m) {
  char byte;
  if (::read(m->Pipe[0], &byte, 1) != 1) return nullptr;
  std::lock_guard lock(MonitorLock);
  if (QueuedEvents.empty()) return nullptr;
  auto [action, sysname] = QueuedEvents.front();
  QueuedEvents.erase(QueuedEvents.begin());
  auto* device = new udev_device;
  device->Action = action;
  device->Sysname = sysname;
  return device;
}

}  // extern "C"
