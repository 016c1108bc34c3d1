// POSIX half of the port list: tty devices through libudev, the virtual
// generators' registry under the runtime directory, ports under /dev.

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "serial/PortList.h"
#include "serial/UdevApi.h"

namespace serial {
namespace {

namespace fs = std::filesystem;

// Legacy ttyS ports exist whether or not a UART sits behind them.
bool HasUart(const char* devnode) {
  const int fd = ::open(devnode, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  serial_struct info{};
  const bool ok = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
  ::close(fd);
  return ok;
}

std::string Property(const TUdevApi& api, udev_device* device, const char* key) {
  const char* value = api.udev_device_get_property_value(device, key);
  return value != nullptr ? value : "";
}

std::string FriendlyName(const TUdevApi& api, udev_device* device, const std::string& name) {
  std::string model = Property(api, device, "ID_MODEL_FROM_DATABASE");
  if (model.empty()) model = Property(api, device, "ID_MODEL");
  if (model.empty()) model = Property(api, device, "ID_VENDOR_FROM_DATABASE");
  if (model.empty()) model = Property(api, device, "ID_VENDOR");
  std::replace(model.begin(), model.end(), '_', ' ');
  if (model.empty()) model = "Serial port";
  return model + " (" + name + ")";
}

// The tty device itself has no driver; its usb-serial port or interface has.
std::string DriverOf(const TUdevApi& api, udev_device* device) {
  for (udev_device* d = device; d != nullptr; d = api.udev_device_get_parent(d))
    if (const char* driver = api.udev_device_get_driver(d)) return driver;
  return {};
}

TPortEntry DescribedPort(const TUdevApi& api, udev_device* device, const std::string& name,
                         const char* devnode) {
  TPortEntry port{name, FriendlyName(api, device, name), devnode, DriverOf(api, device)};
  port.VendorId = Property(api, device, "ID_VENDOR_ID");
  port.ProductId = Property(api, device, "ID_MODEL_ID");
  port.Model = Property(api, device, "ID_MODEL_FROM_DATABASE");
  if (port.Model.empty()) port.Model = Property(api, device, "ID_MODEL");
  port.MmDeviceIgnore = Property(api, device, "ID_MM_DEVICE_IGNORE") == "1";
  return port;
}

std::optional<TPortEntry> PortOf(const TUdevApi& api, udev* context, const char* syspath) {
  struct TDeviceUnref {
    const TUdevApi* Api;
    void operator()(udev_device* d) const { Api->udev_device_unref(d); }
  };
  std::unique_ptr<udev_device, TDeviceUnref> device(
      api.udev_device_new_from_syspath(context, syspath), TDeviceUnref{&api});
  if (!device) return std::nullopt;
  const char* sysname = api.udev_device_get_sysname(device.get());
  const char* devnode = api.udev_device_get_devnode(device.get());
  // Consoles, ptys and virtual terminals have no parent device.
  if (sysname == nullptr || devnode == nullptr || !api.udev_device_get_parent(device.get()))
    return std::nullopt;
  const std::string name = sysname;
  if (name.rfind("ttyS", 0) == 0 && !HasUart(devnode)) return std::nullopt;
  return DescribedPort(api, device.get(), name, devnode);
}

std::vector<TPortEntry> ScanTtyDevices(const TUdevApi& api) {
  std::vector<TPortEntry> ports;
  udev* context = api.udev_new();
  if (context == nullptr) return ports;
  udev_enumerate* scan = api.udev_enumerate_new(context);
  if (scan != nullptr) {
    api.udev_enumerate_add_match_subsystem(scan, "tty");
    api.udev_enumerate_scan_devices(scan);
    for (udev_list_entry* entry = api.udev_enumerate_get_list_entry(scan); entry != nullptr;
         entry = api.udev_list_entry_get_next(entry)) {
      const char* syspath = api.udev_list_entry_get_name(entry);
      if (syspath == nullptr) continue;
      if (auto port = PortOf(api, context, syspath)) ports.push_back(std::move(*port));
    }
    api.udev_enumerate_unref(scan);
  }
  api.udev_unref(context);
  return ports;
}

}  // namespace

std::optional<std::vector<TPortEntry>> EnumerateHardwarePorts() {
  TSetupApiUse use;
  if (!use.Loaded()) return std::nullopt;
  return ScanTtyDevices(SetupApi());
}

std::string VirtualPortDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string base = runtime != nullptr && *runtime != '\0' ? runtime : "/tmp";
  return base + "/zolvek-ports";
}

std::string PortPathFor(const std::string& name) {
  if (!name.empty() && name.find('/') == std::string::npos) {
    const fs::path link = fs::path(VirtualPortDirectory()) / name;
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(link, error))) return link.string();
  }
  return "/dev/" + name;
}

}  // namespace serial
