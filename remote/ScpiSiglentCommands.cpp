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
// The Function numbers of WaveNames.
constexpr int Sine = 0, Triangle = 1, Square = 2, Pulse = 3;
constexpr std::array<int, 4> WaveFunctions{Sine, Square, Triangle, Pulse};
const std::array<TMnemonic, 2> PolarityKeys{TMnemonic("NOR"), TMnemonic("INVT")};

// For values whose limits are checked with the settings they become: MIN
// and MAX stand for nothing and for far above any (the attenuator's lowest
// and highest step).
constexpr TLimits Unbounded{0.0, 1e9, 0.0};

bool Is(const TParam& p, const char* key) { return p.Kind == TParamKind::Keyword && p.Text == key; }

// What one BSWV list asks for, read whole before anything changes.
struct TBasicWave {
  std::optional<int> Function;
  std::optional<double> Frequency;  // hertz
  std::optional<double> Amplitude;  // volts peak-to-peak
  std::optional<double> Width;      // seconds, pulse
};

// NOISE, ARB, DC and PRBS, which the generator cannot make, give -224.
int ReadWave(const TParam& value, int& function) {
  int index = 0;
  const int e = ChoiceValue(value, WaveNames, index);
  if (!e) function = WaveFunctions[static_cast<std::size_t>(index)];
  return e;
}

int ReadValue(const TParam& value, TUnitKind unit, std::optional<double>& slot) {
  double number = 0.0;
  if (const int e = NumericValue(value, unit, Unbounded, number)) return e;
  slot = number;
  return error::None;
}

int ReadBasicWave(std::span<const TParam> params, TBasicWave& wave) {
  if (params.empty()) return error::MissingParameter;
  if (params.size() % 2) return error::MissingParameter;  // a key without its value
  for (std::size_t i = 0; i < params.size(); i += 2) {
    const TParam& key = params[i];
    const TParam& value = params[i + 1];
    if (key.Kind != TParamKind::Keyword) return error::DataType;
    int e = error::None;
    if (Is(key, "WVTP")) {
      int function = 0;
      if (!(e = ReadWave(value, function))) wave.Function = function;
    } else if (Is(key, "FRQ")) {
      e = ReadValue(value, TUnitKind::Hertz, wave.Frequency);
      if (!e && !(*wave.Frequency > 0)) e = error::DataOutOfRange;
    } else if (Is(key, "AMP")) {
      e = ReadValue(value, TUnitKind::Volts, wave.Amplitude);
      if (!e && *wave.Amplitude < 0) e = error::DataOutOfRange;
    } else if (Is(key, "WIDTH")) {
      e = ReadValue(value, TUnitKind::Seconds, wave.Width);
    }
    if (e) return e;
  }
  return error::None;
}

// The attenuator step of the function whose calibrated amplitude lies nearest.
int NearestStep(const TInstrument& device, int function, double volts) {
  int best = 0;
  for (int step = 1; step < Steps; ++step)
    if (std::fabs(device.AmplitudeAt(function, step) - volts) <
        std::fabs(device.AmplitudeAt(function, best) - volts))
      best = step;
  return best;
}

// The waveform first: the amplitude table and the meaning of FRQ follow it
// (in pulse mode FRQ is the pulse rate). All of it is taken, or none.
int SetBasicWave(TCommandContext& c, std::span<const TParam> params) {
  TBasicWave wave;
  if (const int e = ReadBasicWave(params, wave)) return e;
  TInstrument& device = Device(c);
  const int function = wave.Function.value_or(static_cast<int>(device.Get(TSetting::Function)));
  const bool pulse = function == Pulse;
  std::vector<TSettingValue> values;
  if (wave.Function) values.push_back({TSetting::Function, static_cast<double>(function)});
  if (wave.Frequency)
    values.push_back(pulse ? TSettingValue{TSetting::PulsePeriod, 1.0 / *wave.Frequency}
                           : TSettingValue{TSetting::Frequency, *wave.Frequency});
  if (wave.Width) values.push_back({TSetting::PulseWidth, *wave.Width});
  if (wave.Amplitude)
    values.push_back({TSetting::Attenuation,
                      static_cast<double>(NearestStep(device, function, *wave.Amplitude))});
  return values.empty() ? error::None : ApplyOutcome(c, device.SetAll(values));
}

const char* WaveName(int function) {
  for (std::size_t i = 0; i < WaveFunctions.size(); ++i)
    if (WaveFunctions[i] == function) return WaveNames[i].ShortForm().c_str();
  return "SINE";
}

// In the dialect's own form: C1:BSWV WVTP,SINE,FRQ,1000HZ,PERI,0.001S,AMP,4V,...
int QueryBasicWave(TCommandContext& c, const TParam*) {
  const TInstrument& device = Device(c);
  const int function = static_cast<int>(device.Get(TSetting::Function));
  const bool pulse = function == Pulse;
  const double frequency = device.Get(TSetting::Frequency);
  const double period = pulse ? device.Get(TSetting::PulsePeriod) : 1.0 / frequency;
  std::string reply = std::string("C1:BSWV WVTP,") + WaveName(function);
  reply += ",FRQ," + FormatReal(frequency) + "HZ,PERI," + FormatReal(period) + "S";
  reply += ",AMP," + FormatSingle(static_cast<float>(device.Amplitude())) + "V,OFST,0V";
  reply += pulse ? ",WIDTH," + FormatReal(device.Get(TSetting::PulseWidth)) + "S"
                 : std::string(",PHSE,0");
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
  std::vector<TSettingValue> values;
  if (inverted) values.push_back({TSetting::Invert, *inverted ? 1.0 : 0.0});
  if (run) values.push_back({TSetting::Run, *run ? 1.0 : 0.0});
  return values.empty() ? error::None : ApplyOutcome(c, Device(c).SetAll(values));
}

int QueryOutput(TCommandContext& c, const TParam*) {
  c.Reply = std::string("C1:OUTP ") + (Device(c).Get(TSetting::Run) != 0 ? "ON" : "OFF") +
            ",PLRT," + PolarityKeys[Device(c).Get(TSetting::Invert) != 0 ? 1 : 0].ShortForm();
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
