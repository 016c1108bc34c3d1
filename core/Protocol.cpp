// The device command protocol: packets, text commands and the update steps
// that turn the settings into commands.
#include <cstdlib>

#include "core/UpdateCycle.h"

namespace control {

namespace {

// The largest magnitude a fine command can add to the device's word.
constexpr std::int64_t FineReach = 0x3FFFFF;

std::string Bytes1(char command, int value8) {
  std::string text(1, command);
  text += static_cast<char>(value8 & 0xFF);
  return text;
}

}  // namespace

std::string EncodeTextCommand(char command, int value16) {
  std::string text(1, command);
  text += static_cast<char>(value16 & 0xFF);
  text += static_cast<char>((value16 >> 8) & 0xFF);
  return text;
}

std::string EncodePacket(std::uint32_t value) {
  std::string packet(4, '\0');
  packet[0] = 'L';
  packet[1] = static_cast<char>((value >> 16) & 0xFF);
  packet[2] = static_cast<char>(value & 0xFF);
  packet[3] = static_cast<char>((value >> 8) & 0xFF);
  return packet;
}

void TUpdateCycle::SendCode(std::uint32_t value) {
  if (!Shared.State.DeviceOnline) return;
  Queued.push_back({EncodePacket(value), true, false});
}

void TUpdateCycle::SendText(const std::string& text, bool wait) {
  if (!Shared.State.DeviceOnline) return;
  Queued.push_back({text, false, wait});
}

void TUpdateCycle::SendAmpAnalog() {
  Settings.Unmark(&TUpdateFlags::AmpAnalogDirty);
  SendCode(0x040000u + static_cast<std::uint32_t>(Settings.Attenuation(TWaveform::Sine) & 0xFF));
}

void TUpdateCycle::SendAmpSquare() {
  Settings.Unmark(&TUpdateFlags::AmpSquareDirty);
  SendCode(0x020000u + static_cast<std::uint32_t>(Settings.Attenuation(TWaveform::Square) & 0xFF));
}

void TUpdateCycle::SendPulseMode() {
  Settings.Unmark(&TUpdateFlags::PulseModeDirty);
  SendCode(Settings.Mode() == TMode::Pulse ? 0x010001u : 0x010000u);
}

void TUpdateCycle::SendWaveform(bool stop) {
  std::uint32_t code = 0;
  if (Settings.Waveform() == TWaveform::Square) {
    code = Settings.Divider() == 0 ? 40 : 32;
  } else if (Settings.Waveform() == TWaveform::Triangle) {
    code = 2;
  }
  Settings.Unmark(&TUpdateFlags::WaveDirty);
  if (stop) {
    SendText("Z", false);
  } else {
    SendCode(0x102000u + code);
  }
}

void TUpdateCycle::SendFrequency(bool markerBelow) {
  TControlState& state = Shared.State;
  Settings.Unmark(&TUpdateFlags::FreqStepDirty);

  if (Settings.Mode() == TMode::Pulse) {
    Settings.Unmark(&TUpdateFlags::FreqDirty);
    SendText(EncodeTextCommand('p', Settings.PeriodCode()), false);
    return;
  }

  const std::int32_t word = Settings.Frequency().Word;
  std::int64_t difference = std::int64_t{word} - state.LastSentWord;
  if (Settings.IsMarked(&TUpdateFlags::FreqDirty) || std::llabs(difference) > FineReach) {
    Settings.Unmark(&TUpdateFlags::FreqDirty);
    state.LastSentWord = word & 0x0FFFFF00;
    SendCode(0x400000u + static_cast<std::uint32_t>(state.LastSentWord >> 8));
    difference = std::int64_t{word} - state.LastSentWord;
  }
  // Sent even for a difference of 0: it completes the coarse command.
  SendCode(0x800000u + static_cast<std::uint32_t>((difference + 0x400000) & 0x7FFFFF));
  state.LastSentWord = word;

  if (Settings.Mode() == TMode::Sweep && markerBelow != state.LastMarkerState) {
    state.LastMarkerState = markerBelow;
    SendText(markerBelow ? "S" : "s", false);
  }
}

void TUpdateCycle::SendPulseWidth() {
  Settings.Unmark(&TUpdateFlags::PulseWidthDirty);
  if (Settings.Mode() != TMode::Pulse) return;
  SendText(EncodeTextCommand('w', Settings.WidthCode()), false);
}

void TUpdateCycle::SendInvert() {
  Settings.Unmark(&TUpdateFlags::InvertDirty);
  SendText(Bytes1('m', Settings.Invert() ? 1 : 0), false);
}

void TUpdateCycle::SendPulseDivider() {
  Settings.Unmark(&TUpdateFlags::PulseDivDirty);
  SendText(Bytes1('d', Settings.Divider() + 1), false);
}

}  // namespace control
