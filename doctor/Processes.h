#pragma once
// Processes from a /proc folder: those of a given name, and those that hold
// a device open (from their /proc/PID/fd links). Entries that vanish while
// they are read are passed over; those that cannot be read are counted.
// Plain functions; any thread.

#include <string>
#include <sys/types.h>
#include <vector>

namespace doctor {

struct TProcess {
  pid_t Pid = 0;
  std::string Name;  // /proc/PID/comm
};

std::vector<TProcess> ProcessesNamed(const std::string& procDir, const std::string& name);

struct THolderScan {
  std::vector<TProcess> Holders;
  int Unreadable = 0;  // processes whose descriptors could not be read
};

// Processes other than self with a descriptor on devnode: the same link
// text, the same resolved path, or the same character device.
THolderScan FindHolders(const std::string& procDir, const std::string& devnode, pid_t self);

// "minicom (pid 812), screen (pid 990)"
std::string DescribeProcesses(const std::vector<TProcess>& processes);

}  // namespace doctor
