#pragma once
// What the virtual generator is set to, changed by decoded commands.
//
// The output stops on "Z" and runs again on the next command that chooses
// what to output: a control word (the waveform command the program sends when
// Run goes down) or pulse mode switched on (which the program sends right
// after its "Z" instead of a waveform command). Other settings change while
// stopped without starting the output. At power-on the output is stopped.
//
// A plain value; not thread-safe by itself.

#include "sim/Command.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace sim {

enum class TWaveform : std::uint8_t { Sine, Triangle, Square, SquareDivided, Pulse };

std::string_view WaveformName(TWaveform waveform);

inline constexpr std::uint32_t kWordMask = 0x0FFFFFFF;  // 28-bit tuning word
inline constexpr double kClockHz = 25'000'000.0;
inline constexpr double kWordSteps = 268'435'456.0;  // 2^28

struct TDeviceState {
  std::uint32_t TuningWord = 0;
  int ControlCode = 0;  // 0 sine, 2 triangle, 40 square, 32 square divided by two
  bool PulseMode = false;
  int AmpSquare = 0;
  int AmpAnalog = 0;
  int PulseDivider = 1;  // "d" argument, 1..5 in pulse mode
  bool Inverted = false;
  std::uint16_t PulseWidthCode = 0;
  std::uint16_t PulsePeriodCode = 0;
  bool Marker = false;
  bool Running = false;

  // Applies one command; returns a short English description of its effect.
  std::string Apply(const TCommand& command);

  TWaveform Waveform() const;
  // word * 25 MHz / 2^28, the synthesiser's frequency before any divider.
  double FrequencyHz() const { return TuningWord * kClockHz / kWordSteps; }
};

}  // namespace sim
