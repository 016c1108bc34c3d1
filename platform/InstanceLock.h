#pragma once
// The single-instance guard. POSIX (InstanceLockPosix.cpp): an exclusive,
// non-blocking flock on the file "Zolvek.lock" in the runtime directory
// ($XDG_RUNTIME_DIR, else /tmp). Win32 (InstanceLockWin32.cpp): the named
// mutex "Zolvek", created with initial ownership; one that already exists
// (ERROR_ALREADY_EXISTS, 183) is not acquired, and the directory plays no
// part. Either way the system drops it when the process ends, so a crashed
// instance leaves no stale lock behind.
//
// Owns the lock file's descriptor or the mutex handle. Any thread may create one; a second
// TInstanceLock on the same file fails, in this process as in any other.

#include <cstdint>
#include <string>

namespace platform {

class TInstanceLock {
 public:
  // Locks "Zolvek.lock" in DefaultLockDirectory().
  TInstanceLock();
  // Locks "Zolvek.lock" in the given directory.
  explicit TInstanceLock(const std::string& directory);
  ~TInstanceLock();  // releases the lock
  TInstanceLock(const TInstanceLock&) = delete;
  TInstanceLock& operator=(const TInstanceLock&) = delete;

  // True when this object holds the lock; false when another holder has it
  // or the lock file cannot be opened.
  bool Acquired() const { return Handle != NoHandle; }

  // $XDG_RUNTIME_DIR when set and not empty, else "/tmp".
  static std::string DefaultLockDirectory();
  static constexpr const char* LockFileName = "Zolvek.lock";

 private:
  static constexpr std::intptr_t NoHandle = -1;
  std::intptr_t Handle = NoHandle;  // descriptor or HANDLE
};

}  // namespace platform
