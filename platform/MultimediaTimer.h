#pragma once
// A periodic timer on a dedicated thread with absolute-deadline sleeps on
// the steady clock. A callback that overruns skips the missed deadlines.
//
// Owns its thread. Start and Stop are called from one thread (the GUI
// thread); the callback runs on the timer thread. Stop returns after the
// thread has ended, so no callback runs after it.

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

  // Returns false when the thread cannot be started.
  bool Start(std::chrono::milliseconds period, std::function<void()> callback);
  void Stop();
  bool Running() const;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> Impl;
};

// Milliseconds of the steady clock, as an unsigned 32-bit count that wraps.
std::uint32_t GetTickCount32();

}  // namespace platform
