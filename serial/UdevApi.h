#pragma once
// The libudev entry points that the POSIX half binds (SetupApi.h loads them).
//
// Thread contract: read the table only between a successful LoadSetupApi
// and its matching release.

#include "serial/SetupApi.h"

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

// The bindings; all null unless loaded.
const TUdevApi& SetupApi();

}  // namespace serial
