#include "command/RemoteInstrument.h"

#include <algorithm>
#include <cmath>

#include "command/DeviceLink.h"
#include "command/SettingLimits.h"
#include "serial/TinyComms.h"

namespace control {

namespace {

// The Function number of pulse mode.
constexpr int PulseFunction = 3;

remote::TOutcome FromControl(control::TOutcome outcome) {
  switch (outcome) {
    case control::TOutcome::Done:
    case control::TOutcome::Crossed:
      return remote::TOutcome::Done;
    case control::TOutcome::Invalid:
      return remote::TOutcome::OutOfRange;
    case control::TOutcome::Disabled:
      return remote::TOutcome::SettingsConflict;
    case control::TOutcome::Failed:
      return remote::TOutcome::Failed;
  }
  return remote::TOutcome::Failed;
}

// A choice's number, when it is a whole one of 0 .. highest.
bool Choice(double value, int highest, int& number) {
  if (!(value >= 0 && value <= highest) || value != std::floor(value)) return false;
  number = static_cast<int>(value);
  return true;
}

remote::TOutcome SetFunction(TGeneratorControl& control, int function) {
  if (function == PulseFunction) return FromControl(control.Modes().SetPulse(true));
  return FromControl(control.Waveform().SetWaveform(static_cast<TWaveform>(function + 1)));
}

// One setting by meaning, on the command path given.
remote::TOutcome SetOn(TGeneratorControl& control, TSetting setting, double value) {
  const auto flag = [value](auto set) {
    int on = 0;
    return Choice(value, 1, on) ? FromControl(set(on != 0)) : remote::TOutcome::IllegalValue;
  };
  int number = 0;
  switch (setting) {
    case TSetting::Frequency:
      return FromControl(control.Frequency().SetValue(TEntry::Frequency, value));
    case TSetting::Step:
      return FromControl(control.Frequency().SetValue(TEntry::Step, value));
    case TSetting::Start:
      return FromControl(control.Frequency().SetValue(TEntry::Start, value));
    case TSetting::Stop:
      return FromControl(control.Frequency().SetValue(TEntry::Stop, value));
    case TSetting::Marker:
      return FromControl(control.Sweep().SetMarker(value));
    case TSetting::Attenuation: {
      // The attenuator has 16 steps: another number is not one of them.
      const control::TOutcome outcome =
          value == std::floor(value) && std::fabs(value) < 1e6
              ? control.Waveform().SetAttenuation(static_cast<int>(value))
              : control::TOutcome::Invalid;
      return outcome == control::TOutcome::Invalid ? remote::TOutcome::IllegalValue
                                                   : FromControl(outcome);
    }
    case TSetting::SweepTime:
      return value == std::floor(value) && std::fabs(value) < 1e6
                 ? FromControl(control.Sweep().SetSweepTime(static_cast<int>(value)))
                 : remote::TOutcome::OutOfRange;
    case TSetting::PulsePeriod:
    case TSetting::PulseWidth:
      return FromControl(control.Pulse().SetPulseTime(setting, value));
    case TSetting::Function:
      return Choice(value, PulseFunction, number) ? SetFunction(control, number)
                                                  : remote::TOutcome::IllegalValue;
    case TSetting::SquareDivider:
      return flag([&](bool on) { return control.Waveform().SetSquareDivider(on); });
    case TSetting::Prescaler: {
      const auto it = std::find(Prescalers.begin(), Prescalers.end(), value);
      if (it == Prescalers.end()) return remote::TOutcome::IllegalValue;
      return FromControl(control.Pulse().SetPrescaler(static_cast<int>(it - Prescalers.begin())));
    }
    case TSetting::Invert:
      return flag([&](bool on) { return control.Pulse().SetInvert(on); });
    case TSetting::Run:
      return flag([&](bool on) { return control.Modes().SetRun(on); });
    case TSetting::Sweep:
      return flag([&](bool on) { return control.Modes().SetSweep(on); });
    case TSetting::Pause:
      return flag([&](bool on) { return control.Sweep().SetPause(on); });
    case TSetting::Spacing:
      return flag([&](bool on) { return control.Sweep().SetLogSpacing(on); });
    case TSetting::Direction:
      return Choice(value, static_cast<int>(TDirection::Down), number)
                 ? FromControl(control.Sweep().SetSweepDirection(static_cast<TDirection>(number)))
                 : remote::TOutcome::IllegalValue;
  }
  return remote::TOutcome::IllegalValue;
}

// A command path of its own, offline, on copies of another's settings, to
// try settings on before they are made.
struct TTrial {
  explicit TTrial(const TGeneratorControl& real) { Control.Imitate(real); }

