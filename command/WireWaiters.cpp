#include "command/WireWaiters.h"

#include <algorithm>
#include <mutex>

namespace control {

void TWireWaiters::WhenWritten(std::function<void()> done) {
  std::uint64_t tick = 0;
  {
    // A tick that began before now may have missed the latest change: the
    // next one to begin writes it.
    std::lock_guard<std::mutex> guard(Shared.Lock);
    tick = Shared.State.TicksStarted + 1;
  }
  Waiters.push_back({tick, std::move(done)});
}

std::vector<std::function<void()>> TWireWaiters::TakeWritten() {
  std::uint64_t written = 0;
  {
    std::lock_guard<std::mutex> guard(Shared.Lock);
    written = Shared.State.TicksWritten;
  }
  std::vector<std::function<void()>> ready;
  auto firstWaiting = std::stable_partition(Waiters.begin(), Waiters.end(),
                                            [&](const TWaiter& w) { return w.Tick <= written; });
  for (auto it = Waiters.begin(); it != firstWaiting; ++it) ready.push_back(std::move(it->Done));
  Waiters.erase(Waiters.begin(), firstWaiting);
  return ready;
}

}  // namespace control
