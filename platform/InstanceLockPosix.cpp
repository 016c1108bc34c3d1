#include "platform/InstanceLock.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {

// O_NOFOLLOW: in a shared /tmp nobody may redirect us through a symlink.
int OpenLockFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0 && errno == EACCES) {
    // Created by another user: a read-only descriptor can hold a flock too.
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  }
  return fd;
}

}  // namespace

TInstanceLock::TInstanceLock() : TInstanceLock(DefaultLockDirectory()) {}

TInstanceLock::TInstanceLock(const std::string& directory) {
  const int fd = OpenLockFile(directory + "/" + LockFileName);
  if (fd < 0) return;
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    ::close(fd);
    return;
  }
  Handle = fd;
}

TInstanceLock::~TInstanceLock() {
  if (Acquired()) ::close(static_cast<int>(Handle));
}

std::string TInstanceLock::DefaultLockDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] != '\0') return runtime;
  return "/tmp";
}

}  // namespace platform
