#pragma once
// What the bridge asks of the generator, and the one place it asks the
// command path: connect with the full handshake, the online state, Run and
// Pause, removed ports, the tick's lost port, the loss of an online device,
// the tick's redraw and the close at exit. TDeviceCalls is the bridge's view; TGeneratorCalls
// makes those calls on a run's command path.
//
// Refers to the command path, which must outlive it. GUI thread only.

#include <functional>
#include <string>

#include "command/HandlerHandshake.h"

namespace control {
class TGeneratorControl;
}

namespace bridge {

class TDeviceCalls {
 public:
  virtual ~TDeviceCalls() = default;

  virtual bool Online() const = 0;
  // The port last online, as connected (e.g. ttyUSB0).
  virtual std::string PortName() const = 0;
  // What the generator answered to the identify command.
  virtual std::string Identity() const = 0;
  // The full handshake with the named port (a name as the port list gives
  // it); false with the reason when it did not go online.
  virtual bool Connect(const std::string& name, std::string& why) = 0;
  virtual bool RunDown() const = 0;
  virtual bool PauseDown() const = 0;
  // Presses the button as a click does; nothing when it is down already.
  virtual void PressRun() = 0;
  virtual void PressPause() = 0;
  // Called once each time an online device is lost, after it went offline;
  // an empty function stops the calls.
  virtual void OnLoss(std::function<void()> lost) = 0;
  // Called after every change of the panel (a client's setting, a loss);
  // an empty function stops the calls.
  virtual void OnChanged(std::function<void()> changed) = 0;
};

class TGeneratorCalls final : public TDeviceCalls {
 public:
  // Sets the command path's start-up state, as the window does when it is made.
  TGeneratorCalls(control::TGeneratorControl& control, control::TWaitWithMessages wait);

  bool Online() const override;
  std::string PortName() const override;
  std::string Identity() const override;
  bool Connect(const std::string& name, std::string& why) override;
  bool RunDown() const override;
  bool PauseDown() const override;
  void PressRun() override;
  void PressPause() override;
  void OnLoss(std::function<void()> lost) override;
  void OnChanged(std::function<void()> changed) override;

  // The port with this name has gone (the removal watcher).
  void PortRemoved(const std::string& name);
  // A port error ended a tick.
  void PortLost();
  // After each tick: what a redraw advances, and the answers to whoever
  // waits for the wire.
  void TickRan();
  // At exit, once the tick has stopped: the stop command to an online
  // device, then the port closed, as closing the window does.
  void Close();

 private:
  control::TGeneratorControl& Control;
  control::TWaitWithMessages Wait;
};

}  // namespace bridge
