#pragma once
// An in-memory generator for the remote-control tests: the settings, the
// ranges and the mode rules of the window's controls, on the real
// synthesiser grid, and a manual tick that answers WhenWritten.
//
// Owns everything; single thread (the test's).

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "remote/Instrument.h"
#include "screen/ZOLScreenModel.h"

namespace remote::test {

inline double FakeSnap(double f) { return screen::TZOLScreenModel::SnapToGrid(f); }

// The Function numbers.
enum TFakeFunction { Sine, Triangle, Square, Pulse };

// What Reset restores: the window's start-up state.
struct TFakeSettings {
  bool Run = false;
  bool Inverted = false;
  int Waveform = Sine;  // the waveform buttons' choice
  bool PulseMode = false;
  bool SweepMode = false;
  bool Divider = false;
  double Frequency = FakeSnap(1000.0);
  double Step = FakeSnap(1.0);
  double Start = FakeSnap(0.1);
  double Stop = FakeSnap(12500000.0);
  double Marker = FakeSnap(500.0);
  int AttenuationAnalog = 0;
  int AttenuationSquare = 0;
  int SweepTime = 1;
  bool Logarithmic = true;
  int Direction = 0;  // up, both, down
  bool Pause = false;
  int PeriodCode = 256;
  int WidthCode = 149;
  int Prescaler = 1;
  bool operator==(const TFakeSettings&) const = default;
};

class TFakeInstrument : public TInstrument {
 public:
  static constexpr double Lowest = 0.1;
  static constexpr double Highest = 12500000.0;

  using TSettings = TFakeSettings;
  TSettings S;
  std::set<std::string> Ports{"sim0"};
  std::string Port;
  bool IsOnline = false;
  bool BusyNow = false;
  // Runs inside Connect while Busy() is true, as the handshake processes events.
  std::function<void()> DuringConnect;
  std::vector<std::function<void()>> Pending;
  int Resets = 0;

  static double Snap(double f) { return FakeSnap(f); }

  // The tick: answers every WhenWritten made before it.
  void Tick() {
    auto due = std::move(Pending);
    Pending.clear();
    for (auto& done : due) done();
  }

  // The window can never be in these states.
  bool Valid() const {
    const auto inRange = [](double f) { return f >= Snap(Lowest) && f <= Snap(Highest); };
    return !(S.PulseMode && S.SweepMode) && (!S.Pause || (S.Run && S.SweepMode)) &&
           inRange(S.Frequency) && inRange(S.Start) && inRange(S.Stop) && inRange(S.Marker) &&
           S.AttenuationAnalog >= 0 && S.AttenuationAnalog <= 15 && S.AttenuationSquare >= 0 &&
           S.AttenuationSquare <= 15 && S.SweepTime >= 1 && S.SweepTime <= 100 &&
           S.PeriodCode >= 3 && S.PeriodCode <= 0xFFFF && S.WidthCode >= 1 &&
           S.WidthCode <= 0xFFFF && S.Waveform != Pulse;
  }

  std::string PortName() const override { return Port; }
  bool Online() const override { return IsOnline; }
  TOutcome Connect(const std::string& name) override {
    BusyNow = true;
    if (DuringConnect) DuringConnect();
    BusyNow = false;
    if (!Ports.count(name)) return TOutcome::Failed;
    Port = name;
    IsOnline = true;
    return TOutcome::Done;
  }
  void Disconnect() override {
    IsOnline = false;
    S.Run = S.Pause = false;
  }
  bool Busy() const override { return BusyNow; }
  void Reset() override {
    S = TSettings{};
    ++Resets;
  }

  TLimits Limits(TSetting setting) const override {
    const double tick = S.Prescaler / screen::PulseClock;
    switch (setting) {
      case TSetting::Frequency:
        return {Lowest, Highest, 1000.0};
      case TSetting::Step:
        return {Snap(0.0), Highest, 1.0};
      case TSetting::Start:
        return {Lowest, Highest, Lowest};
      case TSetting::Stop:
        return {Lowest, Highest, Highest};
      case TSetting::Marker:
        return {Lowest, Highest, 500.0};
      case TSetting::Attenuation:
        return {0, 15, 0};
      case TSetting::SweepTime:
        return {1, 100, 1};
      case TSetting::PulsePeriod:
        return {4 * tick, 65536 * tick, 257 * tick};
      case TSetting::PulseWidth:
        return {2 * tick, 65536 * tick, 150 * tick};
      case TSetting::Prescaler:
        return {1, 1024, 1};
      default:
        return {0, 1, 0};
    }
  }

