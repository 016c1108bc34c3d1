#include "serial/SetupApi.h"

#include <mutex>

#include "serial/ModuleLoader.h"

namespace serial {
namespace {

struct TBinding {
  std::mutex Lock;
  std::string Library = DefaultSetupApiLibrary();
  TModuleLoader Loader;
  TUdevApi Api;
  int Count = 0;
  bool Loaded = false;
};

TBinding& Binding() {
  static TBinding binding;
  return binding;
}

template <typename F>
void BindEntry(TModuleLoader& loader, F& entry, const char* name) {
  entry = reinterpret_cast<F>(loader.Bind(name));
}

bool BindAll(TModuleLoader& loader, TUdevApi& api) {
#define ZOLVEK_BIND(name) BindEntry(loader, api.name, #name)
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

bool LoadSetupApi() {
  TBinding& b = Binding();
  std::lock_guard lock(b.Lock);
  if (b.Count++ == 0 && b.Loader.Load(b.Library)) b.Loaded = BindAll(b.Loader, b.Api);
  return b.Loaded;
}

void ReleaseSetupApi() {
  TBinding& b = Binding();
  std::lock_guard lock(b.Lock);
  if (b.Count == 0 || --b.Count > 0) return;
  b.Loader.Free();
  b.Api = TUdevApi{};
  b.Loaded = false;
}

bool IsSetupApiLoaded() {
  TBinding& b = Binding();
  std::lock_guard lock(b.Lock);
  return b.Loaded;
}

const TUdevApi& SetupApi() { return Binding().Api; }

void SetSetupApiLibrary(const std::string& name) {
  TBinding& b = Binding();
  std::lock_guard lock(b.Lock);
  b.Library = name;
}

}  // namespace serial
