#include "doctor/SystemView.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "serial/SetupApi.h"
#include "serial/UdevApi.h"

namespace doctor {
namespace {

std::string Text(const char* value) { return value != nullptr ? value : ""; }

std::optional<TUsbDevice> UsbDeviceAt(const serial::TUdevApi& api, serial::udev* context,
                                      const char* syspath) {
  struct TUnref {
    const serial::TUdevApi* Api;
    void operator()(serial::udev_device* d) const { Api->udev_device_unref(d); }
  };
  std::unique_ptr<serial::udev_device, TUnref> device(
      api.udev_device_new_from_syspath(context, syspath), TUnref{&api});
  if (!device || Text(api.udev_device_get_devtype(device.get())) != "usb_device")
    return std::nullopt;
  TUsbDevice usb{Text(api.udev_device_get_sysattr_value(device.get(), "idVendor")),
                 Text(api.udev_device_get_sysattr_value(device.get(), "idProduct")),
                 Text(api.udev_device_get_property_value(device.get(), "ID_MODEL_FROM_DATABASE"))};
  if (usb.Model.empty())
    usb.Model = Text(api.udev_device_get_sysattr_value(device.get(), "product"));
  return usb;
}

}  // namespace

TUser CurrentUser() {
  TUser user;
  user.Uid = ::getuid();
  if (const passwd* entry = ::getpwuid(user.Uid))
    user.Name = entry->pw_name;
  else if (const char* name = std::getenv("USER"))
    user.Name = name;
  const int count = ::getgroups(0, nullptr);
  if (count > 0) {
    user.SessionGroups.resize(static_cast<std::size_t>(count));
    user.SessionGroups.resize(
        static_cast<std::size_t>(std::max(0, ::getgroups(count, user.SessionGroups.data()))));
  }
  user.SessionGroups.push_back(::getgid());
  return user;
}

std::optional<std::vector<TUsbDevice>> EnumerateUsbDevices() {
  serial::TSetupApiUse use;
  if (!use.Loaded()) return std::nullopt;
  const serial::TUdevApi& api = serial::SetupApi();
  std::vector<TUsbDevice> devices;
  serial::udev* context = api.udev_new();
  if (context == nullptr) return devices;
  if (serial::udev_enumerate* scan = api.udev_enumerate_new(context)) {
    api.udev_enumerate_add_match_subsystem(scan, "usb");
    api.udev_enumerate_scan_devices(scan);
    for (auto* entry = api.udev_enumerate_get_list_entry(scan); entry != nullptr;
         entry = api.udev_list_entry_get_next(entry))
      if (const char* syspath = api.udev_list_entry_get_name(entry))
        if (auto device = UsbDeviceAt(api, context, syspath)) devices.push_back(*device);
    api.udev_enumerate_unref(scan);
  }
  api.udev_unref(context);
  return devices;
}

TSystemView MachineView(const std::string& root) {
  return TSystemView{root,
                     CurrentUser(),
                     serial::VirtualPortDirectory(),
                     serial::EnumerateHardwarePorts,
                     EnumerateUsbDevices,
                     ::getpid()};
}

}  // namespace doctor
