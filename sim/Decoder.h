#pragma once
// Turns the byte stream from the program into commands.
//
// Bytes of one command may arrive split across reads; the decoder keeps at
// most one incomplete command (4 bytes). Inside a command every byte is data,
// null bytes included. A byte that starts no command is reported on its own as
// UnknownByte, and decoding goes on with the next byte, so the stream
// resynchronises on the next command byte.
//
// Not thread-safe: one thread feeds one decoder.

#include "sim/Command.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

class TDecoder {
 public:
  // Appends every command completed by these bytes to `out`.
  void Feed(const std::uint8_t* data, std::size_t size, std::vector<TCommand>& out);

  // Bytes of an incomplete command held back, 0..3.
  std::size_t PendingSize() const { return PendingSize_; }

 private:
  void Complete(std::vector<TCommand>& out);

  std::uint8_t Pending_[4] = {};
  std::size_t PendingSize_ = 0;
  std::size_t Expected_ = 0;
};

// Classifies the 24-bit value of an "L" packet.
TCommand DecodePacket(std::uint32_t value);

}  // namespace sim
