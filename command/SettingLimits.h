#pragma once
// The values each setting takes, stated once: the dialogs' checks, the
// command path's operations by meaning, and the remote commands with their
// MINimum, MAXimum and DEFault read them. The gauges' own ranges (the panel's
// start-up data) are the statement for the attenuation and the sweep time.
//
// Plain C++, no state; any thread.

#include "screen/ZOLScreenModel.h"

namespace control {

enum class TSetting {
  Frequency,
  Step,
  Start,
  Stop,
  Marker,
  Attenuation,
  SweepTime,
  PulsePeriod,
  PulseWidth
};

// The shortest pulse period and width, in codes.
constexpr int PeriodCodeMin = 3;
constexpr int WidthCodeMin = 1;

struct TSettingLimits {
  double Lowest = 0.0;
  double Highest = 0.0;
  double StartUp = 0.0;
  // The Set and step dialogs take any typed value from 0 up and leave it
  // to the synthesiser's grid to bring it into range; every other input
  // keeps to Lowest .. Highest.
  bool GridLimitsTyped = false;

  bool Contains(double value) const { return value >= Lowest && value <= Highest; }
  bool TakesTyped(double value) const { return GridLimitsTyped ? value >= 0.0 : Contains(value); }
};

// The pulse limits follow the prescaler the model has now.
TSettingLimits LimitsOf(TSetting setting, const screen::TZOLScreenModel& model);

}  // namespace control
