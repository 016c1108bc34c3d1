// The connection: opening the chosen port, the identity check,
// the calibration tables, going offline, removed ports, closing.
#include <algorithm>
#include <string>
#include <vector>

#include "command/DeviceLink.h"
#include "command/Connection.h"
#include "serial/PortList.h"

namespace control {

namespace {

// Pause before the second identify: a device just powered up may miss the first.
constexpr unsigned IdentifyRetryMs = 1000;

bool Blank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Without leading and trailing blanks and control characters.
std::string Trimmed(const std::string& text) {
  const auto first = std::find_if_not(text.begin(), text.end(), Blank);
  const auto last = std::find_if_not(text.rbegin(), text.rend(), Blank).base();
  return first < last ? std::string(first, last) : std::string();
}

// A name the port list could hold: no path, which would lead the port's
// path out of where ports are.
bool IsPortName(const std::string& name) {
  return !name.empty() && name.find_first_of("/\\") == std::string::npos && name != "." &&
         name != "..";
}

bool Listed(const std::string& name) {
  const std::vector<std::string> lines = serial::ListSerialPorts();
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& line) { return PortNameOfEntry(line) == name; });
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

std::string PortNameOfEntry(const std::string& line) {
  const std::string entry = Trimmed(line);
  return Trimmed(entry.substr(0, entry.find(':')));
}

void TConnection::ConnectBtnClick(const std::function<std::optional<std::string>()>& choosePort,
                                  const TWaitWithMessages& wait) {
  if (!Frame.Panel.ConnectBtn.Down) {
    if (Frame.Link.Connected()) Disconnect();
    Frame.Changed();
    return;
  }
  // The handshake's waits handle window events and Connect is enabled again
  // while the tables are read: a second press must not start a second one.
  if (FHandshakeRunning) {
    Frame.Panel.ConnectBtn.Down = false;
    Frame.Changed();
    return;
  }
  std::optional<std::string> name;
  {
    const THandshakeScope handshake(FHandshakeRunning);
    name = choosePort();
  }
  if (!name) {
    Frame.Panel.ConnectBtn.Down = false;
    Frame.Changed();
    return;
  }
  ConnectTo(*name, wait);
}

bool TConnection::ConnectTo(const std::string& requested, const TWaitWithMessages& wait) {
  if (FHandshakeRunning) return false;
  const std::string name = Trimmed(requested);
  const THandshakeScope handshake(FHandshakeRunning);
  Frame.Panel.ConnectBtn.Down = true;
  Frame.Changed();
  // A port that cannot be opened ends the click here: Connect stays down,
  // no port is open, and the next click only releases it.
  Frame.Link.Open(serial::PortPathFor(name));
  // Run and Connect wait for the identity, Run for the tables too.
  Frame.Change([&] {
    Frame.Handshake = THandshakePhase::Identifying;
    Frame.Shared.State.PortName = name;
  });
  Frame.Changed();
  // The handshake reads and waits without the lock: the tick keeps
  // redrawing and writes nothing while the device is offline.
  bool identified = Frame.Link.Identify();
  if (!identified) {
    wait(IdentifyRetryMs);
    identified = Frame.Link.Identify();
  }
  if (!identified) {
    Frame.Change([&] { Frame.Handshake = THandshakePhase::None; });
    Frame.Link.Close();
    Frame.Panel.ConnectBtn.Down = false;
    Frame.Changed();
    return false;
  }

  Frame.Change([&] {
    Frame.Handshake = THandshakePhase::ReadingTables;
    Frame.Panel.ConnectBtn.FontColor = colors::Maroon;
    Frame.Settings().ReleaseRun();
  });
  Frame.Changed();
  TCalibrationTables tables;
  // The port may be closed while the window handles its events during the
  // waits (Connect released, port removed); then no table line arrives and
  // the handshake has failed.
  const bool tablesOk = Frame.Link.ReadTables(wait, tables);
  if (tablesOk) {
    Frame.Change([&] {
      Frame.Handshake = THandshakePhase::None;
      Frame.Panel.ConnectBtn.FontColor = colors::Red;
      Frame.Shared.Model.SquareAmpTable = tables.Square;
      Frame.Shared.Model.AnalogAmpTable = tables.Analog;
      Frame.Shared.State.DeviceOnline = true;
      // Run is up, so the next tick sends the stop command first.
      Frame.Settings().RequestResync();
    });
    Frame.Changed();
    return true;
  }
  Frame.Change([&] { Frame.Handshake = THandshakePhase::None; });
  Frame.Link.Close();
  Frame.Panel.ConnectBtn.FontColor = colors::Purple;
  Frame.Panel.ConnectBtn.Down = false;
  Frame.Changed();
  return false;
}

TOutcome TConnection::ConnectOrRelease(const std::string& requested, const TWaitWithMessages& wait,
                                       std::optional<serial::EComPort>& openError) {
  const std::string name = Trimmed(requested);
  if (!IsPortName(name)) return TOutcome::Invalid;
  if (FHandshakeRunning) return TOutcome::Failed;
  if (Frame.State().DeviceOnline) {
    if (name == Frame.State().PortName) return TOutcome::Done;
    const TOutcome left = LeaveForPort(name, openError);
    if (left != TOutcome::Done) return left;
  }
  try {
    return ConnectTo(name, wait) ? TOutcome::Done : TOutcome::Failed;
  } catch (const serial::EComPort& error) {
    openError = error;
    ReleaseConnect();
    return TOutcome::Failed;
  }
}

// Done once the old device is stopped and offline; the connection stays as
// it was when the port is not listed (Invalid) or cannot be opened (Failed).
TOutcome TConnection::LeaveForPort(const std::string& name,
                                   std::optional<serial::EComPort>& openError) {
  if (!Listed(name)) return TOutcome::Invalid;
  try {
    Frame.Link.TryOpen(serial::PortPathFor(name));
  } catch (const serial::EComPort& error) {
    openError = error;
    return TOutcome::Failed;
  }
  // As at closing: the old device stops, then the line is the handshake's.
  Close();
  return TOutcome::Done;
}

void TConnection::ReleaseConnect() {
  Frame.Panel.ConnectBtn.Down = false;
  if (Frame.Link.Connected() || Frame.State().DeviceOnline) Disconnect();
  Frame.Changed();
}

void TConnection::Disconnect() {
  Frame.Change([&] { DisconnectLocked(); });
  // Offline now: a tick still writing is waited for, then the port closes.
  Frame.Link.Close();
  Frame.Changed();
}

void TConnection::DisconnectLocked() {
  Frame.Settings().UnmarkAll();
  Frame.Shared.State.DeviceOnline = false;
  // Run and Pause come up as at every release of Run, with nothing to send.
  Frame.Settings().ReleaseRun();
  Frame.Panel.ConnectBtn.Down = false;
  Frame.Panel.ConnectBtn.FontColor = colors::Purple;
}

void TConnection::PortRemoved(const std::string& removedPortName) {
  const std::string name = Trimmed(removedPortName);
  std::string portName;
  Frame.Read([&] { portName = Frame.Shared.State.PortName; });
  if (name != portName) return;
  PortLost();
}

void TConnection::PortLost() {
  // Online until now; a tick whose write failed has cleared DeviceOnline
  // already, but the port is open still and no handshake runs.
  bool wasOnline = Frame.Link.Connected() && !FHandshakeRunning;
  Frame.Read([&] { wasOnline = wasOnline || Frame.Shared.State.DeviceOnline; });
  // Closing must not touch the vanished device.
  Frame.Link.SetPortPresent(false);
  Disconnect();
  if (wasOnline && DeviceLost) DeviceLost();
}

void TConnection::IdentityLost() {
  Frame.Panel.ConnectBtn.Down = false;
  Disconnect();
  if (DeviceLost) DeviceLost();
}

void TConnection::Close() {
  if (!Frame.Link.Connected()) return;
  // The close is never refused: a failing line still gets closed.
  Frame.Link.WriteNow("Z");
  Disconnect();
}

}  // namespace control
