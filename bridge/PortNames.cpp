#include "bridge/PortNames.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "serial/PortList.h"

namespace bridge {

bool IsPortPath(const std::string& given) { return given.find('/') != std::string::npos; }

std::optional<std::string> CurrentPortName(const std::string& given, std::string& error) {
  error.clear();
  if (!IsPortPath(given)) {
    struct stat status {};
    // A virtual port's link, or the device under /dev; either followed.
    if (::stat(serial::PortPathFor(given).c_str(), &status) != 0) return std::nullopt;
    return given;
  }
  std::error_code failed;
  const std::filesystem::path device = std::filesystem::canonical(given, failed);
  if (failed) return std::nullopt;
  if (device.parent_path() != "/dev") {
    error = given + " leads to " + device.string() + ", which is no port under /dev";
    return std::nullopt;
  }
  return device.filename().string();
}

}  // namespace bridge
