#pragma once
// The 50 ms update cycle: sends the settings marked to be sent in a fixed
// order, advances the sweep, and asks for a redraw.
//
// Owns the commands worked out and not yet written; refers to the shared
// state and the port, owned by the program's run, which must outlive it.
// Thread contract: TimerCallback runs on the timer thread:
// under Shared.Lock it works out the tick's commands, then, holding only
// Shared.PortLock, writes them. The update steps (SendCode ... RestartSweep)
// expect the caller to hold Shared.Lock; they queue commands, they never
// write; TakeQueued takes them for WriteCommands. The tick's order and the
// commands are in Protocol.cpp.
// Commands are queued only while State.DeviceOnline is true, so the GUI
// thread may use the port without PortLock while it is false.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/ControlState.h"

namespace serial {
class TTinyComPort;
}

namespace control {

class TUpdateCycle {
 public:
  TUpdateCycle(TSharedState& shared, serial::TTinyComPort& port);

  // Called once after every tick that ran, whatever Run's state, outside
  // the lock, on the timer thread: the window posts its redraw event. A callback skipped by the
  // re-entry guard posts nothing.
  std::function<void()> PostRedraw;
  // Called on the timer thread, outside the lock, when a port error ended a
  // tick: the device has vanished. DeviceOnline is already false then; the
  // rest of that tick's sends are dropped. PostRedraw follows.
  std::function<void(const std::string& message)> PortLost;

  // One command as it goes to the port in a single write.
  struct TCommand {
    std::string Bytes;
    bool Packet = false;  // a 4-byte packet, written without waiting
    bool Wait = false;    // a text command whose write is waited for
  };

  // The periodic callback: re-entry guard, the tick's commands worked out
  // under the lock, then written under the port lock.
  void TimerCallback();

  // Everything below: caller holds Shared.Lock; nothing here writes.
  void UpdateTick();
  // The commands worked out and not yet written, taken for writing.
  std::vector<TCommand> TakeQueued();
  // Queues the packet of the low 24 bits of value, written without waiting.
  void SendCode(std::uint32_t value);
  // Queues text; with wait its write is waited for.
  void SendText(const std::string& text, bool wait);
  // Queues the command of a setting that one command of its own sends
  // (mark names it) and unmarks it; a mark of another is left as it is.
  void Send(TMark mark);
  // The waveform's command, or with stop the stop command.
  void SendWaveform(bool stop);
  void SendFrequency(bool markerBelow);
  void SweepStep();
  void RestartSweep();

 private:
  void Queue(std::string bytes, bool packet, bool wait);
  void SweepStepLog();
  void SweepStepLinear();
  int SweepSeconds() const;
  double LogPosition(const TFrequency& f) const;
  void ShiftFrequency(double delta);
  // The sweep's frequency lies below the marker.
  bool MarkerBelow() const;

  std::vector<TCommand> Queued;  // guarded by Shared.Lock

  TSharedState& Shared;
  TGeneratorSettings& Settings;
  serial::TTinyComPort& Port;
};

// Writes commands in order, each after the previous transfer has left.
// Port errors (serial::EComPort) propagate. Online, the caller holds
// Shared.PortLock.
void WriteCommands(serial::TTinyComPort& port, const std::vector<TUpdateCycle::TCommand>& commands);

// The 4-byte packet that carries a 24-bit command value: "L", bits 16..23,
// bits 0..7, bits 8..15.
std::string EncodePacket(std::uint32_t value);
// A text command with a 16-bit value, low byte first: "w", "p".
std::string EncodeTextCommand(char command, int value16);

}  // namespace control
