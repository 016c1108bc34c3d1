// Win32 half of the timer: timeSetEvent (winmm) with resolution 0, periodic,
// with a callback function; the tick count is GetTickCount.
//
// The system's timer thread catches up after a callback that overran by
// calling again at once for every deadline it missed. Those calls are
// dropped here: a call runs only when the grid deadline nearest to it lies
// after the end of the previous callback, has not been served yet and is at
// most a quarter period ahead (the system may call a little early).

#include <windows.h>
#include <mmsystem.h>

#include <condition_variable>
#include <mutex>

#include "platform/MultimediaTimer.h"

namespace platform {

using Clock = std::chrono::steady_clock;

struct TMultimediaTimer::TImpl {
  std::function<void()> Callback;
  Clock::duration Period{};
  Clock::time_point Origin;
  UINT TimerId = 0;  // owner's thread only
  // The system's timer thread only.
  Clock::time_point LastEnd;
  long long LastServed = 0;
  // Whether a callback runs now, for Stop to wait on.
  std::mutex Mutex;
  std::condition_variable Idle;
  bool Stopping = false;  // guarded by Mutex
  bool Running = false;   // guarded by Mutex

  // The grid deadline nearest to now, counted from Origin.
  long long NearestDeadline(Clock::time_point now) const {
    return ((now - Origin) + Period / 2) / Period;
  }

  void Tick() {
    {
      std::lock_guard<std::mutex> lock(Mutex);
      if (Stopping) return;
      Running = true;
    }
    const Clock::time_point now = Clock::now();
    const long long deadline = NearestDeadline(now);
    const Clock::time_point due = Origin + deadline * Period;
    if (deadline > LastServed && due > LastEnd && now >= due - Period / 4) {
      LastServed = deadline;
      Callback();
      LastEnd = Clock::now();
    }
    std::lock_guard<std::mutex> lock(Mutex);
    Running = false;
    Idle.notify_all();
  }

  static void CALLBACK OnTimer(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    reinterpret_cast<TImpl*>(user)->Tick();
  }
};

TMultimediaTimer::TMultimediaTimer() : Impl(std::make_unique<TImpl>()) {}

TMultimediaTimer::~TMultimediaTimer() { Stop(); }

bool TMultimediaTimer::Start(std::chrono::milliseconds period, std::function<void()> callback) {
  if (Impl->TimerId != 0 || period.count() <= 0 || !callback) return false;
  Impl->Callback = std::move(callback);
  Impl->Period = period;
  Impl->Origin = Impl->LastEnd = Clock::now();
  Impl->LastServed = 0;
  {
    std::lock_guard<std::mutex> lock(Impl->Mutex);
    Impl->Stopping = false;
  }
  Impl->TimerId = ::timeSetEvent(static_cast<UINT>(period.count()), 0, &TImpl::OnTimer,
                                 reinterpret_cast<DWORD_PTR>(Impl.get()),
                                 TIME_PERIODIC | TIME_CALLBACK_FUNCTION);
  return Impl->TimerId != 0;
}

void TMultimediaTimer::Stop() {
  if (Impl->TimerId == 0) return;
  std::unique_lock<std::mutex> lock(Impl->Mutex);
  Impl->Stopping = true;
  lock.unlock();
  ::timeKillEvent(Impl->TimerId);
  Impl->TimerId = 0;
  // timeKillEvent does not wait for a callback in progress; this does.
  lock.lock();
  Impl->Idle.wait(lock, [this] { return !Impl->Running; });
}

bool TMultimediaTimer::Running() const { return Impl->TimerId != 0; }

std::uint32_t GetTickCount32() { return ::GetTickCount(); }

}  // namespace platform
