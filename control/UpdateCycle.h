#pragma once
// The 50 ms update cycle: turns raised flags into device commands in a
// fixed order, advances the sweep, and asks the window for a redraw.
//
// Owns nothing; refers to the shared state, the screen model and the port,
// all owned by the main window. Thread contract: TimerCallback runs on the
// timer thread and takes Shared.Lock itself. Every other member expects the
// caller to hold Shared.Lock (the GUI thread calls SendText that way for the
// stop command of the Sweep button and of closing).

#include <cstdint>
#include <functional>
#include <string>

#include "control/ControlState.h"

namespace serial { class TTinyComPort; }

namespace control {

class TUpdateCycle {
 public:
  TUpdateCycle(TSharedState& shared, screen::TZOLScreenModel& model, serial::TTinyComPort& port);

  // Called after every tick (also skipped ones are not), outside the lock,
  // on the timer thread: the window posts its redraw event.
  std::function<void()> PostRedraw;
  // Called on the timer thread, outside the lock, when a port error ended a
  // tick: the device has vanished. DeviceOnline is already false then.
  std::function<void(const std::string& message)> PortLost;

  // The periodic callback: re-entry guard, then UpdateTick under the lock.
  void TimerCallback();

  // Everything below: caller holds Shared.Lock.
  void UpdateTick();
  void SendCode(std::uint32_t value);
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
  TSharedState& Shared;
  screen::TZOLScreenModel& Model;
  serial::TTinyComPort& Port;
};

// The 4-byte packet that carries a 24-bit command value.
std::string EncodePacket(std::uint32_t value);

}  // namespace control
