#pragma once
// Run-time binding of the device-setup library (libudev.so.1). Nothing links
// against libudev: the few entry points used are declared here and bound by
// name through TModuleLoader, so the program runs without the library.
//
// Loads are counted: the first loads the library, later ones only count; the
// release that brings the count to zero frees it and clears every binding.
// Thread contract: Load/Release are safe from any thread; the bound entry
// points stay valid between a successful load and its matching release.

#include <string>

namespace serial {

struct udev;
struct udev_enumerate;
struct udev_list_entry;
struct udev_device;
struct udev_monitor;

struct TUdevApi {
  udev* (*udev_new)() = nullptr;
  udev* (*udev_unref)(udev*) = nullptr;
  udev_enumerate* (*udev_enumerate_new)(udev*) = nullptr;
  udev_enumerate* (*udev_enumerate_unref)(udev_enumerate*) = nullptr;
  int (*udev_enumerate_add_match_subsystem)(udev_enumerate*, const char*) = nullptr;
  int (*udev_enumerate_scan_devices)(udev_enumerate*) = nullptr;
  udev_list_entry* (*udev_enumerate_get_list_entry)(udev_enumerate*) = nullptr;
  udev_list_entry* (*udev_list_entry_get_next)(udev_list_entry*) = nullptr;
  const char* (*udev_list_entry_get_name)(udev_list_entry*) = nullptr;
  udev_device* (*udev_device_new_from_syspath)(udev*, const char*) = nullptr;
  udev_device* (*udev_device_unref)(udev_device*) = nullptr;
  udev_device* (*udev_device_get_parent)(udev_device*) = nullptr;
  const char* (*udev_device_get_devnode)(udev_device*) = nullptr;
  const char* (*udev_device_get_sysname)(udev_device*) = nullptr;
  const char* (*udev_device_get_property_value)(udev_device*, const char*) = nullptr;
  const char* (*udev_device_get_action)(udev_device*) = nullptr;
  const char* (*udev_device_get_driver)(udev_device*) = nullptr;
  const char* (*udev_device_get_devtype)(udev_device*) = nullptr;
  const char* (*udev_device_get_syspath)(udev_device*) = nullptr;
  const char* (*udev_device_get_sysattr_value)(udev_device*, const char*) = nullptr;
  udev_monitor* (*udev_monitor_new_from_netlink)(udev*, const char*) = nullptr;
  udev_monitor* (*udev_monitor_unref)(udev_monitor*) = nullptr;
  int (*udev_monitor_filter_add_match_subsystem_devtype)(udev_monitor*, const char*,
                                                         const char*) = nullptr;
  int (*udev_monitor_enable_receiving)(udev_monitor*) = nullptr;
  int (*udev_monitor_get_fd)(udev_monitor*) = nullptr;
  udev_device* (*udev_monitor_receive_device)(udev_monitor*) = nullptr;
};

// True when the library was found and every entry point was bound.
bool LoadSetupApi();
// Must be called once for every LoadSetupApi, whatever it returned.
void ReleaseSetupApi();
bool IsSetupApiLoaded();
// The bindings; all null unless loaded.
const TUdevApi& SetupApi();

// The library to load; tests point it elsewhere. Takes effect at the next
// first load.
void SetSetupApiLibrary(const std::string& name);
std::string DefaultSetupApiLibrary();

// Scoped load and release.
class TSetupApiUse {
 public:
  TSetupApiUse() : FLoaded(LoadSetupApi()) {}
  ~TSetupApiUse() { ReleaseSetupApi(); }
  TSetupApiUse(const TSetupApiUse&) = delete;
  TSetupApiUse& operator=(const TSetupApiUse&) = delete;
  bool Loaded() const { return FLoaded; }

 private:
  bool FLoaded;
};

}  // namespace serial
