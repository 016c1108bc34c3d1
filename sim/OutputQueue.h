#pragma once
// Bytes waiting to be sent to the program, released at most one per
// `ByteDelay` when replies are slowed down.
//
// Bounded: beyond kCapacity bytes new bytes are dropped (a program that never
// reads must not make the device grow without limit).
// Not thread-safe: used by the device thread only.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>

namespace sim {

class TOutputQueue {
 public:
  static constexpr std::size_t kCapacity = 64 * 1024;

  explicit TOutputQueue(std::chrono::microseconds byteDelay = {}) : DelayUs_(byteDelay.count()) {}

  void Push(std::string_view bytes, std::int64_t nowUs);
  void Clear() { Bytes_.clear(); }
  bool Empty() const { return Bytes_.empty(); }
  std::size_t Size() const { return Bytes_.size(); }

  // How many bytes may be written at nowUs.
  std::size_t Ready(std::int64_t nowUs) const;
  // Time at which the next byte becomes ready, or -1 if the queue is empty.
  std::int64_t NextDueUs() const;
  // Copies up to `max` ready bytes to `out`; returns their number.
  std::size_t Peek(std::uint8_t* out, std::size_t max, std::int64_t nowUs) const;
  // Removes `count` bytes that were written at nowUs.
  void Consume(std::size_t count, std::int64_t nowUs);

 private:
  std::deque<std::uint8_t> Bytes_;
  std::int64_t DelayUs_;
  std::int64_t NextDueUs_ = 0;
};

}  // namespace sim
