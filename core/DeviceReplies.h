#pragma once
// Reading the device's replies during the handshake: reply lines, the
// identity check and the calibration values. Plain functions over a port.
//
// Thread contract: GUI thread only, while no other thread uses the port
// (the tick does not write while DeviceOnline is false; the identity probe
// of a Run press, done while online, must hold TSharedState::Lock).

#include <cstddef>
#include <string>

namespace serial {
class TTinyComPort;
}

namespace control {

// A reply line longer than this, without a line feed, is a failed reply.
constexpr std::size_t MaxReplyLine = 256;

// One reply line, read byte by byte within the port's read time-outs, with
// leading and trailing characters of code 32 or less removed. Returns ""
// when the port is closed (also when it is closed or fails under the read),
// when a byte does not arrive in time, or when MaxReplyLine bytes went by
// without a line feed.
std::string ReadLine(serial::TTinyComPort& port);

// Waits for the pending transfer, discards the input queue, writes "&"
// (waiting) and reads one line; true when it equals identity exactly (case
// counts). False on a closed port.
bool Identify(serial::TTinyComPort& port, const std::string& identity);

// A calibration line as a number with '.' as decimal point, whatever the
// locale. -1.0f, the table's failure mark, when the line is not a finite
// number that fits a float, or has anything after the number.
float ParseCalibrationValue(const std::string& line);

}  // namespace control
