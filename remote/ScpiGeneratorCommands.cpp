// The generator's settings: output, waveform, frequencies, attenuator,
// sweep and pulse. Each handler converts its parameter and leaves every
// check of range and mode to the instrument.

#include <array>

#include "remote/ScpiCommandTable.h"
#include "remote/ScpiCore.h"
#include "remote/ScpiFormat.h"
#include "remote/ScpiParams.h"

namespace remote {
namespace {

using S = TSetting;
using U = TUnitKind;

// In the order of the settings' numbers.
const std::array<TMnemonic, 4> FunctionNames{TMnemonic("SINusoid"), TMnemonic("TRIangle"),
                                             TMnemonic("SQUare"), TMnemonic("PULSe")};
const std::array<TMnemonic, 2> SpacingNames{TMnemonic("LINear"), TMnemonic("LOGarithmic")};
const std::array<TMnemonic, 3> DirectionNames{TMnemonic("UP"), TMnemonic("BOTH"),
                                              TMnemonic("DOWN")};
const std::array<TMnemonic, 2> PolarityNames{TMnemonic("NORMal"), TMnemonic("INVerted")};

// A number in the unit (whole when Whole), or MIN, MAX or DEF of the
// setting's limits.
template <TSetting Setting, TUnitKind Unit, bool Whole = false>
int SetValue(TCommandContext& c, const TParam* p) {
  const TLimits limits = Device(c).Limits(Setting);
  double value = 0.0;
  if constexpr (Whole) {
    int whole = 0;
    if (const int e = WholeValue(*p, Unit, limits, whole)) return e;
    value = whole;
  } else {
    if (const int e = NumericValue(*p, Unit, limits, value)) return e;
  }
  return ApplyOutcome(c, Device(c).Set(Setting, value));
}

template <TSetting Setting, bool Whole = false>
int QueryValue(TCommandContext& c, const TParam* p) {
  double value = Device(c).Get(Setting);
  if (const int e = QueryLimit(p, Device(c).Limits(Setting), value)) return e;
  c.Reply = Whole ? std::to_string(static_cast<long>(value)) : FormatReal(value);
  return error::None;
}

template <TSetting Setting>
int SetFlag(TCommandContext& c, const TParam* p) {
  bool value = false;
  if (const int e = BooleanValue(*p, value)) return e;
  return ApplyOutcome(c, Device(c).Set(Setting, value ? 1.0 : 0.0));
}

template <TSetting Setting>
int QueryFlag(TCommandContext& c, const TParam*) {
  c.Reply = FormatBoolean(Device(c).Get(Setting) != 0.0);
  return error::None;
}

template <TSetting Setting, std::size_t N, const std::array<TMnemonic, N>& Names>
int SetChoice(TCommandContext& c, const TParam* p) {
  int index = 0;
  if (const int e = ChoiceValue(*p, Names, index)) return e;
  return ApplyOutcome(c, Device(c).Set(Setting, index));
}

template <TSetting Setting, std::size_t N, const std::array<TMnemonic, N>& Names>
int QueryChoice(TCommandContext& c, const TParam*) {
  const auto index = static_cast<std::size_t>(Device(c).Get(Setting));
  c.Reply = Names[index < N ? index : 0].ShortForm();
  return error::None;
}

// The amplitude tables hold single-precision volts; their shortest form is
// what the device reported.
int QueryAmplitude(TCommandContext& c, const TParam*) {
  c.Reply = FormatSingle(static_cast<float>(Device(c).Amplitude()));
  return error::None;
}

int Restart(TCommandContext& c, const TParam*) { return ApplyOutcome(c, Device(c).Restart()); }

const TCommand Generator[] = {
    {"OUTPut[1][:STATe]", SetFlag<S::Run>, QueryFlag<S::Run>, true, false},
    {"OUTPut[1]:POLarity", SetChoice<S::Invert, 2, PolarityNames>,
     QueryChoice<S::Invert, 2, PolarityNames>, true, false},
    {"[SOURce[1]:]FUNCtion[:SHAPe]", SetChoice<S::Function, 4, FunctionNames>,
     QueryChoice<S::Function, 4, FunctionNames>, true, false},
    {"[SOURce[1]:]FUNCtion:SQUare:DIVider", SetFlag<S::SquareDivider>, QueryFlag<S::SquareDivider>,
     true, false},
    {"[SOURce[1]:]FREQuency[:CW]", SetValue<S::Frequency, U::Hertz>, QueryValue<S::Frequency>, true,
     true},
    {"[SOURce[1]:]FREQuency:STEP[:INCRement]", SetValue<S::Step, U::Hertz>, QueryValue<S::Step>,
     true, true},
    {"[SOURce[1]:]FREQuency:STARt", SetValue<S::Start, U::Hertz>, QueryValue<S::Start>, true, true},
    {"[SOURce[1]:]FREQuency:STOP", SetValue<S::Stop, U::Hertz>, QueryValue<S::Stop>, true, true},
    {"[SOURce[1]:]MARKer:FREQuency", SetValue<S::Marker, U::Hertz>, QueryValue<S::Marker>, true,
     true},
    {"[SOURce[1]:]VOLTage:ATTenuation", SetValue<S::Attenuation, U::None, true>,
     QueryValue<S::Attenuation, true>, true, true},
    {"[SOURce[1]:]VOLTage[:AMPLitude]", nullptr, QueryAmplitude, false, false},
    {"[SOURce[1]:]SWEep:STATe", SetFlag<S::Sweep>, QueryFlag<S::Sweep>, true, false},
    {"[SOURce[1]:]SWEep:TIME", SetValue<S::SweepTime, U::Seconds, true>,
     QueryValue<S::SweepTime, true>, true, true},
    {"[SOURce[1]:]SWEep:SPACing", SetChoice<S::Spacing, 2, SpacingNames>,
     QueryChoice<S::Spacing, 2, SpacingNames>, true, false},
    {"[SOURce[1]:]SWEep:DIRection", SetChoice<S::Direction, 3, DirectionNames>,
     QueryChoice<S::Direction, 3, DirectionNames>, true, false},
    {"[SOURce[1]:]SWEep:PAUSe", SetFlag<S::Pause>, QueryFlag<S::Pause>, true, false},
    {"[SOURce[1]:]SWEep:RESTart", Restart, nullptr, false, false},
    {"[SOURce[1]:]PULSe:PERiod", SetValue<S::PulsePeriod, U::Seconds>, QueryValue<S::PulsePeriod>,
     true, true},
    {"[SOURce[1]:]PULSe:WIDTh", SetValue<S::PulseWidth, U::Seconds>, QueryValue<S::PulseWidth>,
     true, true},
    {"[SOURce[1]:]PULSe:PRESCaler", SetValue<S::Prescaler, U::None, true>,
     QueryValue<S::Prescaler, true>, true, true},
};

}  // namespace

std::span<const TCommand> GeneratorCommands() { return Generator; }

int ApplyOutcome(TCommandContext& c, TOutcome outcome) {
  const int e = OutcomeError(outcome);
  if (!e) c.Changed = true;
  return e;
}

}  // namespace remote
