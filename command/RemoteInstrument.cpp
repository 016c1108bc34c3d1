#include "command/RemoteInstrument.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "command/SettingLimits.h"
#include "screen/ReadoutFormat.h"
#include "serial/TinyComms.h"

namespace control {

namespace {

using remote::TQuantity;

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

// The limits are the command path's, which its operations keep to.
remote::TLimits TRemoteInstrument::Limits(TQuantity quantity) const {
  static constexpr TSetting Settings[] = {
      TSetting::Frequency, TSetting::Step,        TSetting::Start,
      TSetting::Stop,      TSetting::Marker,      TSetting::Attenuation,
      TSetting::SweepTime, TSetting::PulsePeriod, TSetting::PulseWidth};
  const TSettingLimits limits =
      LimitsOf(Settings[static_cast<std::size_t>(quantity)], Control.Model());
  return {limits.Lowest, limits.Highest, limits.StartUp};
}

remote::TOutcome TRemoteInstrument::SetRun(bool on) {
  return FromControl(Control.Modes().SetRun(on));
}

bool TRemoteInstrument::Run() const { return Control.Panel().RunBtn.Down; }

remote::TOutcome TRemoteInstrument::SetInverted(bool on) {
  return FromControl(Control.Pulse().SetInvert(on));
}

bool TRemoteInstrument::Inverted() const { return Control.Panel().InvertBtn.Down; }

remote::TOutcome TRemoteInstrument::SetFunction(remote::TFunction function) {
  switch (function) {
    case remote::TFunction::Sine:
      return FromControl(Control.Waveform().SetWaveform(1));
    case remote::TFunction::Triangle:
      return FromControl(Control.Waveform().SetWaveform(2));
    case remote::TFunction::Square:
      return FromControl(Control.Waveform().SetWaveform(3));
    case remote::TFunction::Pulse:
      return FromControl(Control.Modes().SetPulse(true));
  }
  return remote::TOutcome::IllegalValue;
}

remote::TFunction TRemoteInstrument::Function() const {
  const TPanelState& p = Control.Panel();
  if (p.PulseBtn.Down) return remote::TFunction::Pulse;
  if (p.TriBtn.Down) return remote::TFunction::Triangle;
  if (p.SquareBtn.Down) return remote::TFunction::Square;
  return remote::TFunction::Sine;
}

remote::TOutcome TRemoteInstrument::SetDivider(bool on) {
  return FromControl(Control.Waveform().SetSquareDivider(on));
}

bool TRemoteInstrument::Divider() const {
  return !Control.Panel().PulseBtn.Down && Control.Model().Divider != 0;
}

double TRemoteInstrument::Shown(double modelHertz) const {
  return modelHertz / Control.Model().DividerFactor();
}

remote::TOutcome TRemoteInstrument::SetFrequency(double hertz) {
  return FromControl(Control.Frequency().SetValue(TEntry::Frequency, hertz));
}

// What the device makes: in pulse mode the pulse rate of its codes.
double TRemoteInstrument::Frequency() const {
  const screen::TZOLScreenModel m = Control.Model();
  if (Control.Panel().PulseBtn.Down) return 1.0 / m.PulseTime(m.PulsePeriodCode());
  return m.Slots[screen::FrequencySlot].Freq / m.DividerFactor();
}

remote::TOutcome TRemoteInstrument::SetStep(double hertz) {
  return FromControl(Control.Frequency().SetValue(TEntry::Step, hertz));
}

double TRemoteInstrument::Step() const { return Shown(Control.Model().Step); }

remote::TOutcome TRemoteInstrument::SetStart(double hertz) {
  return FromControl(Control.Frequency().SetValue(TEntry::Start, hertz));
}

double TRemoteInstrument::Start() const {
  return Shown(Control.Model().Slots[screen::StartSlot].Freq);
}

remote::TOutcome TRemoteInstrument::SetStop(double hertz) {
  return FromControl(Control.Frequency().SetValue(TEntry::Stop, hertz));
}

double TRemoteInstrument::Stop() const {
  return Shown(Control.Model().Slots[screen::StopSlot].Freq);
}

// The sweep's marker; in pulse mode the marker is the width (PULSe:WIDTh).
remote::TOutcome TRemoteInstrument::SetMarker(double hertz) {
  return FromControl(Control.Sweep().SetMarker(hertz));
}

double TRemoteInstrument::Marker() const {
  return Shown(Control.Model().Slots[screen::MarkerSlot].Freq);
}

// The attenuator has 16 steps: another number is not one of them.
remote::TOutcome TRemoteInstrument::SetAttenuation(int step) {
  const control::TOutcome outcome = Control.Waveform().SetAttenuation(step);
  if (outcome == control::TOutcome::Invalid) return remote::TOutcome::IllegalValue;
  return FromControl(outcome);
}

int TRemoteInstrument::Attenuation() const {
  const screen::TZOLScreenModel m = Control.Model();
  return screen::IsAnalog(m.Waveform) ? m.AmpLevelAnalog : m.AmpLevelSquare;
}

// Peak to peak, as the device's tables give it and SCPI means VOLTage: the
// screen shows it for the triangle and the square, and the peak (half of
// it) and the r.m.s. value for the sine.
double TRemoteInstrument::Amplitude() const { return AmplitudeAt(Attenuation()); }

double TRemoteInstrument::AmplitudeAt(int step) const {
  const screen::TZOLScreenModel m = Control.Model();
  const auto at = static_cast<std::size_t>(std::clamp(step, 0, 15));
  return screen::IsAnalog(m.Waveform) ? m.AnalogAmpTable[at] : m.SquareAmpTable[at];
}

remote::TOutcome TRemoteInstrument::SetSweep(bool on) {
  return FromControl(Control.Modes().SetSweep(on));
}

bool TRemoteInstrument::Sweep() const { return Control.Panel().SweepBtn.Down; }

// The gauge refuses what it cannot take: disabled outside sweep mode, or
// off its range.
remote::TOutcome TRemoteInstrument::SetSweepTime(int seconds) {
  return FromControl(Control.Sweep().SetSweepTime(seconds));
}

int TRemoteInstrument::SweepTime() const { return Control.Panel().SwGaugeBar.Position; }

remote::TOutcome TRemoteInstrument::SetSpacing(remote::TSpacing spacing) {
  return FromControl(Control.Sweep().SetLogSpacing(spacing == remote::TSpacing::Logarithmic));
}

remote::TSpacing TRemoteInstrument::Spacing() const {
  return Control.Panel().LinLogGauge.Position == 0 ? remote::TSpacing::Linear
                                                   : remote::TSpacing::Logarithmic;
}

remote::TOutcome TRemoteInstrument::SetDirection(remote::TDirection direction) {
  TSweepDirection d = TSweepDirection::Up;
  if (direction == remote::TDirection::Down) d = TSweepDirection::Down;
  if (direction == remote::TDirection::Both) d = TSweepDirection::Both;
  return FromControl(Control.Sweep().SetSweepDirection(d));
}

remote::TDirection TRemoteInstrument::Direction() const {
  switch (Control.Panel().SweepDirBar.Position) {
    case 1:
      return remote::TDirection::Both;
    case 2:
      return remote::TDirection::Down;
    default:
      return remote::TDirection::Up;
  }
}

remote::TOutcome TRemoteInstrument::SetPause(bool on) {
  return FromControl(Control.Sweep().SetPause(on));
}

bool TRemoteInstrument::Pause() const { return Control.Panel().PauseBtn.Down; }

remote::TOutcome TRemoteInstrument::Restart() {
  return FromControl(Control.Sweep().RestartSweep());
}

remote::TOutcome TRemoteInstrument::SetPulsePeriod(double seconds) {
  return FromControl(Control.Pulse().SetPulseTime(true, seconds));
}

double TRemoteInstrument::PulsePeriod() const {
  const screen::TZOLScreenModel m = Control.Model();
  return m.PulseTime(m.PulsePeriodCode());
}

remote::TOutcome TRemoteInstrument::SetPulseWidth(double seconds) {
  return FromControl(Control.Pulse().SetPulseTime(false, seconds));
}

double TRemoteInstrument::PulseWidth() const {
  const screen::TZOLScreenModel m = Control.Model();
  return m.PulseTime(m.PulseWidthCode());
}

remote::TOutcome TRemoteInstrument::SetPrescaler(int prescaler) {
  const auto& table = screen::PrescalerTable;
  const auto it = std::find(table.begin(), table.end(), prescaler);
  if (it == table.end()) return remote::TOutcome::IllegalValue;
  return FromControl(Control.Pulse().SetPrescaler(static_cast<int>(it - table.begin())));
}

int TRemoteInstrument::Prescaler() const { return Control.Model().Prescaler(); }

void TRemoteInstrument::WhenWritten(std::function<void()> done) {
  Control.Written().WhenWritten(std::move(done));
}

}  // namespace control
