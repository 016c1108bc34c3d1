#pragma once
// Milliseconds of the steady clock since a point, for timing assertions.

#include <chrono>

namespace serial::test {

inline long long MillisSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

}  // namespace serial::test
