#pragma once
// The values each setting takes, stated once, in the units a user sees:
// frequencies as the output shows them (the divided square's halved here,
// and nowhere else), seconds, attenuator steps, choices by their number.
// The dialogs, the operations by meaning, the remote commands with their
// MINimum, MAXimum and DEFault, and the panel's gauge ranges read them.
// Beside them, the rules between settings: Start not above Stop, the
// sweep's marker between them, a pulse's width not beyond its period (by
// codes).
//
// Plain C++, no state; any thread.

#include "core/Settings.h"

namespace control {

struct TSettingLimits {
  double Lowest = 0.0;
  double Highest = 0.0;
  double StartUp = 0.0;  // within Lowest .. Highest
  // The Set and step dialogs take any typed value from 0 up and leave it
  // to the synthesiser's grid to bring it into range; every other input
  // keeps to Lowest .. Highest.
  bool GridLimitsTyped = false;

  bool Contains(double value) const { return value >= Lowest && value <= Highest; }
  bool TakesTyped(double value) const { return GridLimitsTyped ? value >= 0.0 : Contains(value); }
};

// A setting's own range now: what a dialog takes, which warns of a crossed
// limit and stores it all the same.
TSettingLimits RangeOf(TSetting setting, const TGeneratorSettings& settings);
// The range narrowed by the rules between settings: what the other inputs
// take, and what MIN, MAX and DEF stand for.
TSettingLimits LimitsOf(TSetting setting, const TGeneratorSettings& settings);

// Start above Stop, or Stop below Start: the value (in model hertz) for the
// one crosses the other as it is now.
bool CrossesTheOtherLimit(TSetting setting, double modelHz, const TGeneratorSettings& settings);
// The sweep's marker stays between Start and Stop: one at or beyond either
// takes its exact place (a drag, a step of the arrows).
TFrequency MarkerWithinLimits(const TFrequency& marker, const TGeneratorSettings& settings);
// The pulse code nearest to a time with the prescaler now.
int PulseCodeOf(double seconds, const TGeneratorSettings& settings);

}  // namespace control
