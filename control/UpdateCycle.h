#pragma once
// The 50 ms update cycle: turns raised flags into device commands in a
// fixed order, advances the sweep, and asks the window for a redraw.
//
// Owns nothing; refers to the shared state, the screen model and the port,
// all owned by the main window, which must outlive it. Thread contract:
// TimerCallback runs on the timer thread and takes Shared.Lock itself.
// Every other member expects the caller to hold Shared.Lock (the GUI thread
// calls SendText that way for the stop command of the Sweep button and of
// closing). The port is written only while State.DeviceOnline is true, so
// the GUI thread may use the port without the lock while it is false.

#include <cstdint>
#include <functional>
#include <string>

#include "control/ControlState.h"

namespace serial { class TTinyComPort; }

namespace control {

class TUpdateCycle {
 public:
  TUpdateCycle(TSharedState& shared, screen::TZOLScreenModel& model, serial::TTinyComPort& port);

  // Called once after every tick that ran, whatever the Run button's state,
  // outside the lock, on the timer thread: the window posts its redraw
  // event. A callback skipped by the re-entry guard posts nothing.
  std::function<void()> PostRedraw;
  // Called on the timer thread, outside the lock, when a port error ended a
  // tick: the device has vanished. DeviceOnline is already false then; the
  // rest of that tick's sends are dropped. PostRedraw follows.
  std::function<void(const std::string& message)> PortLost;

  // The periodic callback: re-entry guard, then UpdateTick under the lock.
  void TimerCallback();

  // Everything below: caller holds Shared.Lock. Port errors (serial::EComPort)
  // propagate to the caller.
  void UpdateTick();
  // Writes the packet of the low 24 bits of value without waiting for it.
  void SendCode(std::uint32_t value);
  // Writes text; with wait the call returns once the bytes are written.
  void SendText(const std::string& text, bool wait);
  void SendAmpAnalog();
  void SendAmpSquare();
  void SendPulseMode();
  void SendWaveform(bool stop);
  void SendFrequency(bool markerBelow);
  void SendPulseWidth();
  void SendInvert();
  void SendPulseDivider();
  void SweepStep();
  void RestartSweep();

 private:
  void SweepStepLog();
  void SweepStepLinear();
  int SweepSeconds() const;

  TSharedState& Shared;
  screen::TZOLScreenModel& Model;
  serial::TTinyComPort& Port;
};

// The 4-byte packet that carries a 24-bit command value: "L", bits 16..23,
// bits 0..7, bits 8..15.
std::string EncodePacket(std::uint32_t value);

}  // namespace control
