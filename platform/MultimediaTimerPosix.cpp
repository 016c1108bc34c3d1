// POSIX half of the timer: a thread of its own with absolute-deadline
// sleeps on the steady clock; the tick count from the same clock.

#include "platform/MultimediaTimer.h"

#include <condition_variable>
#include <mutex>
#include <pthread.h>
#include <sched.h>
#include <system_error>
#include <thread>

namespace platform {

using Clock = std::chrono::steady_clock;

namespace {

// A multimedia timer's thread runs above ordinary threads, so that a busy
// machine does not delay a tick by a scheduler slice. The lowest real-time
// priority is enough for that; without the right to use it (an ordinary
// user without rtkit or CAP_SYS_NICE) the thread keeps normal scheduling.
void RaiseTimerThreadPriority() {
  sched_param param{};
  param.sched_priority = sched_get_priority_min(SCHED_FIFO);
  (void)pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

}  // namespace

struct TMultimediaTimer::TImpl {
  mutable std::mutex Mutex;
  std::condition_variable Wake;
  bool Stopping = false;  // guarded by Mutex
  std::thread Thread;     // touched only by the owner's thread

  // Waits until the deadline or a stop request; true when asked to stop.
  bool SleepUntil(Clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(Mutex);
    return Wake.wait_until(lock, deadline, [this] { return Stopping; });
  }

  void Run(Clock::duration period, const std::function<void()>& callback) {
    RaiseTimerThreadPriority();
    Clock::time_point deadline = Clock::now() + period;
    while (!SleepUntil(deadline)) {
      callback();
      deadline += period;
      const Clock::time_point now = Clock::now();
      if (deadline <= now) {
        // Overrun: the deadlines already passed are dropped, not made up.
        deadline += period * ((now - deadline) / period + 1);
      }
    }
  }
};

TMultimediaTimer::TMultimediaTimer() : Impl(std::make_unique<TImpl>()) {}

TMultimediaTimer::~TMultimediaTimer() { Stop(); }

bool TMultimediaTimer::Start(std::chrono::milliseconds period, std::function<void()> callback) {
  if (Impl->Thread.joinable() || period.count() <= 0 || !callback) return false;
  {
    std::lock_guard<std::mutex> lock(Impl->Mutex);
    Impl->Stopping = false;
  }
  try {
    Impl->Thread = std::thread(
        [impl = Impl.get(), period, cb = std::move(callback)] { impl->Run(period, cb); });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void TMultimediaTimer::Stop() {
  if (!Impl->Thread.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(Impl->Mutex);
    Impl->Stopping = true;
  }
  Impl->Wake.notify_all();
  Impl->Thread.join();
}

bool TMultimediaTimer::Running() const { return Impl->Thread.joinable(); }

std::uint32_t GetTickCount32() {
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch());
  return static_cast<std::uint32_t>(ms.count());
}

}  // namespace platform
