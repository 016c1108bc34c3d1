#include "command/HandlerHandshake.h"

#include <string>

#include "core/DeviceReplies.h"
#include "serial/TinyComms.h"

namespace control {
namespace {

// The device's failure mark, and what an unreadable line reads as.
constexpr float FailedValue = -1.0f;

// Drops stale input, sends the one-byte request and gives the device time
// to start answering while the window stays responsive.
void Request(serial::TTinyComPort& port, const char* request, unsigned settleMs,
             const TWaitWithMessages& wait) {
  DiscardInput(port);
  port.WriteStr(request, true);
  wait(settleMs);
}

bool ReadTable(serial::TTinyComPort& port, float divisor, TCalibrationTable& table) {
  for (float& entry : table) {
    const float value = ParseCalibrationValue(ReadLine(port));
    if (value == FailedValue) return false;
    entry = value / divisor;
  }
  return true;
}

}  // namespace

void ClosePort(serial::TTinyComPort& port) {
  try {
    port.Close();
  } catch (const serial::EComPort&) {
    port.SetPortPresent(false);
    port.Close();
  }
}

void DiscardInput(serial::TTinyComPort& port) {
  if (!port.Connected()) return;
  const std::int32_t waiting = port.InputCount();
  if (waiting <= 0) return;
  std::string discarded;
  port.ReadStr(discarded, waiting, true);
}

bool ReadCalibrationTables(serial::TTinyComPort& port, const TWaitWithMessages& wait,
                           TCalibrationTables& out) {
  if (!port.Connected()) return false;
  TCalibrationTables read;
  Request(port, "V", 1000, wait);
  if (!ReadTable(port, 1.0f, read.Square)) return false;
  Request(port, "v", 300, wait);
  if (!ReadTable(port, 10.0f, read.Analog)) return false;
  out = read;
  return true;
}

}  // namespace control
