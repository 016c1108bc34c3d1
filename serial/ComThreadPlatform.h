#pragma once
// What the serial event thread needs of the system beside the port: a stop
// signal that the platform's event wait can watch together with the port,
// and the thread's priority. One half per system (ComThreadPosix.cpp,
// ComThreadWin32.cpp), chosen by CMake.
//
// Thread contract: Set, Wait and Native may be called from any thread; the
// signal, once set, stays set until it is destroyed.

#include <cstdint>

namespace serial {

class TStopSignal {
 public:
  TStopSignal();  // throws std::system_error when the system refuses one
  ~TStopSignal();
  TStopSignal(const TStopSignal&) = delete;
  TStopSignal& operator=(const TStopSignal&) = delete;

  void Set();
  // Blocks until Set has been called.
  void Wait() const;
  // The system object to wait on: an eventfd (POSIX), an event HANDLE (Win32).
  std::intptr_t Native() const { return Handle; }

 private:
  std::intptr_t Handle;
};

// Called by the event thread on itself: the highest priority that the
// system gives a thread without privileges. POSIX: the lowest nice value
// that RLIMIT_NICE allows (often the process's own, i.e. no change); no
// real-time class, so a handler that runs on the thread (smNone) cannot
// starve the machine. Win32: THREAD_PRIORITY_HIGHEST, the toolkit's tpHighest.
void RaiseEventThreadPriority();
// POSIX half only: the nice value RaiseEventThreadPriority chooses for a
// thread at nice current under an RLIMIT_NICE soft limit of niceLimit.
int EventThreadNice(int current, std::uint64_t niceLimit);

}  // namespace serial
