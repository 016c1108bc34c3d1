#include "app/GeneratorRun.h"

#include <chrono>

#include "app/RemoteControl.h"
#include "app/TickHandOver.h"
#include "command/DeviceLink.h"
#include "command/GeneratorControl.h"
#include "core/UpdateCycle.h"
#include "platform/MultimediaTimer.h"
#include "serial/TinyComms.h"

namespace app {

namespace {
constexpr std::chrono::milliseconds TickPeriod{50};
}  // namespace

TGeneratorRun::TGeneratorRun()
    : FPort(std::make_unique<serial::TTinyComPort>()),
      FLink(std::make_unique<control::TDeviceLink>(FShared, *FPort)),
      FControl(std::make_unique<control::TGeneratorControl>(FShared, *FLink)),
      FCycle(std::make_unique<control::TUpdateCycle>(FShared, *FPort)),
      FTimer(std::make_unique<platform::TMultimediaTimer>()) {
  serial::ApplyMainComPortSettings(*FPort);
}

TGeneratorRun::~TGeneratorRun() { StopTicks(); }

void TGeneratorRun::Start(TTickListener listener) {
  // Both come on the timer thread and are posted to this one.
  FHandOver =
      std::make_unique<TTickHandOver>(std::move(listener.Redraw), std::move(listener.PortLost));
  FCycle->PostRedraw = [handOver = FHandOver.get()] { handOver->PostTick(); };
  FCycle->PortLost = [handOver = FHandOver.get()](const std::string&) { handOver->PostPortLost(); };
  FTimer->Start(TickPeriod, [cycle = FCycle.get()] { cycle->TimerCallback(); });
}

void TGeneratorRun::StopTicks() {
  FTimer->Stop();
  // A listener that stops the tick as it goes hears nothing after.
  if (FHandOver) FHandOver->DropPosted();
}

TRemoteControl& TGeneratorRun::Remote(const TProgramOptions& options) {
  return Remote(options, TellOnStandardError);
}

TRemoteControl& TGeneratorRun::Remote(const TProgramOptions& options,
                                      std::function<void(const std::string&)> notice) {
  if (!FRemote) FRemote = std::make_unique<TRemoteControl>(*FControl, options, std::move(notice));
  return *FRemote;
}

}  // namespace app
