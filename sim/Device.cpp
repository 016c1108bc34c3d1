#include "sim/Device.h"

#include <algorithm>
#include <cstdio>

namespace sim {

namespace {
constexpr std::string_view kIdentity = "Zolvek";
constexpr std::string_view kLineEnd = "\r\n";
constexpr int kGarbageBytes = 8;
}  // namespace

TDevice::TDevice(TFaults faults, TTables tables)
    : Faults_(std::move(faults)),
      Tables_(tables),
      Output_(Faults_.ByteDelay),
      SilentLeft_(Faults_.SilentIdentifies) {}

void TDevice::Receive(const std::uint8_t* data, std::size_t size, std::int64_t nowUs,
                      std::vector<TLogEntry>& out) {
  if (HangUpDue_) return;
  Decoded_.clear();
  Decoder_.Feed(data, size, Decoded_);
  for (const TCommand& command : Decoded_) {
    TLogEntry entry;
    entry.Record = {nowUs, command};
    entry.Meaning = State_.Apply(command);
    entry.FrequencyHz = State_.FrequencyHz();
    out.push_back(std::move(entry));
    Answer(command, nowUs);
    if (command.Kind != TCommandKind::UnknownByte && Faults_.HangUpAfter > 0 &&
        ++CommandCount_ >= Faults_.HangUpAfter) {
      HangUpDue_ = true;
      Output_.Clear();
      return;
    }
  }
}

void TDevice::Answer(const TCommand& command, std::int64_t nowUs) {
  std::string reply;
  if (command.Kind == TCommandKind::Identify)
    reply = IdentityReply();
  else if (command.Kind == TCommandKind::SquareTable)
    reply = TableReply('V');
  else if (command.Kind == TCommandKind::AnalogTable)
    reply = TableReply('v');
  else
    return;
  if (Faults_.GarbageInReply) reply.insert(0, Garbage());
  Output_.Push(reply, nowUs);
}

std::string TDevice::IdentityReply() {
  if (SilentLeft_ > 0) {
    --SilentLeft_;
    return {};
  }
  std::string line = Faults_.Identity.value_or(std::string(kIdentity));
  if (!Faults_.IdentityWithoutLineFeed) line += kLineEnd;
  return line;
}

std::string TDevice::TableReply(char table) const {
  const auto& values = table == 'V' ? Tables_.Square : Tables_.AnalogTenths;
  const bool faulty =
      Faults_.TableFault.Fault != TLineFault::None && Faults_.TableFault.Table == table;
  std::string reply;
  for (int line = 0; line < 16; ++line) {
    std::string text = FormatNumber(values[static_cast<std::size_t>(line)]);
    if (faulty && Faults_.TableFault.Line == line) {
      switch (Faults_.TableFault.Fault) {
        case TLineFault::MinusOne:
          text = "-1";
          break;
        case TLineFault::Empty:
          text.clear();
          break;
        case TLineFault::NotANumber:
          text = "x.y";
          break;
        case TLineFault::Missing:
          return reply;
        case TLineFault::None:
          break;
      }
    }
    reply += text;
    reply += kLineEnd;
  }
  return reply;
}

std::string TDevice::Garbage() {
  // Never a line feed: garbage must corrupt a line, not end one.
  std::string bytes;
  while (bytes.size() < kGarbageBytes) {
    const auto byte = static_cast<char>(Random_() & 0xFF);
    if (byte != '\n') bytes += byte;
  }
  return bytes;
}

void TDevice::Tick(std::int64_t nowUs) {
  if (Faults_.GarbageEvery.count() <= 0 || HangUpDue_) return;
  const std::int64_t periodUs = Faults_.GarbageEvery.count() * 1000;
  if (NextGarbageUs_ < 0) NextGarbageUs_ = nowUs + periodUs;
  if (nowUs < NextGarbageUs_) return;
  Output_.Push(Garbage(), nowUs);
  NextGarbageUs_ = nowUs + periodUs;
}

std::int64_t TDevice::NextWakeUs() const {
  const std::int64_t output = Output_.NextDueUs();
  const std::int64_t garbage = Faults_.GarbageEvery.count() > 0 ? NextGarbageUs_ : -1;
  if (output < 0) return garbage;
  if (garbage < 0) return output;
  return std::min(output, garbage);
}

static void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  for (const char ch : text) {
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += ch;
    } else if (static_cast<unsigned char>(ch) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(ch));
      out += escape;
    } else {
      out += ch;
    }
  }
  out += '"';
}

std::string FormatLogLine(const TLogEntry& entry) {
  static constexpr char kHex[] = "0123456789abcdef";
  const TCommand& c = entry.Record.Command;
  std::string raw;
  for (std::uint8_t i = 0; i < c.RawSize; ++i) {
    raw += kHex[c.Raw[i] >> 4];
    raw += kHex[c.Raw[i] & 0xF];
  }
  std::string line = "{\"t_us\":" + std::to_string(entry.Record.TimeUs) + ",\"raw\":\"" + raw +
                     "\",\"kind\":\"" + std::string(KindName(c.Kind)) +
                     "\",\"value\":" + std::to_string(c.Value) + ",\"meaning\":";
  AppendJsonString(line, entry.Meaning);
  line += ",\"freq_hz\":" + FormatNumber(entry.FrequencyHz) + "}";
  return line;
}

}  // namespace sim
