// The device command protocol: packets, text commands and the update steps
// that turn the screen model and the control snapshot into commands.
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
  Shared.State.Flags.AmpAnalogDirty = false;
  SendCode(0x040000u + static_cast<std::uint32_t>(Model.AmpLevelAnalog & 0xFF));
}

void TUpdateCycle::SendAmpSquare() {
  Shared.State.Flags.AmpSquareDirty = false;
  SendCode(0x020000u + static_cast<std::uint32_t>(Model.AmpLevelSquare & 0xFF));
}

void TUpdateCycle::SendPulseMode() {
  Shared.State.Flags.PulseModeDirty = false;
  SendCode(Shared.Controls.PulseDown ? 0x010001u : 0x010000u);
}

void TUpdateCycle::SendWaveform(bool stop) {
  // The code follows the buttons and the gauge, not the screen model.
  const TControlSnapshot& controls = Shared.Controls;
  std::uint32_t code = 0;
  if (controls.SquareDown) {
    code = controls.DivGaugePos == 0 ? 40 : 32;
  } else if (controls.TriDown) {
    code = 2;
  }
  Shared.State.Flags.WaveDirty = false;
  if (stop) {
    SendText("Z", false);
  } else {
    SendCode(0x102000u + code);
  }
}

void TUpdateCycle::SendFrequency(bool markerBelow) {
  TControlState& state = Shared.State;
  TUpdateFlags& flags = state.Flags;
  flags.FreqStepDirty = false;

  if (Shared.Controls.PulseDown) {
    flags.FreqDirty = false;
    SendText(EncodeTextCommand('p', Model.PulsePeriodCode()), false);
    return;
  }

  const std::int32_t word = Model.Slots[screen::FrequencySlot].Word;
  std::int64_t difference = std::int64_t{word} - state.LastSentWord;
  if (flags.FreqDirty || std::llabs(difference) > FineReach) {
    flags.FreqDirty = false;
    state.LastSentWord = word & 0x0FFFFF00;
    SendCode(0x400000u + static_cast<std::uint32_t>(state.LastSentWord >> 8));
    difference = std::int64_t{word} - state.LastSentWord;
  }
  // Sent even for a difference of 0: it completes the coarse command.
  SendCode(0x800000u + static_cast<std::uint32_t>((difference + 0x400000) & 0x7FFFFF));
  state.LastSentWord = word;

  if (Shared.Controls.SweepDown && markerBelow != state.LastMarkerState) {
    state.LastMarkerState = markerBelow;
    SendText(markerBelow ? "S" : "s", false);
  }
}

void TUpdateCycle::SendPulseWidth() {
  Shared.State.Flags.PulseWidthDirty = false;
  if (!Shared.Controls.PulseDown) return;
  SendText(EncodeTextCommand('w', Model.PulseWidthCode()), false);
}

void TUpdateCycle::SendInvert() {
  Shared.State.Flags.InvertDirty = false;
  SendText(Bytes1('m', Shared.Controls.InvertDown ? 1 : 0), false);
}

void TUpdateCycle::SendPulseDivider() {
  Shared.State.Flags.PulseDivDirty = false;
  SendText(Bytes1('d', std::abs(Shared.Controls.DivGaugePos) + 1), false);
}

}  // namespace control
