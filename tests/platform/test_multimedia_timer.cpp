#include "platform/MultimediaTimer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Call times of a timer's callback, safe to read from the test thread.
class TCallLog {
 public:
  void Record() {
    std::lock_guard<std::mutex> lock(Mutex);
    Times.push_back(Clock::now());
  }
  std::vector<Clock::time_point> Snapshot() const {
    std::lock_guard<std::mutex> lock(Mutex);
    return Times;
  }
  std::size_t Count() const { return Snapshot().size(); }

 private:
  mutable std::mutex Mutex;
  std::vector<Clock::time_point> Times;
};

TEST(MultimediaTimer, CallsPeriodicallyFromItsOwnThread) {
  platform::TMultimediaTimer timer;
  TCallLog log;
  std::atomic<bool> onOtherThread{true};
  const auto testThread = std::this_thread::get_id();
  const auto start = Clock::now();
  ASSERT_TRUE(timer.Start(10ms, [&] {
    if (std::this_thread::get_id() == testThread) onOtherThread = false;
    log.Record();
  }));
  EXPECT_TRUE(timer.Running());
  // Calls keep coming, however busy the machine, and never more than the
  // deadlines that have passed.
  while (log.Count() < 10 && Clock::now() - start < 5s) std::this_thread::sleep_for(5ms);
  timer.Stop();
  const auto elapsed = Clock::now() - start;
  EXPECT_FALSE(timer.Running());
  EXPECT_GE(log.Count(), 10u);
  EXPECT_LE(log.Count(), static_cast<std::size_t>(elapsed / 10ms));
  EXPECT_TRUE(onOtherThread);
}

TEST(MultimediaTimer, StartRefusesBadArgumentsAndASecondStart) {
  platform::TMultimediaTimer timer;
  EXPECT_FALSE(timer.Start(0ms, [] {}));
  EXPECT_FALSE(timer.Start(10ms, nullptr));
  EXPECT_FALSE(timer.Running());
  ASSERT_TRUE(timer.Start(1000ms, [] {}));
  EXPECT_FALSE(timer.Start(10ms, [] {}));
  timer.Stop();
  // A stopped timer can be started again.
  EXPECT_TRUE(timer.Start(1000ms, [] {}));
}

TEST(MultimediaTimer, StopReturnsAtOnceMidPeriodAndNoCallbackFollows) {
  platform::TMultimediaTimer timer;
  std::atomic<int> calls{0};
  ASSERT_TRUE(timer.Start(5000ms, [&] { ++calls; }));
  std::this_thread::sleep_for(20ms);
  const auto before = Clock::now();
  timer.Stop();
  EXPECT_LT(Clock::now() - before, 500ms);
  EXPECT_EQ(calls.load(), 0);
}

TEST(MultimediaTimer, NoCallbackAfterStopReturns) {
  platform::TMultimediaTimer timer;
  std::atomic<int> calls{0};
  std::atomic<bool> stopped{false};
  std::atomic<bool> calledAfterStop{false};
  ASSERT_TRUE(timer.Start(1ms, [&] {
    if (stopped) calledAfterStop = true;
    ++calls;
    std::this_thread::sleep_for(2ms);
  }));
  std::this_thread::sleep_for(30ms);
  timer.Stop();
  stopped = true;
  const int atStop = calls.load();
  std::this_thread::sleep_for(30ms);
  EXPECT_GT(atStop, 0);
  EXPECT_EQ(calls.load(), atStop);
  EXPECT_FALSE(calledAfterStop);
}

TEST(MultimediaTimer, OverrunSkipsMissedDeadlinesInsteadOfBursting) {
  platform::TMultimediaTimer timer;
  TCallLog log;
  std::atomic<int> calls{0};
  const auto start = Clock::now();
  ASSERT_TRUE(timer.Start(20ms, [&] {
    log.Record();
    // The first call overruns three and a half periods.
    if (calls++ == 0) std::this_thread::sleep_for(70ms);
  }));
  std::this_thread::sleep_for(250ms);
  timer.Stop();
  const auto times = log.Snapshot();
  ASSERT_GE(times.size(), 3u);
  // Deadlines at 40, 60 and 80 ms passed during the first call; catching up
  // would call three times back to back. Skipping waits for the 100 ms one.
  EXPECT_GE(times[1] - times[0], 75ms);
  EXPECT_GE(times[1] - start, 95ms);
  for (std::size_t i = 2; i < times.size(); ++i) {
    EXPECT_GE(times[i] - times[i - 1], 10ms) << "call " << i;
  }
}

// The program's own period: every call belongs to a deadline of the grid laid
// from Start, at most one call a deadline, and calls land close after their
// deadline instead of drifting away from it. A callback that takes 20 ms shows
// drift at once (a timer that waits a period after each call lands 20 ms later
// every call). A deadline dropped on a busy machine is the timer working.
TEST(MultimediaTimer, FiftyMillisecondCallsStayOnTheGridLaidAtStart) {
  constexpr auto Period = 50ms;
  // A system timer may fire a little early (Windows' by a millisecond).
  constexpr auto Early = 5ms;
  platform::TMultimediaTimer timer;
  TCallLog log;
  const auto start = Clock::now();
  ASSERT_TRUE(timer.Start(Period, [&] {
    log.Record();
    std::this_thread::sleep_for(20ms);
  }));
  std::this_thread::sleep_for(2025ms);
  timer.Stop();
  const auto times = log.Snapshot();
  ASSERT_GE(times.size(), 20u) << "fewer than half of 40 deadlines kept";
  std::vector<double> latenessMs;
  long lastDeadline = 0;
  for (const auto& t : times) {
    const long deadline = static_cast<long>((t - start + Early) / Period);
    EXPECT_GT(deadline, lastDeadline) << "two calls for one deadline, or one before the first";
    lastDeadline = deadline;
    latenessMs.push_back(
        std::chrono::duration<double, std::milli>(t - start - deadline * Period).count());
  }
  std::sort(latenessMs.begin(), latenessMs.end());
  const double median = latenessMs[latenessMs.size() / 2];
  std::printf("%zu calls for 40 deadlines, median lateness %.3f ms\n", times.size(), median);
  EXPECT_LT(median, 10.0);
}

TEST(MultimediaTimer, DestructorStopsTheThread) {
  std::atomic<int> calls{0};
  {
    platform::TMultimediaTimer timer;
    ASSERT_TRUE(timer.Start(1ms, [&] { ++calls; }));
    std::this_thread::sleep_for(10ms);
  }
  const int atEnd = calls.load();
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(calls.load(), atEnd);
}

TEST(TickCount, FollowsTheSteadyClockInMilliseconds) {
  const std::uint32_t t0 = platform::GetTickCount32();
  std::this_thread::sleep_for(50ms);
  // Unsigned difference, as callers compute it across a wrap-around.
  const std::uint32_t elapsed = platform::GetTickCount32() - t0;
  EXPECT_GE(elapsed, 50u);
  EXPECT_LT(elapsed, 1000u);
}

}  // namespace
