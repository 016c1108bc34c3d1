#include "serial/PortList.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <strings.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "serial/SetupApi.h"

namespace serial {
namespace {

namespace fs = std::filesystem;

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return ::strcasecmp(a.c_str(), b.c_str()) < 0;
}

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

std::optional<std::vector<TPortEntry>> EnumerateUdevPorts() {
  TSetupApiUse use;
  if (!use.Loaded()) return std::nullopt;
  return ScanTtyDevices(SetupApi());
}

std::vector<TPortEntry> EnumerateVirtualPorts(const std::string& directory) {
  std::vector<TPortEntry> ports;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(directory, error)) {
    std::error_code ignored;
    if (!entry.is_symlink(ignored)) continue;
    const fs::path target = fs::read_symlink(entry.path(), ignored);
    if (ignored || !fs::exists(entry.path(), ignored)) continue;  // stale link
    const std::string name = entry.path().filename().string();
    ports.push_back({name, "Virtual generator (" + target.string() + ")", entry.path().string()});
  }
  return ports;
}

void AddPortLine(std::vector<std::string>& lines, const std::string& line) {
  const auto place = std::lower_bound(lines.begin(), lines.end(), line, LessIgnoringCase);
  if (place != lines.end() && ::strcasecmp(place->c_str(), line.c_str()) == 0) return;
  lines.insert(place, line);
}

std::vector<std::string> ListSerialPorts(const TPortSource& hardware,
                                         const std::string& virtualDirectory) {
  std::vector<std::string> lines;
  auto add = [&](const TPortEntry& port) {
    // Each string ends at its first zero character, as the platform gives them.
    const std::string name(port.Name.c_str()), friendly(port.FriendlyName.c_str());
    AddPortLine(lines, name + ": " + friendly);
  };
  if (hardware)
    if (auto ports = hardware())
      for (const auto& port : *ports) add(port);
  for (const auto& port : EnumerateVirtualPorts(virtualDirectory)) add(port);
  return lines;
}

std::vector<std::string> ListSerialPorts() {
  return ListSerialPorts(EnumerateUdevPorts, VirtualPortDirectory());
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
