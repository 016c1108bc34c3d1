#include "core/DeviceReplies.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "serial/TinyComms.h"

namespace control {

namespace {

constexpr float NotANumber = -1.0f;

std::string TrimControlAndBlanks(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= 32) ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32) --last;
  return text.substr(first, last - first);
}

// One byte within the read time-outs; false when none came.
bool ReadByte(serial::TTinyComPort& port, char& byte) {
  std::string received;
  const std::int32_t count = port.ReadStr(received, 1, true);
  if (count < 1 || received.empty()) return false;
  byte = received.back();
  return true;
}

}  // namespace

std::string ReadLine(serial::TTinyComPort& port) {
  if (!port.Connected()) return {};
  std::string line;
  try {
    char byte = 0;
    while (ReadByte(port, byte)) {
      line += byte;
      if (byte == '\n') return TrimControlAndBlanks(line);
      // A device that never ends its line must not grow this without bound.
      if (line.size() > MaxReplyLine) return {};
    }
  } catch (const serial::EComPort&) {
    // A port closed or failing under the read is a missing reply.
  }
  return {};
}

bool Identify(serial::TTinyComPort& port, const std::string& identity) {
  if (!port.Connected()) return false;
  port.WaitForPending();
  const std::int32_t waiting = port.InputCount();
  if (waiting > 0) {
    std::string discarded;
    port.ReadStr(discarded, waiting, true);
  }
  port.WriteStr("&", true);
  return ReadLine(port) == identity;
}

float ParseCalibrationValue(const std::string& line) {
  const char* first = line.data();
  const char* last = line.data() + line.size();
  // from_chars takes no plus sign; a device may still send one.
  if (first != last && *first == '+' && last - first > 1 && first[1] != '-' && first[1] != '+') {
    ++first;
  }
  double value = 0.0;
  const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  if (error != std::errc{} || end != last || first == last) return NotANumber;
  if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) {
    return NotANumber;
  }
  return static_cast<float>(value);
}

}  // namespace control
