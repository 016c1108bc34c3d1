// The device command protocol: packets, text commands, the commands that
// send each setting, and the update tick's order.
#include <algorithm>
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

// A setting that one command of its own sends: the command for the settings
// as they are, or nothing to send.
struct TSettingCommand {
  TMark Mark;
  bool Packet;
  std::string (*Encode)(const TGeneratorSettings& s);
};

std::string AttenuationPacket(std::uint32_t command, int step) {
  return EncodePacket(command + static_cast<std::uint32_t>(step & 0xFF));
}

const TSettingCommand SettingCommands[] = {
    {&TUpdateFlags::AmpAnalogDirty, true,
     [](const TGeneratorSettings& s) {
       return AttenuationPacket(0x040000u, s.Attenuation(TWaveform::Sine));
     }},
    {&TUpdateFlags::AmpSquareDirty, true,
     [](const TGeneratorSettings& s) {
       return AttenuationPacket(0x020000u, s.Attenuation(TWaveform::Square));
     }},
    {&TUpdateFlags::PulseModeDirty, true,
     [](const TGeneratorSettings& s) {
       return EncodePacket(s.Mode() == TMode::Pulse ? 0x010001u : 0x010000u);
     }},
    // The width goes out in pulse mode only.
    {&TUpdateFlags::PulseWidthDirty, false,
     [](const TGeneratorSettings& s) {
       return s.Mode() == TMode::Pulse ? EncodeTextCommand('w', s.WidthCode()) : std::string();
     }},
    {&TUpdateFlags::InvertDirty, false,
     [](const TGeneratorSettings& s) { return Bytes1('m', s.Invert() ? 1 : 0); }},
    {&TUpdateFlags::PulseDivDirty, false,
     [](const TGeneratorSettings& s) { return Bytes1('d', s.Divider() + 1); }},
};

// The settings a resync sends in pulse mode only; outside it their marks
// are dropped.
constexpr TMark PulseOnly[] = {&TUpdateFlags::PulseModeDirty, &TUpdateFlags::PulseWidthDirty,
                               &TUpdateFlags::InvertDirty, &TUpdateFlags::PulseDivDirty};

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

void TUpdateCycle::Queue(std::string bytes, bool packet, bool wait) {
  if (!Shared.State.DeviceOnline) return;
  Queued.push_back({std::move(bytes), packet, wait});
}

void TUpdateCycle::SendCode(std::uint32_t value) { Queue(EncodePacket(value), true, false); }

void TUpdateCycle::SendText(const std::string& text, bool wait) { Queue(text, false, wait); }

void TUpdateCycle::Send(TMark mark) {
  const auto command = std::find_if(std::begin(SettingCommands), std::end(SettingCommands),
                                    [mark](const TSettingCommand& c) { return c.Mark == mark; });
  if (command == std::end(SettingCommands)) return;
  Settings.Unmark(mark);
  std::string bytes = command->Encode(Settings);
  if (!bytes.empty()) Queue(std::move(bytes), command->Packet, false);
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

void TUpdateCycle::UpdateTick() {
  TGeneratorSettings& s = Settings;
  const bool pulse = s.Mode() == TMode::Pulse;
  const bool sweep = s.Mode() == TMode::Sweep;

  if (s.IsMarked(&TUpdateFlags::ResyncAll)) {
    s.Unmark(&TUpdateFlags::ResyncAll);
    if (s.Run()) {
      // The pulse settings go out in pulse mode only; the rest always.
      for (TMark mark : PulseOnly) {
        if (pulse)
          s.Mark(mark);
        else
          s.Unmark(mark);
      }
      for (TMark mark :
           {&TUpdateFlags::AmpAnalogDirty, &TUpdateFlags::AmpSquareDirty, &TUpdateFlags::WaveDirty})
        s.Mark(mark);
      s.Mark(sweep ? &TUpdateFlags::SweepRestart : &TUpdateFlags::FreqDirty);
    } else {
      SendWaveform(true);
    }
  }

  // While Run is up marked settings wait; the next Run press resyncs anyway.
  if (!s.Run()) return;

  const auto sendMarked = [&](TMark mark) {
    if (s.IsMarked(mark)) Send(mark);
  };
  sendMarked(&TUpdateFlags::AmpAnalogDirty);
  sendMarked(&TUpdateFlags::AmpSquareDirty);
  if (s.IsMarked(&TUpdateFlags::PulseModeDirty)) {
    // The device expects a stop right before every change of pulse mode.
    SendWaveform(true);
    Send(&TUpdateFlags::PulseModeDirty);
  }
  if (sweep) {
    // A paused sweep can still be reset to its start.
    if (!s.Pause() || s.IsMarked(&TUpdateFlags::SweepRestart)) SweepStep();
  } else if (s.IsMarked(&TUpdateFlags::FreqDirty) || s.IsMarked(&TUpdateFlags::FreqStepDirty)) {
    SendFrequency(false);
  }
  if (s.IsMarked(&TUpdateFlags::WaveDirty)) SendWaveform(false);
  for (TMark mark :
       {&TUpdateFlags::PulseWidthDirty, &TUpdateFlags::InvertDirty, &TUpdateFlags::PulseDivDirty})
    sendMarked(mark);
}

}  // namespace control
