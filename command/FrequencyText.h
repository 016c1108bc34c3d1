#pragma once
// Number text of the frequency dialogs: how a value is shown in the edit
// line and how the typed text is read back. Plain C++, no Qt; '.' is the
// decimal point whatever the locale. Pure functions, any thread.

#include <string>
#include <string_view>

namespace control {

// Fixed-point text with exactly three decimals and at most 15 significant
// digits, rounded decimally half away from zero: 1000 -> "1000.000",
// 0.0931322574615479 -> "0.093". Values of 1e15 and above (no frequency
// reaches them) are shown in exponent form so the text stays short.
std::string FormatDialogNumber(double value);

// The typed text, trimmed of blanks and control characters, read as a
// decimal number: optional sign, digits with an optional '.', optional
// exponent. Returns -1.0 for anything else, and for numbers that are not
// finite as a double ("nan", "inf", "1e400"), so a caller that accepts only
// values >= 0 never sees NaN or infinity.
double ParseDialogNumber(std::string_view text);

}  // namespace control
