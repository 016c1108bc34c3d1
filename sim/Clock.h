#pragma once
// Monotonic time in microseconds (CLOCK_MONOTONIC, as std::chrono::steady_clock
// on Linux), the time base of the device's records and log.

#include <cstdint>
#include <ctime>

namespace sim {

inline std::int64_t MonotonicUs() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
}

}  // namespace sim
