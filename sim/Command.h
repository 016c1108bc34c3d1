#pragma once
// One command of the generator's serial protocol as the device decoded it.

#include <array>
#include <cstdint>
#include <string_view>

namespace sim {

enum class TCommandKind : std::uint8_t {
  PulseMode,      // "L" 0x01....: value 0 off, 1 on
  AmpSquare,      // "L" 0x02....: attenuation step 0..15 of square and pulse
  AmpAnalog,      // "L" 0x04....: attenuation step 0..15 of sine and triangle
  ControlWord,    // "L" 0x1020..: value = waveform code 0, 2, 32 or 40
  Coarse,         // "L" 0x40..0x4F: value = N, word := N * 256
  Fine,           // "L" 0x80..0xFF: value = signed D added to the word
  UnknownPacket,  // "L" with a value no command uses: value = the 24-bit value
  Stop,           // "Z"
  MarkerSet,      // "S"
  MarkerClear,    // "s"
  Identify,       // "&"
  SquareTable,    // "V"
  AnalogTable,    // "v"
  PulseDivider,   // "d" k: value = k
  Invert,         // "m" b: value = b
  PulseWidth,     // "w" lo hi: value = 16-bit code
  PulsePeriod,    // "p" lo hi: value = 16-bit code
  UnknownByte,    // a byte outside any command: value = the byte
};

// Short lower-case name used in the JSON log, e.g. "coarse".
std::string_view KindName(TCommandKind kind);

struct TCommand {
  TCommandKind Kind = TCommandKind::UnknownByte;
  std::int32_t Value = 0;
  std::array<std::uint8_t, 4> Raw{};  // the command's bytes as received
  std::uint8_t RawSize = 0;

  std::string_view RawView() const { return {reinterpret_cast<const char*>(Raw.data()), RawSize}; }
};

// A decoded command with the time its last byte was read, in microseconds
// of the monotonic clock (CLOCK_MONOTONIC, the clock of std::chrono::steady_clock).
struct TCommandRecord {
  std::int64_t TimeUs = 0;
  TCommand Command;
};

// Length of the command that starts with this byte, or 0 if no command does.
int CommandLength(std::uint8_t first);

}  // namespace sim
