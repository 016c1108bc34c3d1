// Connection and handshake: opening the chosen port, the identity check,
// the calibration tables, going offline, removed ports, closing.
#include <string>

#include "control/DeviceLink.h"
#include "control/GeneratorControl.h"
#include "serial/PortList.h"

namespace control {

namespace {

// Pause before the second identify: a device just powered up may miss the first.
constexpr unsigned IdentifyRetryMs = 1000;

std::string TrimmedBlanks(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

// Marks a handshake as running for as long as it lives.
class THandshakeScope {
 public:
  explicit THandshakeScope(bool& running) : Running(running) { Running = true; }
  ~THandshakeScope() { Running = false; }
  THandshakeScope(const THandshakeScope&) = delete;
  THandshakeScope& operator=(const THandshakeScope&) = delete;

 private:
  bool& Running;
};

}  // namespace

void TGeneratorControl::ConnectBtnClick(
    const std::function<std::optional<std::string>()>& choosePort, const TWaitWithMessages& wait) {
  if (!FPanel.ConnectBtn.Down) {
    if (Link.Connected()) Disconnect();
    Changed();
    return;
  }
  // The handshake's waits handle window events and Connect is enabled again
  // while the tables are read: a second press must not start a second one.
  if (FHandshakeRunning) {
    FPanel.ConnectBtn.Down = false;
    Changed();
    return;
  }
  std::optional<std::string> name;
  {
    const THandshakeScope handshake(FHandshakeRunning);
    name = choosePort();
  }
  if (!name) {
    FPanel.ConnectBtn.Down = false;
    Changed();
    return;
  }
  ConnectTo(TrimmedBlanks(*name), wait);
}

bool TGeneratorControl::ConnectTo(const std::string& name, const TWaitWithMessages& wait) {
  if (FHandshakeRunning) return false;
  const THandshakeScope handshake(FHandshakeRunning);
  FPanel.ConnectBtn.Down = true;
  Changed();
  // A port that cannot be opened ends the click here: Connect stays down,
  // no port is open, and the next click only releases it.
  Link.Open(serial::PortPathFor(name));
  FPanel.RunBtn.Enabled = false;
  FPanel.ConnectBtn.Enabled = false;
  Change([&] { Shared.State.PortName = name; });
  Changed();
  // The handshake reads and waits without the lock: the tick keeps
  // redrawing and writes nothing while the device is offline.
  bool identified = Link.Identify();
  if (!identified) {
    wait(IdentifyRetryMs);
    identified = Link.Identify();
  }
  FPanel.ConnectBtn.Enabled = true;
  if (!identified) {
    FPanel.RunBtn.Enabled = true;
    Link.Close();
    FPanel.ConnectBtn.Down = false;
    Changed();
    return false;
  }

  FPanel.ConnectBtn.FontColor = colors::Maroon;
  FPanel.RunBtn.Down = false;
  FPanel.RunCaption = "Run";
  FPanel.RunBtn.FontColor = colors::Purple;
  Change([] {});
  Changed();
  TCalibrationTables tables;
  // The port may be closed while the window handles its events during the
  // waits (Connect released, port removed); then no table line arrives and
  // the handshake has failed.
  const bool tablesOk = Link.ReadTables(wait, tables);
  FPanel.RunBtn.Enabled = true;
  if (tablesOk) {
    FPanel.ConnectBtn.FontColor = colors::Red;
    Change([&] {
      Shared.Model.SquareAmpTable = tables.Square;
      Shared.Model.AnalogAmpTable = tables.Analog;
      Shared.State.DeviceOnline = true;
      // Run is up, so the next tick sends the stop command first.
      Shared.State.Flags.ResyncAll = true;
    });
    Changed();
    return true;
  }
  Link.Close();
  FPanel.ConnectBtn.FontColor = colors::Purple;
  FPanel.ConnectBtn.Down = false;
  Changed();
  return false;
}

bool TGeneratorControl::ConnectOrRelease(const std::string& name, const TWaitWithMessages& wait,
                                         std::optional<serial::EComPort>& openError) {
  try {
    return ConnectTo(name, wait);
  } catch (const serial::EComPort& error) {
    openError = error;
    ReleaseConnect();
    return false;
  }
}

void TGeneratorControl::ReleaseConnect() {
  FPanel.ConnectBtn.Down = false;
  if (Link.Connected()) Disconnect();
  Changed();
}

void TGeneratorControl::Disconnect() {
  Change([&] { DisconnectLocked(); });
  // Offline now: a tick still writing is waited for, then the port closes.
  Link.Close();
  Changed();
}

void TGeneratorControl::DisconnectLocked() {
  Shared.State.ClearUpdateFlags();
  Shared.State.DeviceOnline = false;
  // Changing the down state here runs no click handler.
  FPanel.RunBtn.Enabled = true;
  FPanel.RunBtn.Down = false;
  FPanel.RunCaption = "Run";
  FPanel.RunBtn.FontColor = colors::Purple;
  FPanel.ConnectBtn.Enabled = true;
  FPanel.ConnectBtn.Down = false;
  FPanel.ConnectBtn.FontColor = colors::Purple;
}

void TGeneratorControl::WMDeviceChange(const std::string& removedPortName) {
  const std::string name = TrimmedBlanks(removedPortName);
  std::string portName;
  Read([&] { portName = Shared.State.PortName; });
  if (name != portName) return;
  PortLost();
}

void TGeneratorControl::PortLost() {
  bool wasOnline = false;
  Read([&] { wasOnline = Shared.State.DeviceOnline; });
  // Closing must not touch the vanished device.
  Link.SetPortPresent(false);
  Disconnect();
  if (wasOnline && DeviceLost) DeviceLost();
}

void TGeneratorControl::Close() {
  if (!Link.Connected()) return;
  // The close is never refused: a failing line still gets closed.
  Link.WriteNow("Z");
  Disconnect();
}

}  // namespace control
