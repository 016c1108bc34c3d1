#pragma once
// Turns checked parameters into values: numbers with their unit suffix,
// MINimum/MAXimum/DEFault, booleans, keyword choices and strings. Each
// answers 0 or the SCPI error of the parameter. Plain C++.

#include <span>
#include <string>
#include <string_view>

#include "remote/Instrument.h"
#include "remote/ScpiHeader.h"
#include "remote/ScpiLexer.h"

namespace remote {

enum class TUnitKind { None, Hertz, Seconds, Volts };

// The factor of a unit suffix (upper case) for the unit, 0 if the suffix is
// not that unit's: "KHZ" 1e3, "MHZ" and "MAHZ" 1e6, "MS" 1e-3, "US" 1e-6,
// "MV" 1e-3.
double SuffixFactor(std::string_view suffix, TUnitKind unit);

// A number in the unit (suffix optional), or MIN, MAX or DEF of the limits.
int NumericValue(const TParam& param, TUnitKind unit, const TLimits& limits, double& value);
// A whole number in the unit (suffix optional), or MIN, MAX or DEF.
int WholeValue(const TParam& param, TUnitKind unit, const TLimits& limits, int& value);
// ON, OFF or a number (non-zero after rounding is ON).
int BooleanValue(const TParam& param, bool& value);
// One of the keywords, by short or long form; index is its place in the list.
int ChoiceValue(const TParam& param, std::span<const TMnemonic> choices, int& index);
int StringValue(const TParam& param, std::string& value);
// The optional MIN|MAX|DEF of a query: limit is set to the asked limit, or left
// alone without a parameter.
int QueryLimit(const TParam* param, const TLimits& limits, double& limit);

}  // namespace remote
