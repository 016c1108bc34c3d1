// The device's replies as the program reads them through the serial
// component: the identity at the handshake, the two calibration tables,
// and the identity again as Run's probe, through the device link over a
// scripted device. The first byte chooses:
//   bit 0  the device is online at the probe (the link holds the tick off);
//          the handshake runs offline, as the program runs it
//   bit 1  reads finish in the wait instead of at once
//   bit 2  the port is closed during a table request's wait (bit 3: the
//          second table's)
//   bits 4-7  reads fail from the (n * 24)th on, as a line that goes away
// Then the bytes waiting at the start and one reply per request, each as
// a 16-bit length and its bytes.
// What holds: each answer is what the reply's lines say (the identity
// exactly, after trimming; sixteen numbers a table), a failed table leaves
// the tables as they were and stops the handshake's requests; a number
// read formats back to itself; a failure of the line or a port closed
// under the read is a missing reply, never a crash.

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "command/DeviceLink.h"
#include "core/ControlState.h"
#include "core/DeviceReplies.h"
#include "serial/TinyComms.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzTarget.h"
#include "tests/fuzz/ScriptedComPlatform.h"

namespace {

constexpr float Failed = -1.0f;

// The lines of a reply as the reader takes them: up to a line feed within
// MaxReplyLine bytes, trimmed of control characters and blanks.
std::vector<std::string> ReplyLines(std::string_view reply) {
  std::vector<std::string> lines;
  for (;;) {
    const std::size_t end = reply.find('\n');
    if (end == reply.npos || end > control::MaxReplyLine) return lines;
    std::string_view line = reply.substr(0, end);
    reply.remove_prefix(end + 1);
    while (!line.empty() && static_cast<unsigned char>(line.front()) <= 32) line.remove_prefix(1);
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= 32) line.remove_suffix(1);
    lines.emplace_back(line);
  }
}

void CheckNumber(const std::string& line) {
  const float value = control::ParseCalibrationValue(line);
  if (value == Failed) return;
  fuzz::Check(std::isfinite(value), "a calibration value is finite");
  char text[64];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  fuzz::Check(
      error == std::errc() && control::ParseCalibrationValue(std::string(text, end)) == value,
      "a calibration value formats back to itself");
}

std::optional<control::TCalibrationTable> ExpectedTable(std::string_view reply, float divisor) {
  const std::vector<std::string> lines = ReplyLines(reply);
  control::TCalibrationTable table{};
  for (std::size_t i = 0; i < table.size(); ++i) {
    const float value = i < lines.size() ? control::ParseCalibrationValue(lines[i]) : Failed;
    if (value == Failed) return std::nullopt;
    table[i] = value / divisor;
  }
  return table;
}

bool ExpectedIdentity(std::string_view reply, const std::string& identity) {
  const std::vector<std::string> lines = ReplyLines(reply);
  return !lines.empty() && lines.front() == identity;
}

void DeviceReplies(std::string_view bytes) {
  fuzz::TFuzzInput input(bytes);
  const std::uint8_t choice = input.Byte();
  auto script = std::make_shared<fuzz::TDeviceScript>();
  script->LeavePending = choice & 2;
  script->FailFromRead = (choice >> 4) ? (choice >> 4) * 24 : -1;
  script->Arrived = std::string(input.Take(input.Word16()));
  std::vector<std::string> replies;
  while (!input.Empty()) replies.emplace_back(input.Take(input.Word16()));
  replies.resize(4);  // identity, square table, analog table, identity
  script->Replies.assign(replies.begin(), replies.end());
  for (const std::string& reply : replies)
    for (const std::string& line : ReplyLines(reply)) CheckNumber(line);

  control::TSharedState shared;
  serial::TTinyComPort port(std::make_unique<fuzz::TScriptedComPlatform>(script));
  serial::ApplyMainComPortSettings(port);
  control::TDeviceLink link(shared, port);
  link.Open("ttyFUZZ");
  const std::string identity = shared.State.IdentityText;

  const bool clean = script->FailFromRead < 0 && !(choice & 4);
  const bool first = link.Identify();
  fuzz::Check(!clean || first == ExpectedIdentity(replies[0], identity),
              "the identity is what the reply's first line says");

  std::vector<unsigned> waits;
  const control::TWaitWithMessages wait = [&](unsigned ms) {
    waits.push_back(ms);
    if ((choice & 4) && waits.size() == ((choice & 8) ? 2u : 1u)) link.Close();
  };
  control::TCalibrationTables tables;
  tables.Square.fill(7.0f);
  tables.Analog.fill(7.0f);
  const control::TCalibrationTables before = tables;
  const bool read = link.ReadTables(wait, tables);
  const auto square = ExpectedTable(replies[1], 1.0f);
  const auto analog = ExpectedTable(replies[2], 10.0f);
  if (!read)
    fuzz::Check(tables.Square == before.Square && tables.Analog == before.Analog,
                "a failed handshake leaves the tables as they were");
  if (clean) {
    fuzz::Check(read == (square && analog), "the tables are read when both replies hold them");
    if (read)
      fuzz::Check(tables.Square == *square && tables.Analog == *analog,
                  "the tables hold the replies' numbers");
    fuzz::Check(script->Written == std::string("&V") + (square ? "v" : ""),
                "the second table is requested only after the first");
    fuzz::Check(waits == (square ? std::vector<unsigned>{1000, 300} : std::vector<unsigned>{1000}),
                "each request gives the device its time");
  }
  shared.State.DeviceOnline = choice & 1;
  const bool probe = link.Connected() && link.Identify();
  // Each write brings the next reply: without the second table's request,
  // the probe gets the one meant for it.
  fuzz::Check(!clean || probe == ExpectedIdentity(replies[square ? 3 : 2], identity),
              "the probe's answer is what its reply's first line says");
  link.Close();
  fuzz::Check(!link.Connected(), "the port closes whatever the line did");
}

}  // namespace

ZOLVEK_FUZZ_TARGET("device_replies", DeviceReplies)
