#include "core/UpdateCycle.h"

#include <optional>
#include <mutex>

#include "serial/TinyComms.h"

namespace control {

namespace {
// TickGuard while a tick runs; a callback that finds it positive only
// counts it down, and the finished tick resets it, so skips leave no debt.
constexpr std::int32_t TickRunning = 10;
}  // namespace

TUpdateCycle::TUpdateCycle(TSharedState& shared, serial::TTinyComPort& port)
    : Shared(shared), Settings(shared.Settings), Port(port) {}

void TUpdateCycle::TimerCallback() {
  std::vector<TCommand> commands;
  std::unique_lock<std::mutex> port(Shared.PortLock, std::defer_lock);
  std::uint64_t tick = 0;
  {
    std::lock_guard<std::mutex> lock(Shared.Lock);
    TControlState& state = Shared.State;
    if (state.TickGuard > 0) {
      --state.TickGuard;
      return;
    }
    // The GUI thread has the device to itself: skip this turn, flags kept.
    if (!state.GuiUsesPort) {
      tick = ++state.TicksStarted;
      state.TickGuard = TickRunning;
      UpdateTick();
      commands = TakeQueued();
      // Taken under the state lock so that the commands of ticks and of
      // the GUI reach the line in the order they were worked out.
      if (!commands.empty()) port.lock();
    }
  }
  std::optional<std::string> lostMessage;
  if (!commands.empty()) {
    try {
      WriteCommands(Port, commands);
    } catch (const serial::EComPort& error) {
      lostMessage = error.what();
    }
    port.unlock();
  }
  {
    std::lock_guard<std::mutex> lock(Shared.Lock);
    // The device vanished under the tick: stop writing at once; the GUI
    // thread takes the program offline when PortLost reaches it.
    if (lostMessage) Shared.State.DeviceOnline = false;
    if (tick != 0) Shared.State.TicksWritten = tick;
    Shared.State.TickGuard = 0;
  }
  if (lostMessage && PortLost) PortLost(*lostMessage);
  if (PostRedraw) PostRedraw();
}

std::vector<TUpdateCycle::TCommand> TUpdateCycle::TakeQueued() {
  std::vector<TCommand> commands;
  commands.swap(Queued);
  return commands;
}

void WriteCommands(serial::TTinyComPort& port,
                   const std::vector<TUpdateCycle::TCommand>& commands) {
  for (const TUpdateCycle::TCommand& command : commands) {
    // One write per command keeps its bytes together on the line; waiting
    // for the previous transfer keeps at most one outstanding.
    port.WaitForPending();
    if (command.Packet) {
      port.Write(command.Bytes.data(), static_cast<std::int32_t>(command.Bytes.size()), false);
    } else {
      port.WriteStr(command.Bytes, command.Wait);
    }
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
      for (TMark mark : {&TUpdateFlags::PulseModeDirty, &TUpdateFlags::PulseWidthDirty,
                         &TUpdateFlags::InvertDirty, &TUpdateFlags::PulseDivDirty}) {
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

  if (s.IsMarked(&TUpdateFlags::AmpAnalogDirty)) SendAmpAnalog();
  if (s.IsMarked(&TUpdateFlags::AmpSquareDirty)) SendAmpSquare();
  if (s.IsMarked(&TUpdateFlags::PulseModeDirty)) {
    // The device expects a stop right before every change of pulse mode.
    SendWaveform(true);
    SendPulseMode();
  }
  if (sweep) {
    // A paused sweep can still be reset to its start.
    if (!s.Pause() || s.IsMarked(&TUpdateFlags::SweepRestart)) SweepStep();
  } else if (s.IsMarked(&TUpdateFlags::FreqDirty) || s.IsMarked(&TUpdateFlags::FreqStepDirty)) {
    SendFrequency(false);
  }
  if (s.IsMarked(&TUpdateFlags::WaveDirty)) SendWaveform(false);
  if (s.IsMarked(&TUpdateFlags::PulseWidthDirty)) SendPulseWidth();
  if (s.IsMarked(&TUpdateFlags::InvertDirty)) SendInvert();
  if (s.IsMarked(&TUpdateFlags::PulseDivDirty)) SendPulseDivider();
}

}  // namespace control
