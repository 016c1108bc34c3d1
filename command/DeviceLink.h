#pragma once
// The GUI thread's use of the port, beside the tick's: opening and closing,
// the identity check, the calibration tables and an immediate command.
//
// While the device is online the tick writes to the port too; every call
// here that touches the port then holds the tick off (GuiUsesPort under the
// state lock) and takes the port lock, waiting at most for the tick's
// current writes. Offline the tick writes nothing, and the handshake talks
// to the device without either.
//
// Refers to the shared state and the port, owned by the program's run, which
// must outlive it. GUI thread only. Port errors end as a false result; only
// Open raises (serial::EComPort), as the Connect button reports it.

#include <string>

#include "core/ControlState.h"
#include "command/HandlerHandshake.h"

namespace serial {
class TTinyComPort;
}

namespace control {

class TDeviceLink {
 public:
  TDeviceLink(TSharedState& shared, serial::TTinyComPort& port);

  // Opens the port at this path for a handshake, present; EComPort on failure.
  void Open(const std::string& path);
  // Opens the port at this path and closes it again, leaving the port in
  // use alone; EComPort when it cannot be opened.
  void TryOpen(const std::string& path);
  bool Connected() const;
  // Closes the port, even when the line has failed. Call it once the device
  // is offline: it waits for a tick that is still writing.
  void Close();
  // False once the device has been removed: closing then leaves it alone.
  void SetPortPresent(bool present);

  // The device answers the identify command with the identity text.
  bool Identify();
  // Writes text and waits until it is written; nothing while offline.
  // False when the port failed (the device has gone).
  bool WriteNow(const std::string& text);
  // The handshake's tables (offline only); false on any failure.
  bool ReadTables(const TWaitWithMessages& wait, TCalibrationTables& out);

 private:
  // Runs f on the port: online with the tick held off and the port lock
  // taken, offline directly. Returns f's result, false on a port error.
  template <class F>
  bool UsePort(F f);

  TSharedState& Shared;
  serial::TTinyComPort& Port;
};

}  // namespace control
