#include "remote/ScpiParams.h"

#include <algorithm>
#include <cmath>

#include "remote/ScpiErrors.h"

namespace remote {
namespace {

struct TMultiplier {
  std::string_view Prefix;
  double Factor;
};

constexpr TMultiplier Multipliers[] = {
    {"EX", 1e18}, {"PE", 1e15}, {"T", 1e12}, {"G", 1e9},   {"MA", 1e6},  {"K", 1e3},
    {"M", 1e-3},  {"U", 1e-6},  {"N", 1e-9}, {"P", 1e-12}, {"F", 1e-15}, {"A", 1e-18},
};

const TMnemonic& Minimum() {
  static const TMnemonic m("MINimum");
  return m;
}
const TMnemonic& Maximum() {
  static const TMnemonic m("MAXimum");
  return m;
}
const TMnemonic& Default() {
  static const TMnemonic m("DEFault");
  return m;
}

// MIN, MAX or DEF in place of a number: true when the keyword was one.
bool NamedLimit(const TParam& param, const TLimits& limits, double& value) {
  if (Minimum().Matches(param.Text))
    value = limits.Min;
  else if (Maximum().Matches(param.Text))
    value = limits.Max;
  else if (Default().Matches(param.Text))
    value = limits.Default;
  else
    return false;
  return true;
}

}  // namespace

double SuffixFactor(std::string_view suffix, TUnitKind unit) {
  const std::string_view name = unit == TUnitKind::Hertz     ? "HZ"
                                : unit == TUnitKind::Seconds ? "S"
                                : unit == TUnitKind::Volts   ? "V"
                                                             : "";
  if (name.empty() || suffix.size() < name.size() ||
      suffix.substr(suffix.size() - name.size()) != name)
    return 0.0;
  const std::string_view prefix = suffix.substr(0, suffix.size() - name.size());
  if (prefix.empty()) return 1.0;
  // Before HZ a lone M is mega: there is no millihertz.
  if (unit == TUnitKind::Hertz && prefix == "M") return 1e6;
  for (const TMultiplier& m : Multipliers)
    if (m.Prefix == prefix) return m.Factor;
  return 0.0;
}

int NumericValue(const TParam& param, TUnitKind unit, const TLimits& limits, double& value) {
  if (param.Kind == TParamKind::Keyword)
    return NamedLimit(param, limits, value) ? error::None : error::IllegalParameterValue;
  if (param.Kind != TParamKind::Number) return error::DataType;
  double factor = 1.0;
  if (!param.Suffix.empty()) {
    if (unit == TUnitKind::None) return error::SuffixNotAllowed;
    factor = SuffixFactor(param.Suffix, unit);
    if (factor == 0.0) return error::InvalidSuffix;
  }
  value = param.Number * factor;
  return error::None;
}

int WholeValue(const TParam& param, TUnitKind unit, const TLimits& limits, int& value) {
  double number = 0.0;
  if (const int e = NumericValue(param, unit, limits, number)) return e;
  if (!(std::fabs(number) < 1e9)) return error::DataOutOfRange;
  // A unit factor may leave a whole number a hair off (7000 MS).
  const double whole = std::nearbyint(number);
  if (std::fabs(number - whole) > 1e-9 * std::max(1.0, std::fabs(number)))
    return error::IllegalParameterValue;
  value = static_cast<int>(whole);
  return error::None;
}

int BooleanValue(const TParam& param, bool& value) {
  static const TMnemonic on("ON"), off("OFF");
  if (param.Kind == TParamKind::Keyword) {
    if (!on.Matches(param.Text) && !off.Matches(param.Text)) return error::IllegalParameterValue;
    value = on.Matches(param.Text);
    return error::None;
  }
  if (param.Kind != TParamKind::Number) return error::DataType;
  if (!param.Suffix.empty()) return error::SuffixNotAllowed;
  value = std::nearbyint(param.Number) != 0.0;
  return error::None;
}

int ChoiceValue(const TParam& param, std::span<const TMnemonic> choices, int& index) {
  if (param.Kind != TParamKind::Keyword) return error::DataType;
  index = 0;
  for (const TMnemonic& choice : choices) {
    if (choice.Matches(param.Text)) return error::None;
    ++index;
  }
  return error::IllegalParameterValue;
}

int StringValue(const TParam& param, std::string& value) {
  if (param.Kind != TParamKind::String) return error::DataType;
  value = param.Text;
  return error::None;
}

int QueryLimit(const TParam* param, const TLimits& limits, double& limit) {
  if (!param) return error::None;
  if (param->Kind != TParamKind::Keyword) return error::DataType;
  if (!NamedLimit(*param, limits, limit)) return error::IllegalParameterValue;
  return error::None;
}

}  // namespace remote
