// The generator's settings: output, waveform, frequencies, attenuator,
// sweep and pulse. Each handler converts its parameter and leaves every
// check of range and mode to the instrument.

#include <array>
#include <type_traits>

#include "remote/ScpiCommandTable.h"
#include "remote/ScpiCore.h"
#include "remote/ScpiFormat.h"
#include "remote/ScpiParams.h"

namespace remote {
namespace {

using TDevice = TInstrument;

const std::array<TMnemonic, 4> FunctionNames{TMnemonic("SINusoid"), TMnemonic("TRIangle"),
                                             TMnemonic("SQUare"), TMnemonic("PULSe")};
const std::array<TMnemonic, 2> SpacingNames{TMnemonic("LINear"), TMnemonic("LOGarithmic")};
const std::array<TMnemonic, 3> DirectionNames{TMnemonic("UP"), TMnemonic("DOWN"),
                                              TMnemonic("BOTH")};
const std::array<TMnemonic, 2> PolarityNames{TMnemonic("NORMal"), TMnemonic("INVerted")};

constexpr TLimits PrescalerLimits{1, 1024, 1};

template <typename TSetter>
struct TArgument;
template <typename T>
struct TArgument<TOutcome (TDevice::*)(T)> {
  using Type = T;
};

// A number in the unit, whole for the settings that take an int, or MIN,
// MAX or DEF of the setting's limits.
template <TQuantity Quantity, TUnitKind Unit, auto Set>
int SetValue(TCommandContext& c, const TParam* p) {
  using T = typename TArgument<decltype(Set)>::Type;
  const TLimits limits = Device(c).Limits(Quantity);
  T value{};
  int e = error::None;
  if constexpr (std::is_same_v<T, int>)
    e = WholeValue(*p, Unit, limits, value);
  else
    e = NumericValue(*p, Unit, limits, value);
  return e ? e : ApplyOutcome(c, (Device(c).*Set)(value));
}

template <TQuantity Quantity, auto Get>
int QueryValue(TCommandContext& c, const TParam* p) {
  const auto current = (Device(c).*Get)();
  double value = current;
  if (const int e = QueryLimit(p, Device(c).Limits(Quantity), value)) return e;
  if constexpr (std::is_same_v<decltype(current), const int>)
    c.Reply = std::to_string(static_cast<long>(value));
  else
    c.Reply = FormatReal(value);
  return error::None;
}

template <TOutcome (TDevice::*Set)(bool)>
int SetFlag(TCommandContext& c, const TParam* p) {
  bool value = false;
  if (const int e = BooleanValue(*p, value)) return e;
  return ApplyOutcome(c, (Device(c).*Set)(value));
}

template <bool (TDevice::*Get)() const>
int QueryFlag(TCommandContext& c, const TParam*) {
  c.Reply = FormatBoolean((Device(c).*Get)());
  return error::None;
}

template <typename TChoice, std::size_t N, const std::array<TMnemonic, N>& Names,
          TOutcome (TDevice::*Set)(TChoice)>
int SetChoice(TCommandContext& c, const TParam* p) {
  int index = 0;
  if (const int e = ChoiceValue(*p, Names, index)) return e;
  return ApplyOutcome(c, (Device(c).*Set)(static_cast<TChoice>(index)));
}

template <typename TChoice, std::size_t N, const std::array<TMnemonic, N>& Names,
          TChoice (TDevice::*Get)() const>
int QueryChoice(TCommandContext& c, const TParam*) {
  const auto index = static_cast<std::size_t>((Device(c).*Get)());
  c.Reply = Names[index < N ? index : 0].ShortForm();
  return error::None;
}

// The polarity is the instrument's inverted flag, spelt NORMal|INVerted.
int SetPolarity(TCommandContext& c, const TParam* p) {
  int index = 0;
  if (const int e = ChoiceValue(*p, PolarityNames, index)) return e;
  return ApplyOutcome(c, Device(c).SetInverted(index == 1));
}

int QueryPolarity(TCommandContext& c, const TParam*) {
  c.Reply = PolarityNames[Device(c).Inverted() ? 1 : 0].ShortForm();
  return error::None;
}

// The amplitude tables hold single-precision volts; their shortest form is
// what the device reported.
int QueryAmplitude(TCommandContext& c, const TParam*) {
  c.Reply = FormatSingle(static_cast<float>(Device(c).Amplitude()));
  return error::None;
}

int SetPrescaler(TCommandContext& c, const TParam* p) {
  int value = 0;
  if (const int e = WholeValue(*p, TUnitKind::None, PrescalerLimits, value)) return e;
  return ApplyOutcome(c, Device(c).SetPrescaler(value));
}

int QueryPrescaler(TCommandContext& c, const TParam* p) {
  double value = Device(c).Prescaler();
  if (const int e = QueryLimit(p, PrescalerLimits, value)) return e;
  c.Reply = std::to_string(static_cast<int>(value));
  return error::None;
}

int Restart(TCommandContext& c, const TParam*) { return ApplyOutcome(c, Device(c).Restart()); }

using Q = TQuantity;
using U = TUnitKind;
using D = TDevice;

const TCommand Generator[] = {
    {"OUTPut[1][:STATe]", SetFlag<&D::SetRun>, QueryFlag<&D::Run>, true, false},
    {"OUTPut[1]:POLarity", SetPolarity, QueryPolarity, true, false},
    {"[SOURce[1]:]FUNCtion[:SHAPe]", SetChoice<TFunction, 4, FunctionNames, &D::SetFunction>,
     QueryChoice<TFunction, 4, FunctionNames, &D::Function>, true, false},
    {"[SOURce[1]:]FUNCtion:SQUare:DIVider", SetFlag<&D::SetDivider>, QueryFlag<&D::Divider>, true,
     false},
    {"[SOURce[1]:]FREQuency[:CW]", SetValue<Q::Frequency, U::Hertz, &D::SetFrequency>,
     QueryValue<Q::Frequency, &D::Frequency>, true, true},
    {"[SOURce[1]:]FREQuency:STEP[:INCRement]", SetValue<Q::Step, U::Hertz, &D::SetStep>,
     QueryValue<Q::Step, &D::Step>, true, true},
    {"[SOURce[1]:]FREQuency:STARt", SetValue<Q::Start, U::Hertz, &D::SetStart>,
     QueryValue<Q::Start, &D::Start>, true, true},
    {"[SOURce[1]:]FREQuency:STOP", SetValue<Q::Stop, U::Hertz, &D::SetStop>,
     QueryValue<Q::Stop, &D::Stop>, true, true},
    {"[SOURce[1]:]MARKer:FREQuency", SetValue<Q::Marker, U::Hertz, &D::SetMarker>,
     QueryValue<Q::Marker, &D::Marker>, true, true},
    {"[SOURce[1]:]VOLTage:ATTenuation", SetValue<Q::Attenuation, U::None, &D::SetAttenuation>,
     QueryValue<Q::Attenuation, &D::Attenuation>, true, true},
    {"[SOURce[1]:]VOLTage[:AMPLitude]", nullptr, QueryAmplitude, false, false},
    {"[SOURce[1]:]SWEep:STATe", SetFlag<&D::SetSweep>, QueryFlag<&D::Sweep>, true, false},
    {"[SOURce[1]:]SWEep:TIME", SetValue<Q::SweepTime, U::Seconds, &D::SetSweepTime>,
     QueryValue<Q::SweepTime, &D::SweepTime>, true, true},
    {"[SOURce[1]:]SWEep:SPACing", SetChoice<TSpacing, 2, SpacingNames, &D::SetSpacing>,
     QueryChoice<TSpacing, 2, SpacingNames, &D::Spacing>, true, false},
    {"[SOURce[1]:]SWEep:DIRection", SetChoice<TDirection, 3, DirectionNames, &D::SetDirection>,
     QueryChoice<TDirection, 3, DirectionNames, &D::Direction>, true, false},
    {"[SOURce[1]:]SWEep:PAUSe", SetFlag<&D::SetPause>, QueryFlag<&D::Pause>, true, false},
    {"[SOURce[1]:]SWEep:RESTart", Restart, nullptr, false, false},
    {"[SOURce[1]:]PULSe:PERiod", SetValue<Q::PulsePeriod, U::Seconds, &D::SetPulsePeriod>,
     QueryValue<Q::PulsePeriod, &D::PulsePeriod>, true, true},
    {"[SOURce[1]:]PULSe:WIDTh", SetValue<Q::PulseWidth, U::Seconds, &D::SetPulseWidth>,
     QueryValue<Q::PulseWidth, &D::PulseWidth>, true, true},
    {"[SOURce[1]:]PULSe:PRESCaler", SetPrescaler, QueryPrescaler, true, true},
};

}  // namespace

std::span<const TCommand> GeneratorCommands() { return Generator; }

int ApplyOutcome(TCommandContext& c, TOutcome outcome) {
  const int e = OutcomeError(outcome);
  if (!e) c.Changed = true;
  return e;
}

}  // namespace remote
