#include "bridge/DeviceCalls.h"

#include <optional>

#include "command/GeneratorControl.h"

namespace bridge {

TGeneratorCalls::TGeneratorCalls(control::TGeneratorControl& control,
                                 control::TWaitWithMessages wait)
    : Control(control), Wait(std::move(wait)) {
  Control.InitControlState();
}

bool TGeneratorCalls::Online() const { return Control.State().DeviceOnline; }

std::string TGeneratorCalls::PortName() const { return Control.State().PortName; }

std::string TGeneratorCalls::Identity() const { return Control.State().IdentityText; }

bool TGeneratorCalls::Connect(const std::string& name, std::string& why) {
  std::optional<serial::EComPort> openError;
  switch (Control.Connection().ConnectOrRelease(name, Wait, openError)) {
    case control::TOutcome::Done:
    case control::TOutcome::Crossed:
      return true;
    case control::TOutcome::Invalid:
      why = "not a port name";
      return false;
    default:
      why = openError ? openError->what() : "the device did not answer as a generator";
      return false;
  }
}

bool TGeneratorCalls::RunDown() const { return Control.Panel().RunBtn.Down; }

bool TGeneratorCalls::PauseDown() const { return Control.Panel().PauseBtn.Down; }

void TGeneratorCalls::PressRun() { Control.Modes().SetRun(true); }

void TGeneratorCalls::PressPause() { Control.Sweep().SetPause(true); }

void TGeneratorCalls::OnLoss(std::function<void()> lost) {
  // Whoever listened before (the remote control) still hears it, first.
  Control.Connection().DeviceLost = [former = Control.Connection().DeviceLost,
                                     lost = std::move(lost)] {
    if (former) former();
    if (lost) lost();
  };
}

void TGeneratorCalls::OnChanged(std::function<void()> changed) {
  Control.OnPanelChanged(std::move(changed));
}

void TGeneratorCalls::PortRemoved(const std::string& name) {
  Control.Connection().PortRemoved(name);
}

void TGeneratorCalls::PortLost() { Control.Connection().PortLost(); }

void TGeneratorCalls::TickRan() {
  Control.Redraw();
  for (const std::function<void()>& written : Control.Written().TakeWritten()) written();
}

void TGeneratorCalls::Close() { Control.Connection().Close(); }

}  // namespace bridge
