#pragma once
// A umockdev test bed: the devices of tests/serial/devices/ appear to libudev
// (sysfs, the udev database, /dev nodes backed by pseudo-terminals) and
// uevents reach udev monitors. The process must run with umockdev's preload
// library (the tests' launcher sets it); the bed is torn down with the object.
//
// Owns the test bed. The thread that made it uses it.

#include <glib-object.h>
#include <gtest/gtest.h>
#include <umockdev.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace serial::test {

inline const std::string Ch340Tty =
    "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttyUSB0/tty/ttyUSB0";
inline const std::string CdcAcmTty =
    "/sys/devices/pci0000:00/0000:00:1a.0/usb2/2-1/2-1:1.0/tty/ttyACM0";

class TUdevTestbed {
 public:
  TUdevTestbed() : Bed(umockdev_testbed_new()) {
    gchar* root = umockdev_testbed_get_root_dir(Bed);
    Root = root;
    g_free(root);
  }
  ~TUdevTestbed() { g_object_unref(Bed); }
  TUdevTestbed(const TUdevTestbed&) = delete;
  TUdevTestbed& operator=(const TUdevTestbed&) = delete;

  // False without umockdev's preload library: the test should skip.
  static bool Available() {
    const char* preload = std::getenv("LD_PRELOAD");
    return preload != nullptr && std::strstr(preload, "libumockdev-preload") != nullptr;
  }

  // One of tests/serial/devices/NAME.umockdev.
  void Add(const std::string& name) {
    GError* error = nullptr;
    const std::string file = std::string(ZOLVEK_TEST_DEVICES) + "/" + name + ".umockdev";
    if (!umockdev_testbed_add_from_file(Bed, file.c_str(), &error)) {
      ADD_FAILURE() << file << ": " << (error ? error->message : "?");
      g_clear_error(&error);
    }
  }

  void SetProperty(const std::string& syspath, const std::string& key, const std::string& value) {
    umockdev_testbed_set_property(Bed, syspath.c_str(), key.c_str(), value.c_str());
  }

  // Tells the udev monitors, as the kernel would.
  void Uevent(const std::string& syspath, const char* action) {
    umockdev_testbed_uevent(Bed, syspath.c_str(), action);
  }

  // The bed's /dev/NAME becomes a link to target (another pseudo-terminal,
  // a file with an owner and mode of the test's choosing).
  void PointNodeAt(const std::string& name, const std::string& target) {
    const std::filesystem::path node = std::filesystem::path(Root) / "dev" / name;
    std::filesystem::remove(node);
    std::filesystem::create_symlink(target, node);
  }

  const std::string& RootDir() const { return Root; }

 private:
  UMockdevTestbed* Bed;
  std::string Root;
};

}  // namespace serial::test
