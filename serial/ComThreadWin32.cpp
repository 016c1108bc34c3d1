// Win32 half of the event thread's needs: a manual-reset event as stop
// signal, and the toolkit's tpHighest.

#include <windows.h>

#include <system_error>

#include "serial/ComThreadPlatform.h"

namespace serial {

TStopSignal::TStopSignal()
    : Handle(reinterpret_cast<std::intptr_t>(::CreateEventA(nullptr, TRUE, FALSE, nullptr))) {
  if (Handle == 0)
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                            "CreateEventA");
}

TStopSignal::~TStopSignal() { ::CloseHandle(reinterpret_cast<HANDLE>(Handle)); }

void TStopSignal::Set() { ::SetEvent(reinterpret_cast<HANDLE>(Handle)); }

void TStopSignal::Wait() const {
  ::WaitForSingleObject(reinterpret_cast<HANDLE>(Handle), INFINITE);
}

void RaiseEventThreadPriority() {
  ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
}

}  // namespace serial
