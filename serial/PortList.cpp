// The port list's lines, the same on every system: sorted ignoring case,
// without duplicates, hardware ports and virtual generators together.

#include "serial/PortList.h"

#include <strings.h>

#include <algorithm>
#include <filesystem>

namespace serial {
namespace {

namespace fs = std::filesystem;

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return ::strcasecmp(a.c_str(), b.c_str()) < 0;
}

}  // namespace

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
  return ListSerialPorts(EnumerateHardwarePorts, VirtualPortDirectory());
}

}  // namespace serial
