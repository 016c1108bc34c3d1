#pragma once
// The connection: the Connect button's handshake (open, identify, read the
// calibration tables, online), going offline, removed ports and the stop of
// closing; the same connect for the command line and the remote control.
//
// Works in the command path's frame, which must outlive it; the port I/O
// goes through the frame's device link, outside the lock. GUI thread only;
// the handshake's waits run the window's events (the Connect button then
// only releases, or takes the program offline).

#include <functional>
#include <optional>
#include <string>

#include "command/HandlerHandshake.h"
#include "command/PanelFrame.h"
#include "serial/TinyComms.h"

namespace control {

// The name of the port on a port-dialog line "NAME: description", and a
// port name as given: trimmed of blanks and control characters.
std::string PortNameOfEntry(const std::string& line);

class TConnection {
 public:
  explicit TConnection(TPanelFrame& frame) : Frame(frame) {}

  // Called once each time an online device is lost (its port removed, or a
  // port error in a tick or a command), after the program went offline.
  std::function<void()> DeviceLost;

  // Connect clicked: choosePort shows the port dialog and returns the chosen
  // port's name, or nothing on Cancel. EComPort when the port cannot be
  // opened (the button stays down, no port open).
  void ConnectBtnClick(const std::function<std::optional<std::string>()>& choosePort,
                       const TWaitWithMessages& wait);
  // The connect for inputs without a message box (the command line, the
  // remote control): a port that cannot be opened brings Connect up again,
  // and openError holds why. While online, the port already online changes
  // nothing, and another one must be listed and open before the working
  // connection is stopped and closed; else it stays as it was. Done when
  // online; Invalid for a name that is no port; Failed otherwise.
  TOutcome ConnectOrRelease(const std::string& name, const TWaitWithMessages& wait,
                            std::optional<serial::EComPort>& openError);
  bool HandshakeRunning() const { return FHandshakeRunning; }
  // Connect released, as a click does: offline, the port closed.
  void ReleaseConnect();
  void Disconnect();
  // The port with this name (as listed by the port dialog) has gone.
  void PortRemoved(const std::string& removedPortName);
  // A port error inside a tick or a command: the device has vanished.
  void PortLost();
  // The online device no longer answers as the generator (the identity
  // probe of a Run press): offline, and told as a loss.
  void IdentityLost();
  // The stop command of closing, then offline; the port is closed.
  void Close();

 private:
  // The handshake with the named port, as after the port dialog. True when
  // online. EComPort when the port cannot be opened.
  bool ConnectTo(const std::string& name, const TWaitWithMessages& wait);
  // Before an online program connects to another port: checks the port,
  // then stops and closes the working connection.
  TOutcome LeaveForPort(const std::string& name, std::optional<serial::EComPort>& openError);
  void DisconnectLocked();

  TPanelFrame& Frame;
  bool FHandshakeRunning = false;
};

}  // namespace control
