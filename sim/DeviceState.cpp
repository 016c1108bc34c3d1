#include "sim/DeviceState.h"

#include <cstdio>

namespace sim {

std::string_view WaveformName(TWaveform waveform) {
  switch (waveform) {
    case TWaveform::Sine:
      return "sine";
    case TWaveform::Triangle:
      return "triangle";
    case TWaveform::Square:
      return "square";
    case TWaveform::SquareDivided:
      return "square/2";
    case TWaveform::Pulse:
      return "pulse";
  }
  return "sine";
}

TWaveform TDeviceState::Waveform() const {
  if (PulseMode) return TWaveform::Pulse;
  switch (ControlCode) {
    case 2:
      return TWaveform::Triangle;
    case 40:
      return TWaveform::Square;
    case 32:
      return TWaveform::SquareDivided;
    default:
      return TWaveform::Sine;
  }
}

static std::string Format(const char* format, long long a, long long b = 0) {
  char text[96];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

std::string TDeviceState::Apply(const TCommand& c) {
  const long long v = c.Value;
  switch (c.Kind) {
    case TCommandKind::PulseMode:
      PulseMode = v != 0;
      Running = Running || PulseMode;
      return PulseMode ? "pulse mode on" : "pulse mode off";
    case TCommandKind::AmpSquare:
      AmpSquare = c.Value;
      return Format("square attenuation %lld", v);
    case TCommandKind::AmpAnalog:
      AmpAnalog = c.Value;
      return Format("analog attenuation %lld", v);
    case TCommandKind::ControlWord: {
      // The program never sends "pulse mode off": leaving pulse mode, it
      // sends a waveform, which puts the synthesiser back on the output.
      const bool leftPulseMode = PulseMode;
      ControlCode = c.Value;
      PulseMode = false;
      Running = true;
      return "waveform " + std::string(WaveformName(Waveform())) +
             (leftPulseMode ? ", pulse mode off" : "");
    }
    case TCommandKind::Coarse:
      TuningWord = (static_cast<std::uint32_t>(c.Value) << 8) & kWordMask;
      return Format("coarse word 0x%07llX", TuningWord);
    case TCommandKind::Fine:
      TuningWord = (TuningWord + static_cast<std::uint32_t>(c.Value)) & kWordMask;
      return Format("fine %+lld, word 0x%07llX", v, TuningWord);
    case TCommandKind::UnknownPacket:
      return Format("unknown packet 0x%06llX", v);
    case TCommandKind::Stop:
      Running = false;
      return "stop";
    case TCommandKind::MarkerSet:
      Marker = true;
      return "marker set";
    case TCommandKind::MarkerClear:
      Marker = false;
      return "marker cleared";
    case TCommandKind::Identify:
      return "identify";
    case TCommandKind::SquareTable:
      return "square amplitude table request";
    case TCommandKind::AnalogTable:
      return "analog amplitude table request";
    case TCommandKind::PulseDivider:
      PulseDivider = c.Value;
      return Format("pulse divider %lld", v);
    case TCommandKind::Invert:
      Inverted = v != 0;
      return Inverted ? "output inverted" : "output not inverted";
    case TCommandKind::PulseWidth:
      PulseWidthCode = static_cast<std::uint16_t>(c.Value);
      return Format("pulse width code %lld", v);
    case TCommandKind::PulsePeriod:
      PulsePeriodCode = static_cast<std::uint16_t>(c.Value);
      return Format("pulse period code %lld", v);
    case TCommandKind::UnknownByte:
      return Format("unknown byte 0x%02llX", v);
  }
  return {};
}

}  // namespace sim
