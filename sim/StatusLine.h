#pragma once
// One-line summary of the device for the terminal status display.

#include "sim/DeviceState.h"
#include "sim/Tables.h"

#include <string>

namespace sim {

// Amplitude in volts of the current output, from the calibration tables.
double AmplitudeVolts(const TDeviceState& state, const TTables& tables);

// e.g. "running  999.961048 Hz  sine  0.123 V  marker off"
std::string FormatStatus(const TDeviceState& state, const TTables& tables);

}  // namespace sim
