// Siglent's generator dialect, as its oscilloscopes send it to sweep an
// external generator for a Bode plot: the identity query, the basic wave
// as a key/value list and the output. The channel prefix C1 is the
// generator's one output; a line's later units continue under it (C1:OUTP
// LOAD,50;BSWV FRQ,10;OUTP ON), C2 gives -114. Keys the generator has no
// setting for (OFST, PHSE, LOAD and any unknown one) are accepted and
// ignored.

#include <array>
#include <cmath>
#include <optional>

#include "remote/ScpiCommandTable.h"
#include "remote/ScpiCore.h"
#include "remote/ScpiFormat.h"
#include "remote/ScpiParams.h"

namespace remote {
namespace {

// The scope accepts a generator whose model starts with SDG.
constexpr const char* SiglentIdentity = "IDN-SGLT-PRI SDG1062X";
constexpr int Steps = 16;

const std::array<TMnemonic, 4> WaveNames{TMnemonic("SINE"), TMnemonic("SQUARE"), TMnemonic("RAMP"),
                                         TMnemonic("PULSE")};
const std::array<TFunction, 4> WaveFunctions{TFunction::Sine, TFunction::Square,
                                             TFunction::Triangle, TFunction::Pulse};
const std::array<TMnemonic, 2> PolarityKeys{TMnemonic("NOR"), TMnemonic("INVT")};

// For values whose limits the instrument checks itself: MIN and MAX stand
// for far below and far above any (the attenuator's lowest and highest
// step), still distinct differences to the calibrated amplitudes.
constexpr TLimits Unbounded{0.0, 1e9, 0.0};

bool Is(const TParam& p, const char* key) { return p.Kind == TParamKind::Keyword && p.Text == key; }

// What one BSWV list asks for, read whole before anything changes.
struct TBasicWave {
  std::optional<TFunction> Function;
  std::optional<double> Frequency;  // hertz
  std::optional<double> Amplitude;  // volts peak-to-peak
  std::optional<double> Width;      // seconds, pulse
};

// NOISE, ARB, DC and PRBS, which the generator cannot make, give -224.
int ReadWave(const TParam& value, TFunction& function) {
  int index = 0;
  const int e = ChoiceValue(value, WaveNames, index);
  if (!e) function = WaveFunctions[static_cast<std::size_t>(index)];
  return e;
}

int ReadValue(const TParam& value, TUnitKind unit, const TLimits& limits,
              std::optional<double>& slot) {
  double number = 0.0;
  if (const int e = NumericValue(value, unit, limits, number)) return e;
  slot = number;
  return error::None;
}

int ReadBasicWave(TCommandContext& c, std::span<const TParam> params, TBasicWave& wave) {
  if (params.empty()) return error::MissingParameter;
  if (params.size() % 2) return error::MissingParameter;  // a key without its value
  for (std::size_t i = 0; i < params.size(); i += 2) {
    const TParam& key = params[i];
    const TParam& value = params[i + 1];
    if (key.Kind != TParamKind::Keyword) return error::DataType;
    int e = error::None;
    if (Is(key, "WVTP")) {
      TFunction function{};
      if (!(e = ReadWave(value, function))) wave.Function = function;
    } else if (Is(key, "FRQ")) {
      e = ReadValue(value, TUnitKind::Hertz, Device(c).Limits(TQuantity::Frequency),
                    wave.Frequency);
    } else if (Is(key, "AMP")) {
      e = ReadValue(value, TUnitKind::Volts, Unbounded, wave.Amplitude);
      if (!e && *wave.Amplitude < 0) e = error::DataOutOfRange;
    } else if (Is(key, "WIDTH")) {
      e = ReadValue(value, TUnitKind::Seconds, Unbounded, wave.Width);
    }
    if (e) return e;
  }
  return error::None;
}

// The attenuator step whose calibrated amplitude lies nearest.
int NearestStep(const TInstrument& device, double volts) {
  int best = 0;
  for (int step = 1; step < Steps; ++step)
    if (std::fabs(device.AmplitudeAt(step) - volts) < std::fabs(device.AmplitudeAt(best) - volts))
      best = step;
  return best;
}

// The waveform first: the amplitude table and the meaning of FRQ follow it.
// In pulse mode FRQ is the pulse rate.
int SetBasicWave(TCommandContext& c, std::span<const TParam> params) {
  TBasicWave wave;
  if (const int e = ReadBasicWave(c, params, wave)) return e;
  TInstrument& device = Device(c);
  if (wave.Function)
    if (const int e = ApplyOutcome(c, device.SetFunction(*wave.Function))) return e;
  const bool pulse = device.Function() == TFunction::Pulse;
  if (wave.Frequency) {
    const TOutcome outcome =
        pulse ? device.SetPulsePeriod(1.0 / *wave.Frequency) : device.SetFrequency(*wave.Frequency);
    if (const int e = ApplyOutcome(c, outcome)) return e;
  }
  if (wave.Width)
    if (const int e = ApplyOutcome(c, device.SetPulseWidth(*wave.Width))) return e;
  if (wave.Amplitude)
    return ApplyOutcome(c, device.SetAttenuation(NearestStep(device, *wave.Amplitude)));
  return error::None;
}

const char* WaveName(TFunction function) {
  switch (function) {
    case TFunction::Sine:
      return "SINE";
    case TFunction::Square:
      return "SQUARE";
    case TFunction::Triangle:
      return "RAMP";
    case TFunction::Pulse:
      return "PULSE";
  }
  return "SINE";
}

// In the dialect's own form: C1:BSWV WVTP,SINE,FRQ,1000HZ,PERI,0.001S,AMP,4V,...
int QueryBasicWave(TCommandContext& c, const TParam*) {
  const TInstrument& device = Device(c);
  const bool pulse = device.Function() == TFunction::Pulse;
  const double frequency = pulse ? 1.0 / device.PulsePeriod() : device.Frequency();
  const double period = pulse ? device.PulsePeriod() : 1.0 / frequency;
  std::string reply = std::string("C1:BSWV WVTP,") + WaveName(device.Function());
  reply += ",FRQ," + FormatReal(frequency) + "HZ,PERI," + FormatReal(period) + "S";
  reply += ",AMP," + FormatSingle(static_cast<float>(device.Amplitude())) + "V,OFST,0V";
  reply += pulse ? ",WIDTH," + FormatReal(device.PulseWidth()) + "S" : std::string(",PHSE,0");
  c.Reply = std::move(reply);
  return error::None;
}

// ON|OFF, LOAD,<50|75|HZ|ohms> and PLRT,NOR|INVT, in any order.
int SetOutput(TCommandContext& c, std::span<const TParam> params) {
  if (params.empty()) return error::MissingParameter;
  std::optional<bool> run, inverted;
  for (std::size_t i = 0; i < params.size(); ++i) {
    const TParam& p = params[i];
    const bool valued = Is(p, "LOAD") || Is(p, "PLRT");
    if (valued && i + 1 == params.size()) return error::MissingParameter;
    if (Is(p, "LOAD")) {
      ++i;  // the output has no load setting
    } else if (Is(p, "PLRT")) {
      int index = 0;
      if (const int e = ChoiceValue(params[++i], PolarityKeys, index)) return e;
      inverted = index == 1;
    } else {
      bool on = false;
      if (const int e = BooleanValue(p, on)) return e;
      run = on;
    }
  }
  if (inverted)
    if (const int e = ApplyOutcome(c, Device(c).SetInverted(*inverted))) return e;
  return run ? ApplyOutcome(c, Device(c).SetRun(*run)) : error::None;
}

int QueryOutput(TCommandContext& c, const TParam*) {
  c.Reply = std::string("C1:OUTP ") + (Device(c).Run() ? "ON" : "OFF") + ",PLRT," +
            PolarityKeys[Device(c).Inverted() ? 1 : 0].ShortForm();
  return error::None;
}

int QueryIdentity(TCommandContext& c, const TParam*) {
  c.Reply = SiglentIdentity;
  return error::None;
}

const TListCommand Siglent[] = {
    {"IDN-SGLT-PRI", nullptr, QueryIdentity},
    {"C[1]:BaSic_WaVe", SetBasicWave, QueryBasicWave},
    {"C[1]:OUTPut", SetOutput, QueryOutput},
};

}  // namespace

std::span<const TListCommand> SiglentCommands() { return Siglent; }

}  // namespace remote
