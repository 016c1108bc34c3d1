#pragma once
// A periodic timer. POSIX (MultimediaTimerPosix.cpp): a dedicated thread
// with absolute-deadline sleeps on the steady clock. Win32
// (MultimediaTimerWin32.cpp): the multimedia timer, timeSetEvent with
// resolution 0, periodic, calling a function on the system's timer thread.
// A callback that overruns skips the missed deadlines: the next call comes
// at the first deadline of the original grid that is still ahead, so calls
// never pile up.
//
// Owns its thread (POSIX) or its timer (Win32). Start and Stop are called from one thread (the GUI
// thread), never from the callback; the callback runs on the timer thread.
// Stop wakes the thread at once (no wait for the current period to end),
// waits for a running callback to return and joins, so no callback runs
// after it. Do not hold a lock in Stop that the callback takes.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

class TMultimediaTimer {
 public:
  TMultimediaTimer();
  ~TMultimediaTimer();  // stops the timer
  TMultimediaTimer(const TMultimediaTimer&) = delete;
  TMultimediaTimer& operator=(const TMultimediaTimer&) = delete;

  // The first call comes one period after Start. Returns false when the
  // timer already runs, the period is not positive or the thread cannot be
  // started.
  bool Start(std::chrono::milliseconds period, std::function<void()> callback);
  void Stop();
  bool Running() const;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> Impl;
};

// Milliseconds of the steady clock (POSIX) or GetTickCount (Win32), as an
// unsigned 32-bit count that wraps.
std::uint32_t GetTickCount32();

}  // namespace platform
