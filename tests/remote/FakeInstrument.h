#pragma once
// An in-memory generator for the remote-control tests: the settings, the
// ranges and the mode rules of the window's controls, on the real
// synthesiser grid, and a manual tick that answers WhenWritten.
//
// Owns everything; single thread (the test's).

#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "remote/Instrument.h"
#include "screen/ZOLScreenModel.h"

namespace remote::test {

inline double FakeSnap(double f) { return screen::TZOLScreenModel::SnapToGrid(f); }

// What Reset restores: the window's start-up state.
struct TFakeSettings {
  bool Run = false;
  bool Inverted = false;
  TFunction Waveform = TFunction::Sine;  // the waveform buttons' choice
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
  TSpacing Spacing = TSpacing::Logarithmic;
  TDirection Direction = TDirection::Up;
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
           S.WidthCode <= 0xFFFF && S.Waveform != TFunction::Pulse;
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

  TLimits Limits(TQuantity q) const override {
    const double tick = S.Prescaler / screen::PulseClock;
    switch (q) {
      case TQuantity::Frequency:
        return {Lowest, Highest, 1000.0};
      case TQuantity::Step:
        return {Snap(0.0), Highest, 1.0};
      case TQuantity::Start:
        return {Lowest, Highest, Lowest};
      case TQuantity::Stop:
        return {Lowest, Highest, Highest};
      case TQuantity::Marker:
        return {Lowest, Highest, 500.0};
      case TQuantity::Attenuation:
        return {0, 15, 0};
      case TQuantity::SweepTime:
        return {1, 100, 1};
      case TQuantity::PulsePeriod:
        return {4 * tick, 65536 * tick, 257 * tick};
      case TQuantity::PulseWidth:
        return {2 * tick, 65536 * tick, 150 * tick};
    }
    return {};
  }

  TOutcome SetRun(bool on) override {
    S.Run = on;
    if (!on) S.Pause = false;
    return TOutcome::Done;
  }
  bool Run() const override { return S.Run; }
  TOutcome SetInverted(bool on) override {
    return Guarded(S.PulseMode, [&] { S.Inverted = on; });
  }
  bool Inverted() const override { return S.Inverted; }
  TOutcome SetFunction(TFunction f) override {
    if (f == TFunction::Pulse) {
      if (!S.PulseMode) ChangeMode(false, true);
    } else {
      if (S.PulseMode) ChangeMode(false, false);
      S.Waveform = f;
    }
    return TOutcome::Done;
  }
  TFunction Function() const override { return S.PulseMode ? TFunction::Pulse : S.Waveform; }
  TOutcome SetDivider(bool on) override {
    return Guarded(!S.PulseMode && S.Waveform == TFunction::Square, [&] { S.Divider = on; });
  }
  bool Divider() const override { return S.Divider; }

  TOutcome SetFrequency(double f) override {
    return SetGrid(!S.SweepMode && !S.PulseMode, f, S.Frequency);
  }
  double Frequency() const override { return S.Frequency; }
  TOutcome SetStep(double f) override { return SetGrid(!S.PulseMode, f, S.Step, 0.0); }
  double Step() const override { return S.Step; }
  TOutcome SetStart(double f) override { return SetGrid(S.SweepMode, f, S.Start); }
  double Start() const override { return S.Start; }
  TOutcome SetStop(double f) override { return SetGrid(S.SweepMode, f, S.Stop); }
  double Stop() const override { return S.Stop; }
  TOutcome SetMarker(double f) override { return SetGrid(S.SweepMode, f, S.Marker); }
  double Marker() const override { return S.Marker; }

  TOutcome SetAttenuation(int step) override {
    if (step < 0 || step > 15) return TOutcome::IllegalValue;
    (Analog() ? S.AttenuationAnalog : S.AttenuationSquare) = step;
    return TOutcome::Done;
  }
  int Attenuation() const override { return Analog() ? S.AttenuationAnalog : S.AttenuationSquare; }
  double Amplitude() const override { return AmplitudeAt(Attenuation()); }
  double AmplitudeAt(int step) const override {
    const screen::TZOLScreenModel model;
    const auto at = static_cast<std::size_t>(step);
    return Analog() ? model.AnalogAmpTable.at(at) : model.SquareAmpTable.at(at);
  }

  TOutcome SetSweep(bool on) override {
    if (on != S.SweepMode) ChangeMode(on, false);
    return TOutcome::Done;
  }
  bool Sweep() const override { return S.SweepMode; }
  TOutcome SetSweepTime(int seconds) override {
    if (!S.SweepMode) return TOutcome::SettingsConflict;
    if (seconds < 1 || seconds > 100) return TOutcome::OutOfRange;
    S.SweepTime = seconds;
    return TOutcome::Done;
  }
  int SweepTime() const override { return S.SweepTime; }
  TOutcome SetSpacing(TSpacing spacing) override {
    return Guarded(S.SweepMode, [&] { S.Spacing = spacing; });
  }
  TSpacing Spacing() const override { return S.Spacing; }
  TOutcome SetDirection(TDirection d) override {
    return Guarded(S.SweepMode, [&] { S.Direction = d; });
  }
  TDirection Direction() const override { return S.Direction; }
  TOutcome SetPause(bool on) override {
    return Guarded(S.SweepMode && S.Run, [&] { S.Pause = on; });
  }
  bool Pause() const override { return S.Pause; }
  TOutcome Restart() override {
    return Guarded(S.SweepMode && S.Run, [] {});
  }

  TOutcome SetPulsePeriod(double seconds) override { return SetCode(seconds, 3, S.PeriodCode); }
  double PulsePeriod() const override {
    return (S.PeriodCode + 1) * S.Prescaler / screen::PulseClock;
  }
  TOutcome SetPulseWidth(double seconds) override { return SetCode(seconds, 1, S.WidthCode); }
  double PulseWidth() const override {
    return (S.WidthCode + 1) * S.Prescaler / screen::PulseClock;
  }
  TOutcome SetPrescaler(int prescaler) override {
    if (!S.PulseMode) return TOutcome::SettingsConflict;
    for (const int allowed : screen::PrescalerTable)
      if (prescaler == allowed) {
        S.Prescaler = prescaler;
        return TOutcome::Done;
      }
    return TOutcome::IllegalValue;
  }
  int Prescaler() const override { return S.Prescaler; }

  void WhenWritten(std::function<void()> done) override { Pending.push_back(std::move(done)); }

 private:
  bool Analog() const { return !S.PulseMode && S.Waveform != TFunction::Square; }

  template <typename TChange>
  static TOutcome Guarded(bool enabled, TChange change) {
    if (!enabled) return TOutcome::SettingsConflict;
    change();
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
