#include "sim/PortRegistry.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace sim {

std::string DefaultRegistryDir() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string base = runtime != nullptr && *runtime != '\0' ? runtime : "/tmp";
  return base + "/zolvek-ports";
}

bool IsValidPortName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

static std::string LinkTarget(const std::string& path) {
  char buffer[4096];
  const ssize_t size = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
  return size < 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(size));
}

static std::runtime_error Failure(const std::string& what, const std::string& path) {
  return std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

TPortLink::TPortLink(const std::string& dir, const std::string& name, const std::string& target)
    : Path_(dir + "/" + name), Target_(target) {
  if (!IsValidPortName(name)) throw std::runtime_error("invalid port name: \"" + name + "\"");
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) throw Failure("cannot create", dir);
  struct stat info {};
  if (::lstat(Path_.c_str(), &info) == 0) {
    if (!S_ISLNK(info.st_mode)) throw std::runtime_error(Path_ + " exists and is not a link");
    if (::stat(Path_.c_str(), &info) == 0)
      throw std::runtime_error("port " + name + " is in use (" + Path_ + " -> " +
                               LinkTarget(Path_) + ")");
    ::unlink(Path_.c_str());  // stale: its pseudo-terminal is gone
  }
  if (::symlink(target.c_str(), Path_.c_str()) != 0) throw Failure("cannot create link", Path_);
}

TPortLink::~TPortLink() { Remove(); }

void TPortLink::Remove() {
  if (Removed_) return;
  Removed_ = true;
  if (LinkTarget(Path_) == Target_) ::unlink(Path_.c_str());
}

}  // namespace sim
