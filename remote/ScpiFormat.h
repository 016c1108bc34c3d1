#pragma once
// Reply formats: numbers that read back to the same double, whole numbers,
// booleans and quoted strings. Always with '.', whatever the locale.

#include <string>
#include <string_view>

namespace remote {

// The shortest text that reads back as exactly this double, with an upper-
// case exponent where it is shorter (999.9610483646393, 1.25E+07).
// Infinite and NaN values answer SCPI's 9.91E+37.
std::string FormatReal(double value);
// The same for a single-precision value, such as the amplitude tables hold.
std::string FormatSingle(float value);
std::string FormatBoolean(bool value);
// "text" with inner quotes doubled.
std::string FormatString(std::string_view text);

}  // namespace remote
