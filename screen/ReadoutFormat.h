#pragma once
// Readout texts of the generator screen: numbers with a fixed count of
// decimals chosen by the size of the value, so a readout keeps its width
// while the value changes. Plain C++, no Qt; pure functions, any thread.
// Texts are UTF-8 and always use '.' as the decimal point, whatever the
// locale.

#include <string>

namespace screen {

// x rounded once to at most `precision` significant digits and at most
// `decimals` digits after the point (halves away from zero, on its 18
// significant decimal digits), printed with exactly `decimals` decimals.
std::string FormatFixed(long double x, int precision, int decimals);

// Frequency f in Hz with Hz, KHz or MHz and `extraDecimals` (0..2) more
// decimals than the steady minimum. The square output divided by two
// (waveform 3, divider non-zero) shows half of f. " ???" below 0, "OVF"
// beyond the range.
std::string FormatFrequency(int extraDecimals, double f, int waveform, int divider);

// A voltage of the amplitude block: two decimals and " V".
std::string FormatVolts(long double volts);
// Peak-to-peak over r.m.s. of a sine: the amplitude block's r.m.s. line.
constexpr long double SinePeakToRms = 2.8284271247461901L;

// Time t in seconds with nS, µS, mS or S. " ???" below 0, "OVF" beyond.
std::string FormatPeriod(double t);

}  // namespace screen
