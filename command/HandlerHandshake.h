#pragma once
// The calibration-table part of the connection handshake, apart from the
// window so that it can be driven against a device without one.
//
// Thread contract: GUI thread, while no other thread uses the port (the tick
// does not write while DeviceOnline is false). Port errors (serial::EComPort)
// propagate to the caller.

#include <array>
#include <functional>

namespace serial {
class TTinyComPort;
}

namespace control {

using TCalibrationTable = std::array<float, 16>;

struct TCalibrationTables {
  TCalibrationTable Square{};  // volts per attenuation step, after "V"
  TCalibrationTable Analog{};  // volts per attenuation step, after "v" (device sends tenths)
};

// Waits the given milliseconds while the window keeps handling its events.
using TWaitWithMessages = std::function<void(unsigned ms)>;

// Closes the port even when the line has failed: a close that cannot abort
// the pending transfers on the device is done again without touching it.
void ClosePort(serial::TTinyComPort& port);

// Reads and drops whatever waits in the input queue.
void DiscardInput(serial::TTinyComPort& port);

// Requests both tables ("V", then "v") and reads 16 lines of each. False at
// the first line that is missing, not a number or -1, or when the port is
// closed; the second table is
// not requested when the first failed. `out` is written only on success, so
// a failed handshake leaves the caller's tables as they were.
bool ReadCalibrationTables(serial::TTinyComPort& port, const TWaitWithMessages& wait,
                           TCalibrationTables& out);

}  // namespace control
