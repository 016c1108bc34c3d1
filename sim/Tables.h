#pragma once
// The device's two amplitude calibration tables and the text it answers them with.

#include <array>
#include <string>

namespace sim {

struct TTables {
  // Square and pulse output, volts per attenuation step ("V").
  std::array<double, 16> Square{0.3125, 0.625, 0.9375, 1.25, 1.5625, 1.875, 2.1875, 2.5,
                                2.8125, 3.125, 3.4375, 3.75, 4.0625, 4.375, 4.6825, 5.0};
  // Sine and triangle output, tenths of a volt per attenuation step ("v").
  std::array<double, 16> AnalogTenths{1.23, 1.30, 1.38, 1.46, 1.58, 1.70, 1.84, 2.00,
                                      2.16, 2.37, 2.67, 3.00, 3.55, 4.14, 5.16, 6.50};
};

// Shortest text that reads back as the same double, always with '.' as the
// decimal separator, whatever the locale.
std::string FormatNumber(double value);

}  // namespace sim