  TOutcome Set(TSetting setting, double value) override {
    switch (setting) {
      case TSetting::Run:
        S.Run = value != 0;
        if (!S.Run) S.Pause = false;
        return TOutcome::Done;
      case TSetting::Invert:
        return Guarded(S.PulseMode, [&] { S.Inverted = value != 0; });
      case TSetting::Function:
        return SetFunction(static_cast<int>(value));
      case TSetting::SquareDivider:
        return Guarded(!S.PulseMode && S.Waveform == Square, [&] { S.Divider = value != 0; });
      case TSetting::Frequency:
        return SetGrid(!S.SweepMode && !S.PulseMode, value, S.Frequency);
      case TSetting::Step:
        return SetGrid(!S.PulseMode, value, S.Step, 0.0);
      case TSetting::Start:
        return SetGrid(S.SweepMode, value, S.Start);
      case TSetting::Stop:
        return SetGrid(S.SweepMode, value, S.Stop);
      case TSetting::Marker:
        return SetGrid(S.SweepMode, value, S.Marker);
      case TSetting::Attenuation:
        if (!(value >= 0 && value <= 15) || value != std::floor(value))
          return TOutcome::IllegalValue;
        (Analog() ? S.AttenuationAnalog : S.AttenuationSquare) = static_cast<int>(value);
        return TOutcome::Done;
      case TSetting::Sweep:
        if ((value != 0) != S.SweepMode) ChangeMode(value != 0, false);
        return TOutcome::Done;
      case TSetting::SweepTime:
        if (!S.SweepMode) return TOutcome::SettingsConflict;
        if (value < 1 || value > 100) return TOutcome::OutOfRange;
        S.SweepTime = static_cast<int>(value);
        return TOutcome::Done;
      case TSetting::Spacing:
        return Guarded(S.SweepMode, [&] { S.Logarithmic = value != 0; });
      case TSetting::Direction:
        return Guarded(S.SweepMode, [&] { S.Direction = static_cast<int>(value); });
      case TSetting::Pause:
        return Guarded(S.SweepMode && S.Run, [&] { S.Pause = value != 0; });
      case TSetting::PulsePeriod:
        return SetCode(value, 3, S.PeriodCode);
      case TSetting::PulseWidth:
        return SetCode(value, 1, S.WidthCode);
      case TSetting::Prescaler: {
        if (!S.PulseMode) return TOutcome::SettingsConflict;
        const auto& table = screen::PrescalerTable;
        if (std::find(table.begin(), table.end(), value) == table.end())
          return TOutcome::IllegalValue;
        S.Prescaler = static_cast<int>(value);
        return TOutcome::Done;
      }
    }
    return TOutcome::IllegalValue;
  }

  double Get(TSetting setting) const override {
    switch (setting) {
      case TSetting::Run:
        return S.Run;
      case TSetting::Invert:
        return S.Inverted;
      case TSetting::Function:
        return S.PulseMode ? Pulse : S.Waveform;
      case TSetting::SquareDivider:
        return S.Divider;
      case TSetting::Frequency:
        return S.PulseMode ? 1.0 / Get(TSetting::PulsePeriod) : S.Frequency;
      case TSetting::Step:
        return S.Step;
      case TSetting::Start:
        return S.Start;
      case TSetting::Stop:
        return S.Stop;
      case TSetting::Marker:
        return S.Marker;
      case TSetting::Attenuation:
        return Analog() ? S.AttenuationAnalog : S.AttenuationSquare;
      case TSetting::Sweep:
        return S.SweepMode;
      case TSetting::SweepTime:
        return S.SweepTime;
      case TSetting::Spacing:
        return S.Logarithmic;
      case TSetting::Direction:
        return S.Direction;
      case TSetting::Pause:
        return S.Pause;
      case TSetting::PulsePeriod:
        return (S.PeriodCode + 1) * S.Prescaler / screen::PulseClock;
      case TSetting::PulseWidth:
        return (S.WidthCode + 1) * S.Prescaler / screen::PulseClock;
      case TSetting::Prescaler:
        return S.Prescaler;
    }
    return 0.0;
  }

  // Tried on a copy first, as the program does.
  TOutcome SetAll(const std::vector<TSettingValue>& values) override {
    const TSettings before = S;
    for (const TSettingValue& v : values) {
      if (const TOutcome outcome = Set(v.Setting, v.Value); outcome != TOutcome::Done) {
        S = before;
        return outcome;
      }
    }
    return TOutcome::Done;
  }

  TOutcome Restart() override {
    return Guarded(S.SweepMode && S.Run, [] {});
  }

  double Amplitude() const override {
    return AmplitudeAt(static_cast<int>(Get(TSetting::Function)),
                       static_cast<int>(Get(TSetting::Attenuation)));
  }
  double AmplitudeAt(int function, int step) const override {
    const screen::TZOLScreenModel model;
    const auto at = static_cast<std::size_t>(step);
    const bool analog = function == Sine || function == Triangle;
    return analog ? model.AnalogAmpTable.at(at) : model.SquareAmpTable.at(at);
  }

  void WhenWritten(std::function<void()> done) override { Pending.push_back(std::move(done)); }

 private:
  bool Analog() const { return !S.PulseMode && S.Waveform != Square; }

  template <typename TChange>
  static TOutcome Guarded(bool enabled, TChange change) {
    if (!enabled) return TOutcome::SettingsConflict;
    change();
    return TOutcome::Done;
  }

  TOutcome SetFunction(int f) {
    if (f < Sine || f > Pulse) return TOutcome::IllegalValue;
    if (f == Pulse) {
      if (!S.PulseMode) ChangeMode(false, true);
    } else {
      if (S.PulseMode) ChangeMode(false, false);
      S.Waveform = f;
    }
    return TOutcome::Done;
  }

  TOutcome SetGrid(bool enabled, double f, double& slot, double lowest = Lowest) {
    if (!enabled) return TOutcome::SettingsConflict;
    if (!(f >= lowest && f <= Highest)) return TOutcome::OutOfRange;
    slot = Snap(f);
    return TOutcome::Done;
  }

  TOutcome SetCode(double seconds, int lowest, int& code) {
    if (!S.PulseMode) return TOutcome::SettingsConflict;
    const double counts = std::nearbyint(seconds * screen::PulseClock / S.Prescaler) - 1;
    if (!(counts >= lowest && counts <= 0xFFFF)) return TOutcome::OutOfRange;
    code = static_cast<int>(counts);
    return TOutcome::Done;
  }

  // As the Sweep and Pulse buttons do: a pulse change puts the divider back
  // to 0, and every mode change releases Run (and with it Pause).
  void ChangeMode(bool sweep, bool pulse) {
    if (pulse != S.PulseMode) {
      S.Divider = false;
      S.Prescaler = 1;
    }
    S.SweepMode = sweep;
    S.PulseMode = pulse;
    S.Run = S.Pause = false;
  }
};

}  // namespace remote::test
