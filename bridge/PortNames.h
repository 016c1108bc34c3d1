#pragma once
// The port the bridge keeps, as --port gives it: a name as the port list
// gives it (sim0, ttyUSB0), or the path of a device under /dev, such as the
// stable /dev/serial/by-id/usb-…-port0 that udev keeps for an adapter
// whatever number the kernel gives it at each plug. Plain C++, any thread.

#include <optional>
#include <string>

namespace bridge {

// A path (it holds a '/'), not a name.
bool IsPortPath(const std::string& given);
// The port's name now: the name itself, or the name of the device under
// /dev that the path leads to (its links followed). Nothing while the
// port is not there (the link or the device is missing); error says why
// a path that exists leads to no port under /dev.
std::optional<std::string> CurrentPortName(const std::string& given, std::string& error);

}  // namespace bridge
