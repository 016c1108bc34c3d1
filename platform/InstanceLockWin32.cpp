// Win32 half of the single-instance guard: the named mutex "Zolvek".

#include <windows.h>

#include <cstdlib>

#include "platform/InstanceLock.h"

namespace platform {

TInstanceLock::TInstanceLock() : TInstanceLock(DefaultLockDirectory()) {}

TInstanceLock::TInstanceLock(const std::string&) {
  const HANDLE mutex = ::CreateMutexA(nullptr, TRUE, "Zolvek");
  if (mutex == nullptr) return;
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(mutex);
    return;
  }
  Handle = reinterpret_cast<std::intptr_t>(mutex);
}

TInstanceLock::~TInstanceLock() {
  if (!Acquired()) return;
  const HANDLE mutex = reinterpret_cast<HANDLE>(Handle);
  ::ReleaseMutex(mutex);
  ::CloseHandle(mutex);
}

std::string TInstanceLock::DefaultLockDirectory() {
  const char* temp = std::getenv("TEMP");
  return temp != nullptr ? temp : ".";
}

}  // namespace platform
