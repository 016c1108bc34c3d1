// Connection and handshake: choosing and opening the port, the identity
// check, reading the calibration tables, going offline, removed ports.

#include <QString>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>

#include "control/DeviceReplies.h"
#include "control/HandlerColors.h"
#include "control/HandlerHandshake.h"
#include "control/ZOLMain.h"
#include "screen/ZOLScreen.h"
#include "serial/ComSel.h"
#include "serial/PortList.h"
#include "serial/TinyComms.h"
#include "tools/doctor/OpenFailureCause.h"
#include "ui/Dialogs.h"
#include "ui/SpeedButton.h"

namespace control {
namespace {

using Guard = std::lock_guard<std::mutex>;

// Pause before the second identify: a device just powered up may miss the first.
constexpr unsigned IdentifyRetryMs = 1000;

std::string TrimmedBlanks(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

// The port name of a port-dialog line "NAME: description".
std::string PortNameOfLine(const std::string& line) {
  const std::string entry = TrimmedBlanks(line);
  return entry.substr(0, entry.find(':'));
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

void TMainForm::ConnectBtnClick() {
  if (!ConnectBtn->isChecked()) {
    if (MainComPort->Connected()) Disconnect();
    return;
  }
  if (HandshakeRunning) {
    ConnectBtn->setChecked(false);
    return;
  }
  const THandshakeScope handshake(HandshakeRunning);

  bool identified = false;
  if (ComSelBox && Dialogs->ShowModal(*ComSelBox) == QDialog::Accepted) {
    const std::string name = PortNameOfLine(ComSelBox->SelectedLine().toStdString());
    try {
      Guard guard(Shared.Lock);
      MainComPort->SetPort(serial::PortPathFor(name));
      MainComPort->SetPortPresent(true);
      MainComPort->Open();
    } catch (const serial::EComPort& error) {
      // The click ends here: Connect stays down, no port is open, and the
      // next click only releases it.
      std::cerr << doctor::LikelyOpenFailureCause(serial::PortPathFor(name), error.ErrorNumber()) << std::endl;
      Dialogs->ShowException(error);
      return;
    }
    {
      Guard guard(Shared.Lock);
      Shared.State.PortName = name;
    }
    RunBtn->setEnabled(false);
    ConnectBtn->setEnabled(false);
    // The handshake reads and waits without the lock: the tick keeps
    // redrawing and writes nothing while the device is offline.
    try {
      identified = Identify();
      if (!identified) {
        WaitWithMessages(IdentifyRetryMs);
        identified = Identify();
      }
    } catch (const serial::EComPort&) {
      identified = false;
    }
    ConnectBtn->setEnabled(true);
    if (!identified) {
      RunBtn->setEnabled(true);
      Guard guard(Shared.Lock);
      ClosePort(*MainComPort);
    }
  }
  if (!identified) {
    ConnectBtn->setChecked(false);
    return;
  }

  ConnectBtn->SetFontColor(colors::Maroon);
  RunBtn->setChecked(false);
  RunBtn->SetCaption("Run");
  RunBtn->SetFontColor(colors::Purple);
  TCalibrationTables tables;
  bool tablesOk = false;
  try {
    tablesOk = ReadCalibrationTables(
        *MainComPort, [this](unsigned ms) { WaitWithMessages(ms); }, tables);
  } catch (const serial::EComPort&) {
    tablesOk = false;
  }
  RunBtn->setEnabled(true);
  // The port may have been closed while the window handled its events
  // during the waits (Connect released, port removed); then no table line
  // arrived and the handshake has failed.
  if (tablesOk) {
    ConnectBtn->SetFontColor(colors::Red);
    Guard guard(Shared.Lock);
    Screen->SquareAmpTable = tables.Square;
    Screen->AnalogAmpTable = tables.Analog;
    Shared.State.DeviceOnline = true;
    // Run is up, so the next tick sends the stop command first.
    Shared.State.Flags.ResyncAll = true;
    return;
  }
  {
    Guard guard(Shared.Lock);
    if (MainComPort->Connected()) ClosePort(*MainComPort);
  }
  ConnectBtn->SetFontColor(colors::Purple);
  ConnectBtn->setChecked(false);
}

bool TMainForm::Identify() {
  // IdentityText is set once at construction and never written, so it is
  // read here without the lock (the Run button calls this with the lock held).
  return control::Identify(*MainComPort, Shared.State.IdentityText);
}

void TMainForm::Disconnect() {
  {
    Guard guard(Shared.Lock);
    Shared.State.ClearUpdateFlags();
    Shared.State.DeviceOnline = false;
  }
  // Changing the down state from code runs no click handler.
  RunBtn->setEnabled(true);
  RunBtn->setChecked(false);
  RunBtn->SetCaption("Run");
  RunBtn->SetFontColor(colors::Purple);
  ConnectBtn->setEnabled(true);
  ConnectBtn->setChecked(false);
  ConnectBtn->SetFontColor(colors::Purple);
  Guard guard(Shared.Lock);
  if (MainComPort->Connected()) ClosePort(*MainComPort);
}

void TMainForm::WMDeviceChange(const std::string& removedPortName) {
  const std::string name = TrimmedBlanks(removedPortName);
  {
    Guard guard(Shared.Lock);
    if (name != Shared.State.PortName) return;
    // Closing must not touch the vanished device.
    MainComPort->SetPortPresent(false);
  }
  Disconnect();
}

void TMainForm::PortLost() {
  {
    Guard guard(Shared.Lock);
    MainComPort->SetPortPresent(false);
  }
  Disconnect();
}

}  // namespace control
