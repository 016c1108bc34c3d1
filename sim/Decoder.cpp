#include "sim/Decoder.h"

namespace sim {

std::string_view KindName(TCommandKind kind) {
  switch (kind) {
    case TCommandKind::PulseMode:
      return "pulse_mode";
    case TCommandKind::AmpSquare:
      return "amp_square";
    case TCommandKind::AmpAnalog:
      return "amp_analog";
    case TCommandKind::ControlWord:
      return "control_word";
    case TCommandKind::Coarse:
      return "coarse";
    case TCommandKind::Fine:
      return "fine";
    case TCommandKind::UnknownPacket:
      return "unknown_packet";
    case TCommandKind::Stop:
      return "stop";
    case TCommandKind::MarkerSet:
      return "marker_set";
    case TCommandKind::MarkerClear:
      return "marker_clear";
    case TCommandKind::Identify:
      return "identify";
    case TCommandKind::SquareTable:
      return "square_table";
    case TCommandKind::AnalogTable:
      return "analog_table";
    case TCommandKind::PulseDivider:
      return "pulse_divider";
    case TCommandKind::Invert:
      return "invert";
    case TCommandKind::PulseWidth:
      return "pulse_width";
    case TCommandKind::PulsePeriod:
      return "pulse_period";
    case TCommandKind::UnknownByte:
      return "unknown";
  }
  return "unknown";
}

int CommandLength(std::uint8_t first) {
  switch (first) {
    case 'L':
      return 4;
    case 'w':
    case 'p':
      return 3;
    case 'd':
    case 'm':
      return 2;
    case 'Z':
    case 'S':
    case 's':
    case '&':
    case 'V':
    case 'v':
      return 1;
    default:
      return 0;
  }
}

TCommand DecodePacket(std::uint32_t value) {
  TCommand c;
  const std::uint32_t high = value >> 16;
  const std::uint32_t low = value & 0xFFFF;
  c.Kind = TCommandKind::UnknownPacket;
  c.Value = static_cast<std::int32_t>(value);
  if (value >= 0x800000) {
    c.Kind = TCommandKind::Fine;
    c.Value = static_cast<std::int32_t>(value & 0x7FFFFF) - 0x400000;
  } else if (high >= 0x40 && high <= 0x4F) {
    c.Kind = TCommandKind::Coarse;
    c.Value = static_cast<std::int32_t>(value & 0xFFFFF);
  } else if (high == 0x01 && low <= 1) {
    c.Kind = TCommandKind::PulseMode;
    c.Value = static_cast<std::int32_t>(low);
  } else if ((high == 0x02 || high == 0x04) && low <= 15) {
    c.Kind = high == 0x02 ? TCommandKind::AmpSquare : TCommandKind::AmpAnalog;
    c.Value = static_cast<std::int32_t>(low);
  } else if (high == 0x10 && (low & 0xFF00) == 0x2000) {
    const std::uint32_t code = low & 0xFF;
    if (code == 0 || code == 2 || code == 32 || code == 40) {
      c.Kind = TCommandKind::ControlWord;
      c.Value = static_cast<std::int32_t>(code);
    }
  }
  return c;
}

static TCommand DecodeText(const std::uint8_t* b) {
  TCommand c;
  switch (b[0]) {
    case 'Z':
      c.Kind = TCommandKind::Stop;
      break;
    case 'S':
      c.Kind = TCommandKind::MarkerSet;
      break;
    case 's':
      c.Kind = TCommandKind::MarkerClear;
      break;
    case '&':
      c.Kind = TCommandKind::Identify;
      break;
    case 'V':
      c.Kind = TCommandKind::SquareTable;
      break;
    case 'v':
      c.Kind = TCommandKind::AnalogTable;
      break;
    case 'd':
      c.Kind = TCommandKind::PulseDivider;
      c.Value = b[1];
      break;
    case 'm':
      c.Kind = TCommandKind::Invert;
      c.Value = b[1];
      break;
    case 'w':
      c.Kind = TCommandKind::PulseWidth;
      c.Value = b[1] | (b[2] << 8);
      break;
    case 'p':
      c.Kind = TCommandKind::PulsePeriod;
      c.Value = b[1] | (b[2] << 8);
      break;
    default:
      c.Kind = TCommandKind::UnknownByte;
      c.Value = b[0];
      break;
  }
  return c;
}

void TDecoder::Complete(std::vector<TCommand>& out) {
  TCommand c;
  if (Pending_[0] == 'L') {
    // Byte 1 is the high byte; bytes 2 and 3 carry the low 16 bits low byte first.
    c = DecodePacket((std::uint32_t{Pending_[1]} << 16) | (std::uint32_t{Pending_[3]} << 8) |
                     Pending_[2]);
  } else {
    c = DecodeText(Pending_);
  }
  for (std::size_t i = 0; i < PendingSize_; ++i) c.Raw[i] = Pending_[i];
  c.RawSize = static_cast<std::uint8_t>(PendingSize_);
  out.push_back(c);
  PendingSize_ = 0;
  Expected_ = 0;
}

void TDecoder::Feed(const std::uint8_t* data, std::size_t size, std::vector<TCommand>& out) {
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t byte = data[i];
    if (PendingSize_ == 0) {
      const int length = CommandLength(byte);
      Pending_[PendingSize_++] = byte;
      Expected_ = length == 0 ? 1 : static_cast<std::size_t>(length);
    } else {
      Pending_[PendingSize_++] = byte;
    }
    if (PendingSize_ == Expected_) Complete(out);
  }
}

}  // namespace sim
