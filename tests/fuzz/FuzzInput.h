#pragma once
// Reads a fuzz input from the front: control bytes that choose how the
// rest is cut and delivered, and the bytes themselves. Past the end every
// read answers zeros and empty views, so that any input is a whole case.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace fuzz {

class TFuzzInput {
 public:
  explicit TFuzzInput(std::string_view bytes) : Bytes(bytes) {}

  bool Empty() const { return Bytes.empty(); }
  std::uint8_t Byte() {
    if (Bytes.empty()) return 0;
    const auto byte = static_cast<std::uint8_t>(Bytes.front());
    Bytes.remove_prefix(1);
    return byte;
  }
  std::uint16_t Word16() { return static_cast<std::uint16_t>(Byte() << 8 | Byte()); }
  std::string_view Take(std::size_t count) {
    const std::string_view taken = Bytes.substr(0, count);
    Bytes.remove_prefix(taken.size());
    return taken;
  }
  std::string_view Rest() const { return Bytes; }

 private:
  std::string_view Bytes;
};

// A small deterministic sequence from a seed: how long each delivered
// piece is, and when the clock moves, independently of the bytes' content.
class TPacing {
 public:
  explicit TPacing(std::uint32_t seed) : State(seed * 2654435761u + 1) {}
  std::uint32_t Next(std::uint32_t below) {
    State = State * 1103515245u + 12345u;
    return below ? (State >> 16) % below : 0;
  }

 private:
  std::uint32_t State;
};

}  // namespace fuzz
