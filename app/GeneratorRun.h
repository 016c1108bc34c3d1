#pragma once
// One run of the program, assembled: the serial port with the generator's
// line settings, the state the tick and the GUI share, the device link,
// the command path, the update cycle with its 50 ms timer, and the remote
// control's servers when they are asked for. The main
// window shows the run's command path and owns none of it; Attach wires the
// tick to the window and starts it.
//
// Owns all of these. GUI thread, except the tick, which runs on the timer's
// thread inside the update cycle and shares only the shared state (under
// its locks) and the port (under the port lock). The run must outlive the
// window it is attached to; the window stops the tick when it closes.

#include <memory>

#include "core/ControlState.h"

namespace control {
class TDeviceLink;
class TGeneratorControl;
class TMainForm;
class TUpdateCycle;
}  // namespace control
namespace platform {
class TMultimediaTimer;
}
namespace serial {
class TTinyComPort;
}

namespace app {

class TRemoteControl;
struct TProgramOptions;

class TGeneratorRun {
 public:
  TGeneratorRun();
  ~TGeneratorRun();
  TGeneratorRun(const TGeneratorRun&) = delete;
  TGeneratorRun& operator=(const TGeneratorRun&) = delete;

  control::TGeneratorControl& Control() { return *FControl; }
  serial::TTinyComPort& Port() { return *FPort; }
  control::TSharedState& Shared() { return FShared; }
  control::TDeviceLink& Link() { return *FLink; }

  // The remote control on the command path, made at the first call with
  // the options' admission rules.
  TRemoteControl& Remote(const TProgramOptions& options);

  // The tick redraws this window and tells it of a lost port; it starts now.
  void Attach(control::TMainForm& window);
  // Waits for a running tick to end; no tick follows.
  void StopTicks();

 private:
  std::unique_ptr<serial::TTinyComPort> FPort;
  control::TSharedState FShared;
  std::unique_ptr<control::TDeviceLink> FLink;
  std::unique_ptr<control::TGeneratorControl> FControl;
  std::unique_ptr<control::TUpdateCycle> FCycle;
  std::unique_ptr<platform::TMultimediaTimer> FTimer;
  std::unique_ptr<TRemoteControl> FRemote;
};

}  // namespace app
