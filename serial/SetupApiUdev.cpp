// POSIX half of the device-setup binding: the libudev entry points.

#include "serial/ModuleLoader.h"
#include "serial/UdevApi.h"

namespace serial {
namespace {

TUdevApi Api;  // written under the binding's lock (SetupApi.cpp)

bool BindAll(TModuleLoader& loader, TUdevApi& api) {
#define ZOLVEK_BIND(name) loader.BindTo(api.name, #name)
  ZOLVEK_BIND(udev_new);
  ZOLVEK_BIND(udev_unref);
  ZOLVEK_BIND(udev_enumerate_new);
  ZOLVEK_BIND(udev_enumerate_unref);
  ZOLVEK_BIND(udev_enumerate_add_match_subsystem);
  ZOLVEK_BIND(udev_enumerate_scan_devices);
  ZOLVEK_BIND(udev_enumerate_get_list_entry);
  ZOLVEK_BIND(udev_list_entry_get_next);
  ZOLVEK_BIND(udev_list_entry_get_name);
  ZOLVEK_BIND(udev_device_new_from_syspath);
  ZOLVEK_BIND(udev_device_unref);
  ZOLVEK_BIND(udev_device_get_parent);
  ZOLVEK_BIND(udev_device_get_devnode);
  ZOLVEK_BIND(udev_device_get_sysname);
  ZOLVEK_BIND(udev_device_get_property_value);
  ZOLVEK_BIND(udev_device_get_action);
  ZOLVEK_BIND(udev_device_get_driver);
  ZOLVEK_BIND(udev_device_get_devtype);
  ZOLVEK_BIND(udev_device_get_syspath);
  ZOLVEK_BIND(udev_device_get_sysattr_value);
  ZOLVEK_BIND(udev_monitor_new_from_netlink);
  ZOLVEK_BIND(udev_monitor_unref);
  ZOLVEK_BIND(udev_monitor_filter_add_match_subsystem_devtype);
  ZOLVEK_BIND(udev_monitor_enable_receiving);
  ZOLVEK_BIND(udev_monitor_get_fd);
  ZOLVEK_BIND(udev_monitor_receive_device);
#undef ZOLVEK_BIND
  return loader.AllFound();
}

}  // namespace

std::string DefaultSetupApiLibrary() { return "libudev.so.1"; }

bool BindSetupApiEntries(TModuleLoader& loader) { return BindAll(loader, Api); }

void ClearSetupApiEntries() { Api = TUdevApi{}; }

const TUdevApi& SetupApi() { return Api; }

}  // namespace serial
