// Win32 half of the one-line cause of a failed open: what CreateFile's error
// on a COM port most often means there. The doctor's checks (groups, udev
// rules, /proc, brltty) are Linux's, so there is no zolvek-doctor.exe to name.

#include <windows.h>

#include "doctor/OpenFailureCause.h"

namespace doctor {
namespace {

std::string Cause(int error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return "another program has it open (a COM port opens for one program at a time)";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return "there is no such port (unplugged, or a new COM number?)";
    case ERROR_GEN_FAILURE:
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEVICE_NOT_CONNECTED:
      return "the device has gone (unplugged?)";
    default:
      return error != 0 ? "system error " + std::to_string(error) : "unknown error";
  }
}

}  // namespace

std::string LikelyOpenFailureCause(const std::string& portPath, int errorNumber) {
  // The device path \\.\COM10 by the name the port list shows.
  const std::string device = "\\\\.\\";
  const std::string name =
      portPath.rfind(device, 0) == 0 ? portPath.substr(device.size()) : portPath;
  return "zolvek: cannot open " + name + ": " + Cause(errorNumber);
}

}  // namespace doctor