  TSharedState Shared;
  serial::TTinyComPort Port;
  TDeviceLink Link{Shared, Port};
  TGeneratorControl Control{Shared, Link};
};

}  // namespace

TRemoteInstrument::TRemoteInstrument(TGeneratorControl& control, TWaitWithMessages wait)
    : Control(control), Wait(std::move(wait)) {}

std::string TRemoteInstrument::PortName() const { return Control.State().PortName; }

bool TRemoteInstrument::Online() const { return Control.State().DeviceOnline; }

// A name that is no port is an illegal value; one that cannot be opened or
// answers as no generator, a failure.
remote::TOutcome TRemoteInstrument::Connect(const std::string& name) {
  std::optional<serial::EComPort> openError;
  const control::TOutcome outcome = Control.Connection().ConnectOrRelease(name, Wait, openError);
  if (outcome == control::TOutcome::Invalid) return remote::TOutcome::IllegalValue;
  return FromControl(outcome);
}

void TRemoteInstrument::Disconnect() {
  if (Control.Panel().ConnectBtn.Down) Control.Connection().ReleaseConnect();
}

bool TRemoteInstrument::Busy() const { return Control.Connection().HandshakeRunning(); }

void TRemoteInstrument::Reset() { Control.ResetSettings(); }

remote::TOutcome TRemoteInstrument::Set(TSetting setting, double value) {
  return SetOn(Control, setting, value);
}

double TRemoteInstrument::Get(TSetting setting) const {
  const TGeneratorSettings s = Control.Settings();
  const bool pulse = s.Mode() == TMode::Pulse;
  const double f = s.DividerFactor();
  switch (setting) {
    case TSetting::Frequency:
      // What the device makes: in pulse mode the pulse rate of its codes.
      return pulse ? 1.0 / s.PulseTime(s.PeriodCode()) : s.Frequency().GridHz() / f;
    case TSetting::Step:
      return s.Step() / f;
    case TSetting::Start:
      return s.Start().GridHz() / f;
    case TSetting::Stop:
      return s.Stop().GridHz() / f;
    case TSetting::Marker:
      return s.Marker().GridHz() / f;
    case TSetting::Attenuation:
      return s.Attenuation();
    case TSetting::SweepTime:
      return s.SweepTime();
    case TSetting::PulsePeriod:
      return s.PulseTime(s.PeriodCode());
    case TSetting::PulseWidth:
      return s.PulseTime(s.WidthCode());
    case TSetting::Function:
      return pulse ? PulseFunction : static_cast<int>(s.Waveform()) - 1;
    case TSetting::SquareDivider:
      return s.SquareDivider();
    case TSetting::Prescaler:
      return s.Prescaler();
    case TSetting::Invert:
      return s.Invert();
    case TSetting::Run:
      return s.Run();
    case TSetting::Sweep:
      return s.Mode() == TMode::Sweep;
    case TSetting::Pause:
      return s.Pause();
    case TSetting::Spacing:
      return s.LogSpacing();
    case TSetting::Direction:
      return static_cast<int>(s.Direction());
  }
  return 0.0;
}

// The limits are the command path's, which its operations keep to.
remote::TLimits TRemoteInstrument::Limits(TSetting setting) const {
  const TSettingLimits limits = LimitsOf(setting, Control.Settings());
  return {limits.Lowest, limits.Highest, limits.StartUp};
}

remote::TOutcome TRemoteInstrument::SetAll(const std::vector<remote::TSettingValue>& values) {
  {
    TTrial trial(Control);
    for (const remote::TSettingValue& v : values)
      if (const remote::TOutcome outcome = SetOn(trial.Control, v.Setting, v.Value);
          outcome != remote::TOutcome::Done)
        return outcome;
  }
  for (const remote::TSettingValue& v : values)
    if (const remote::TOutcome outcome = Set(v.Setting, v.Value); outcome != remote::TOutcome::Done)
      return outcome;
  return remote::TOutcome::Done;
}

remote::TOutcome TRemoteInstrument::Restart() {
  return FromControl(Control.Sweep().RestartSweep());
}

// Peak to peak, as the device's tables give it and SCPI means VOLTage: the
// screen shows it for the triangle and the square, and the peak (half of
// it) and the r.m.s. value for the sine.
double TRemoteInstrument::Amplitude() const {
  const int function = static_cast<int>(Get(TSetting::Function));
  return AmplitudeAt(function, static_cast<int>(Get(TSetting::Attenuation)));
}

double TRemoteInstrument::AmplitudeAt(int function, int step) const {
  const screen::TZOLScreenModel m = Control.Model();
  const auto at = static_cast<std::size_t>(std::clamp(step, 0, 15));
  const bool analog = function == 0 || function == 1;
  return analog ? m.AnalogAmpTable[at] : m.SquareAmpTable[at];
}

void TRemoteInstrument::WhenWritten(std::function<void()> done) {
  Control.Written().WhenWritten(std::move(done));
}

}  // namespace control
