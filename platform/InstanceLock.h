#pragma once
// The single-instance guard: an exclusive, non-blocking flock on the file
// "Zolvek.lock" in the runtime directory ($XDG_RUNTIME_DIR, else /tmp).
// The kernel drops the lock when the descriptor is closed or the process
// ends, so a crashed instance leaves no stale lock behind.
//
// Owns the lock file's descriptor. Any thread may create one; a second
// TInstanceLock on the same file fails, in this process as in any other.

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
  bool Acquired() const { return Fd >= 0; }

  // $XDG_RUNTIME_DIR when set and not empty, else "/tmp".
  static std::string DefaultLockDirectory();
  static constexpr const char* LockFileName = "Zolvek.lock";

 private:
  int Fd = -1;
};

}  // namespace platform
