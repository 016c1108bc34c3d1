// Accuracy of the 50 ms update timer: the mean period over 400 ticks
// (target 50.0 ms within 0.5 ms) and the 99th percentile of each call's
// lateness against the absolute deadline it serves (target below 5 ms).
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <vector>

#include "platform/MultimediaTimer.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Ticks = 400;
constexpr std::chrono::milliseconds Period{50};

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

int main() {
  std::vector<Clock::time_point> calls;
  calls.reserve(Ticks + 1);
  std::mutex mutex;
  std::condition_variable done;

  platform::TMultimediaTimer timer;
  const Clock::time_point start = Clock::now();
  timer.Start(Period, [&] {
    std::lock_guard<std::mutex> lock(mutex);
    if (calls.size() <= Ticks) calls.push_back(Clock::now());
    if (calls.size() == Ticks + 1) done.notify_one();
  });
  {
    std::unique_lock<std::mutex> lock(mutex);
    done.wait(lock, [&] { return calls.size() == Ticks + 1; });
  }
  timer.Stop();

  const double meanPeriod = Ms(calls.back() - calls.front()) / Ticks;
  // Each call serves the last deadline (start + k x period) before it; an
  // overrun skips deadlines, so k need not be the call's index.
  std::vector<double> lateness;
  long long lastDeadline = 0;
  int skipped = 0;
  for (const Clock::time_point call : calls) {
    const long long k = (call - start) / Period;
    if (lastDeadline != 0 && k > lastDeadline + 1)
      skipped += static_cast<int>(k - lastDeadline - 1);
    lastDeadline = k;
    lateness.push_back(Ms(call - (start + Period * k)));
  }
  std::sort(lateness.begin(), lateness.end());
  const double p99 = lateness[lateness.size() * 99 / 100];
  std::printf("ticks: %d of %lld ms, deadlines skipped: %d\n", Ticks,
              static_cast<long long>(Period.count()), skipped);
  std::printf("mean period: %.3f ms (target 50.0 +- 0.5)\n", meanPeriod);
  std::printf("lateness: median %.3f ms, 99th percentile %.3f ms, max %.3f ms (target p99 < 5)\n",
              lateness[lateness.size() / 2], p99, lateness.back());
  const bool ok = meanPeriod > 49.5 && meanPeriod < 50.5 && p99 < 5.0;
  std::printf("%s\n", ok ? "within targets" : "OUTSIDE targets");
  return ok ? 0 : 1;
}
