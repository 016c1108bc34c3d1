#pragma once
// Misbehaviours the virtual generator can be told to show, one switch each,
// so that the program's handling of a faulty device can be tested.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace sim {

enum class TLineFault : std::uint8_t {
  None,
  MinusOne,    // the line reads "-1"
  Empty,       // an empty line
  NotANumber,  // the line reads "x.y"
  Missing,     // this line and every later one of the table is never sent
};

struct TTableFault {
  char Table = 'V';  // 'V' square table, 'v' analog table
  int Line = 0;      // 0..15
  TLineFault Fault = TLineFault::None;
};

struct TFaults {
  int SilentIdentifies = 0;              // the first N identify requests get no answer
  std::optional<std::string> Identity;   // answered instead of "Zolvek"
  bool IdentityWithoutLineFeed = false;  // identity sent without "\r\n", then nothing
  TTableFault TableFault;
  std::chrono::microseconds ByteDelay{0};     // pause before each byte sent
  std::chrono::milliseconds GarbageEvery{0};  // unsolicited garbage burst period, 0 = never
  bool GarbageInReply = false;                // garbage before every answer
  int HangUpAfter = 0;                        // hang up after N commands, 0 = never
};

}  // namespace sim
