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

}  // namespace control
