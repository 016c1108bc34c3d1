#include "doctor/Processes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace doctor {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> ProcessDirs(const std::string& procDir) {
  std::vector<fs::path> dirs;
  std::error_code error;
  for (fs::directory_iterator it(procDir, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos)
      dirs.push_back(it->path());
  }
  return dirs;
}

std::string CommOf(const fs::path& dir) {
  std::ifstream in(dir / "comm");
  std::string name;
  std::getline(in, name);
  return name;
}

pid_t PidOf(const fs::path& dir) { return static_cast<pid_t>(std::stol(dir.filename().string())); }

// What a descriptor must match to be on devnode.
struct TTarget {
  std::string Node, Resolved;
  bool IsDevice = false;
  dev_t Device = 0;
};

TTarget TargetOf(const std::string& devnode) {
  TTarget target{devnode, devnode};
  // One link deep is enough for the registry's links and /dev/serial/by-id;
  // no realpath, which umockdev's test bed gets wrong.
  std::error_code error;
  const fs::path link = fs::read_symlink(devnode, error);
  if (!error)
    target.Resolved = (link.is_absolute() ? link : fs::path(devnode).parent_path() / link)
                          .lexically_normal()
                          .string();
  struct stat info {};
  if (::stat(devnode.c_str(), &info) == 0 && S_ISCHR(info.st_mode)) {
    target.IsDevice = true;
    target.Device = info.st_rdev;
  }
  return target;
}

bool IsOn(const fs::path& fd, const TTarget& target) {
  std::error_code error;
  const std::string link = fs::read_symlink(fd, error).string();
  if (error) return false;
  if (link == target.Node || link == target.Resolved) return true;
  struct stat info {};
  return target.IsDevice && ::stat(fd.c_str(), &info) == 0 && S_ISCHR(info.st_mode) &&
         info.st_rdev == target.Device;
}

}  // namespace

std::vector<TProcess> ProcessesNamed(const std::string& procDir, const std::string& name) {
  std::vector<TProcess> found;
  for (const fs::path& dir : ProcessDirs(procDir))
    if (CommOf(dir) == name) found.push_back({PidOf(dir), name});
  return found;
}

THolderScan FindHolders(const std::string& procDir, const std::string& devnode, pid_t self) {
  THolderScan scan;
  const TTarget target = TargetOf(devnode);
  for (const fs::path& dir : ProcessDirs(procDir)) {
    const pid_t pid = PidOf(dir);
    if (pid == self) continue;
    std::error_code error;
    fs::directory_iterator fd(dir / "fd", error);
    // Gone meanwhile: nothing to say. Not ours to read: say so.
    if (error && error != std::errc::no_such_file_or_directory) ++scan.Unreadable;
    for (const fs::directory_iterator end; !error && fd != end; fd.increment(error)) {
      if (IsOn(fd->path(), target)) {
        scan.Holders.push_back({pid, CommOf(dir)});
        break;
      }
    }
  }
  return scan;
}

std::string DescribeProcesses(const std::vector<TProcess>& processes) {
  std::string text;
  for (const TProcess& p : processes)
    text += (text.empty() ? "" : ", ") + p.Name + " (pid " + std::to_string(p.Pid) + ")";
  return text;
}

}  // namespace doctor
