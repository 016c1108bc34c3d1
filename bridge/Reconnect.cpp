#include "bridge/Reconnect.h"

#include <algorithm>

#include "bridge/DeviceCalls.h"

namespace bridge {

TReconnect::TReconnect(TDeviceCalls& device, TLookup lookup, TDescribe describe, TSay say,
                       TRetryTimes times)
    : Device(device),
      Lookup(std::move(lookup)),
      Describe(std::move(describe)),
      Say(std::move(say)),
      Times(times),
      NextRetryMs(times.FirstRetryMs) {
  Retry.setSingleShot(true);
  QObject::connect(&Retry, &QTimer::timeout, [this] { Attempt(); });
  Device.OnLoss([this] { Lost(); });
  Device.OnChanged([this] { Changed(); });
}

TReconnect::~TReconnect() {
  Device.OnLoss({});
  Device.OnChanged({});
}

void TReconnect::Keep(const std::string& given) {
  Given = given;
  Pending = true;
  NextRetryMs = Times.FirstRetryMs;
  Retry.start(0);
}

void TReconnect::PortAppeared(const std::string&) {
  // Which name a stable path leads to is known only by looking it up.
  if (!Pending) return;
  NextRetryMs = Times.FirstRetryMs;
  Retry.start(0);
}

void TReconnect::Changed() {
  // The handshake's own changes release Run; they are not the clients'.
  if (Attempting) return;
  const bool online = Device.Online();
  if (online && !WasOnline) {
    // A client connected (SYST:CONN): that port is the one kept.
    Given = Device.PortName();
    Connected(Given, "a client connected ");
  }
  WasOnline = online;
  if (online) {
    RunOnline = Device.RunDown();
    PauseOnline = Device.PauseDown();
  } else if (Pending) {
    // A client that presses or releases Run while the device is away (the
    // demonstration) finds it so when the device is back; its other
    // settings leave Run as it was before the loss.
    if (Device.RunDown() != RunOffline) RunWanted = RunOffline = Device.RunDown();
    if (Device.PauseDown() != PauseOffline) PauseWanted = PauseOffline = Device.PauseDown();
  }
}

void TReconnect::Lost() {
  const std::string port = Device.PortName();
  WasOnline = false;
  RunWanted = RunOnline;
  PauseWanted = PauseOnline;
  RunOffline = Device.RunDown();
  PauseOffline = Device.PauseDown();
  Say(TLevel::Warning, "lost the generator on " + port + "; waiting for it to come back");
  if (OnlineChanged) OnlineChanged();
  Pending = true;
  LastWhy.clear();
  NextRetryMs = Times.FirstRetryMs;
  Retry.start(Times.FirstRetryMs);
}

void TReconnect::Attempt() {
  if (!Pending || Attempting) return;
  if (Device.Online()) {
    // A client connected meanwhile; that connection is the one kept.
    Pending = false;
    return;
  }
  std::string error;
  const std::optional<std::string> name = Lookup(Given, error);
  if (!name) {
    if (!error.empty()) {
      Pending = false;
      Say(TLevel::Error, "cannot keep " + Given + ": " + error);
      return;
    }
    RetryLater(Given + " is not there");
    return;
  }
  std::string why;
  Attempting = true;
  const bool online = Device.Connect(*name, why);
  Attempting = false;
  if (online) {
    WasOnline = true;
    Connected(*name, EverOnline ? "reconnected to " : "connected to ");
    if (RunWanted) Device.PressRun();
    if (PauseWanted) Device.PressPause();
  } else {
    RetryLater("cannot connect to " + *name + ": " + why);
  }
}

void TReconnect::Connected(const std::string& name, const std::string& how) {
  Pending = false;
  Retry.stop();
  LastWhy.clear();
  EverOnline = true;
  const std::string description = Describe(name);
  Say(TLevel::Notice, how + name + (description.empty() ? "" : " (" + description + ")") +
                          ", the generator answered \"" + Device.Identity() + "\"");
  if (OnlineChanged) OnlineChanged();
}

void TReconnect::RetryLater(const std::string& why) {
  // Each reason once, not at every retry.
  if (why != LastWhy) Say(TLevel::Info, why + "; trying again");
  LastWhy = why;
  Retry.start(NextRetryMs);
  NextRetryMs = std::min(NextRetryMs * 2, Times.LongestRetryMs);
}

}  // namespace bridge
