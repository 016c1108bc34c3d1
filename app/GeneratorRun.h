#pragma once
// One run of the program, assembled: the serial port with the generator's
// line settings, the state the tick and the GUI share, the device link,
// the command path, the update cycle with its 50 ms timer, and the remote
// control's servers when they are asked for. The main window (AttachWindow)
// or the headless bridge shows the run's command path and owns none of it;
// Start wires the tick to its listener and starts it. Qt Core and Network
// only: no widget, no picture.
//
// Owns all of these. GUI thread, except the tick, which runs on the timer's
// thread inside the update cycle and shares only the shared state (under
// its locks) and the port (under the port lock). The run must outlive the
// listener it tells; the listener stops the tick before it goes.

#include <functional>
#include <memory>
#include <string>

#include "core/ControlState.h"

namespace control {
class TDeviceLink;
class TGeneratorControl;
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
class TTickHandOver;
struct TProgramOptions;

// What the tick tells, on the timer thread: the listener posts both to its
// own thread.
// Told on the thread that started the run.
struct TTickListener {
  // A tick ran: redraw, and answer who waits for the wire.
  std::function<void()> Redraw;
  // A port error ended a tick: the device has vanished.
  std::function<void()> PortLost;
};

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
  // the options' admission rules; the servers' lines go to notice (by
  // default "zolvek: " on standard error).
  TRemoteControl& Remote(const TProgramOptions& options);
  TRemoteControl& Remote(const TProgramOptions& options,
                         std::function<void(const std::string&)> notice);

  // The tick tells the listener from now on, on this thread; it starts now.
  void Start(TTickListener listener);
  // Waits for a running tick to end; no tick follows, and no notice of one
  // is told after.
  void StopTicks();

 private:
  std::unique_ptr<serial::TTinyComPort> FPort;
  control::TSharedState FShared;
  std::unique_ptr<control::TDeviceLink> FLink;
  std::unique_ptr<control::TGeneratorControl> FControl;
  std::unique_ptr<control::TUpdateCycle> FCycle;
  std::unique_ptr<platform::TMultimediaTimer> FTimer;
  std::unique_ptr<TTickHandOver> FHandOver;
  std::unique_ptr<TRemoteControl> FRemote;
};

}  // namespace app
