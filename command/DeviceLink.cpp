#include "command/DeviceLink.h"

#include <mutex>

#include "core/DeviceReplies.h"
#include "serial/TinyComms.h"

namespace control {

namespace {

using Guard = std::lock_guard<std::mutex>;

// Holds the tick off for as long as it lives (GuiUsesPort under the lock).
class TTickHeldOff {
 public:
  explicit TTickHeldOff(TSharedState& shared) : Shared(shared) { Set(true); }
  ~TTickHeldOff() { Set(false); }
  TTickHeldOff(const TTickHeldOff&) = delete;
  TTickHeldOff& operator=(const TTickHeldOff&) = delete;

 private:
  void Set(bool held) {
    Guard guard(Shared.Lock);
    Shared.State.GuiUsesPort = held;
  }
  TSharedState& Shared;
};

}  // namespace

TDeviceLink::TDeviceLink(TSharedState& shared, serial::TTinyComPort& port)
    : Shared(shared), Port(port) {}

template <class F>
bool TDeviceLink::UsePort(F f) {
  bool online = false;
  {
    Guard guard(Shared.Lock);
    online = Shared.State.DeviceOnline;
  }
  try {
    if (!online) return f();
    const TTickHeldOff heldOff(Shared);
    Guard port(Shared.PortLock);
    return f();
  } catch (const serial::EComPort&) {
    return false;
  }
}

void TDeviceLink::Open(const std::string& path) {
  Guard port(Shared.PortLock);
  Port.SetPort(path);
  Port.SetPortPresent(true);
  Port.Open();
}

// A port of its own with the same settings: the working one stays open.
void TDeviceLink::TryOpen(const std::string& path) {
  serial::TTinyComPort trial;
  serial::ApplyMainComPortSettings(trial);
  trial.SetPort(path);
  trial.Open();
  ClosePort(trial);
}

bool TDeviceLink::Connected() const { return Port.Connected(); }

void TDeviceLink::Close() {
  Guard port(Shared.PortLock);
  if (Port.Connected()) ClosePort(Port);
}

void TDeviceLink::SetPortPresent(bool present) {
  Guard port(Shared.PortLock);
  Port.SetPortPresent(present);
}

bool TDeviceLink::Identify() {
  std::string identity;
  {
    Guard guard(Shared.Lock);
    identity = Shared.State.IdentityText;
  }
  return UsePort([&] { return control::Identify(Port, identity); });
}

bool TDeviceLink::WriteNow(const std::string& text) {
  bool online = false;
  {
    Guard guard(Shared.Lock);
    online = Shared.State.DeviceOnline;
  }
  if (!online) return true;
  return UsePort([&] {
    Port.WaitForPending();
    Port.WriteStr(text, true);
    return true;
  });
}

bool TDeviceLink::ReadTables(const TWaitWithMessages& wait, TCalibrationTables& out) {
  // The waits handle window events: the port may be closed under the read,
  // which then simply fails.
  return UsePort([&] { return ReadCalibrationTables(Port, wait, out); });
}

}  // namespace control
