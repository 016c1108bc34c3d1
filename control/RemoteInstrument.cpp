#include "control/RemoteInstrument.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "screen/ReadoutFormat.h"
#include "serial/TinyComms.h"

namespace control {

namespace {

using remote::TQuantity;

constexpr double LowestFrequency = 0.1;

remote::TOutcome FromControl(control::TOutcome outcome) {
  switch (outcome) {
    case control::TOutcome::Done:
    case control::TOutcome::Crossed:
      return remote::TOutcome::Done;
    case control::TOutcome::Invalid:
      return remote::TOutcome::OutOfRange;
    case control::TOutcome::Disabled:
      return remote::TOutcome::SettingsConflict;
  }
  return remote::TOutcome::Failed;
}

bool InRange(double value, const remote::TLimits& limits) {
  return value >= limits.Min && value <= limits.Max;
}

}  // namespace

TRemoteInstrument::TRemoteInstrument(TGeneratorControl& control, TWaitWithMessages wait)
    : Control(control), Wait(std::move(wait)) {}

std::string TRemoteInstrument::PortName() const { return Control.State().PortName; }

bool TRemoteInstrument::Online() const { return Control.State().DeviceOnline; }

remote::TOutcome TRemoteInstrument::Connect(const std::string& name) {
  if (Control.HandshakeRunning()) return remote::TOutcome::Failed;
  std::optional<serial::EComPort> openError;
  return Control.ConnectOrRelease(name, Wait, openError) ? remote::TOutcome::Done
                                                         : remote::TOutcome::Failed;
}

void TRemoteInstrument::Disconnect() {
  if (Control.Panel().ConnectBtn.Down) Control.ReleaseConnect();
}

bool TRemoteInstrument::Busy() const { return Control.HandshakeRunning(); }

void TRemoteInstrument::Reset() { Control.ResetSettings(); }

// The defaults are the start-up values of the model and the controls.
remote::TLimits TRemoteInstrument::Limits(TQuantity quantity) const {
  const screen::TZOLScreenModel m = Control.Model();
  static const screen::TZOLScreenModel start;
  static const TPanelState startPanel;
  const auto frequency = [](int slot) {
    return remote::TLimits{LowestFrequency, screen::TopFreq, start.Slots[slot].Freq};
  };
  switch (quantity) {
    case TQuantity::Frequency:
      return frequency(screen::FrequencySlot);
    case TQuantity::Step:
      return {screen::TZOLScreenModel::SnapToGrid(0.0), screen::TopFreq, start.Step};
    case TQuantity::Start:
      return frequency(screen::StartSlot);
    case TQuantity::Stop:
      return frequency(screen::StopSlot);
    case TQuantity::Marker:
      return frequency(screen::MarkerSlot);
    case TQuantity::Attenuation:
      return {0, 15, 0};
    case TQuantity::SweepTime: {
      const TGaugeState& gauge = startPanel.SwGaugeBar;
      return {static_cast<double>(gauge.Minimum), static_cast<double>(gauge.Maximum),
              static_cast<double>(gauge.Position)};
    }
    case TQuantity::PulsePeriod:
      return {m.PulseTime(3), m.PulseTime(0xFFFF), start.PulseTime(start.PulsePeriodCode())};
    case TQuantity::PulseWidth:
      return {m.PulseTime(1), m.PulseTime(0xFFFF), start.PulseTime(start.PulseWidthCode())};
  }
  return {};
}

remote::TOutcome TRemoteInstrument::SetRun(bool on) { return FromControl(Control.SetRun(on)); }

bool TRemoteInstrument::Run() const { return Control.Panel().RunBtn.Down; }

remote::TOutcome TRemoteInstrument::SetInverted(bool on) { return FromControl(Control.SetInvert(on)); }

bool TRemoteInstrument::Inverted() const { return Control.Panel().InvertBtn.Down; }

remote::TOutcome TRemoteInstrument::SetFunction(remote::TFunction function) {
  switch (function) {
    case remote::TFunction::Sine:
      return FromControl(Control.SetWaveform(1));
    case remote::TFunction::Triangle:
      return FromControl(Control.SetWaveform(2));
    case remote::TFunction::Square:
      return FromControl(Control.SetWaveform(3));
    case remote::TFunction::Pulse:
      return FromControl(Control.SetPulse(true));
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

// In pulse mode the divider gauge is the prescaler's.
remote::TOutcome TRemoteInstrument::SetDivider(bool on) {
  if (Control.Panel().PulseBtn.Down) return remote::TOutcome::SettingsConflict;
  return FromControl(Control.SetDivider(on ? 1 : 0));
}

bool TRemoteInstrument::Divider() const {
  return !Control.Panel().PulseBtn.Down && Control.Model().Divider != 0;
}

remote::TOutcome TRemoteInstrument::SetHertz(TQuantity quantity, double hertz,
                                     const std::function<control::TOutcome()>& set) {
  if (!InRange(hertz, Limits(quantity))) return remote::TOutcome::OutOfRange;
  return FromControl(set());
}

double TRemoteInstrument::Shown(double modelHertz) const {
  return modelHertz / Control.Model().DividerFactor();
}

remote::TOutcome TRemoteInstrument::SetFrequency(double hertz) {
  return SetHertz(TQuantity::Frequency, hertz,
                  [&] { return Control.SetValue(TEntry::Frequency, hertz); });
}

// What the device makes: in pulse mode the pulse rate of its codes.
double TRemoteInstrument::Frequency() const {
  const screen::TZOLScreenModel m = Control.Model();
  if (Control.Panel().PulseBtn.Down) return 1.0 / m.PulseTime(m.PulsePeriodCode());
  return m.Slots[screen::FrequencySlot].Freq / m.DividerFactor();
}

remote::TOutcome TRemoteInstrument::SetStep(double hertz) {
  return SetHertz(TQuantity::Step, hertz, [&] { return Control.SetValue(TEntry::Step, hertz); });
}

double TRemoteInstrument::Step() const { return Shown(Control.Model().Step); }

remote::TOutcome TRemoteInstrument::SetStart(double hertz) {
  return SetHertz(TQuantity::Start, hertz, [&] { return Control.SetValue(TEntry::Start, hertz); });
}

double TRemoteInstrument::Start() const {
  return Shown(Control.Model().Slots[screen::StartSlot].Freq);
}

remote::TOutcome TRemoteInstrument::SetStop(double hertz) {
  return SetHertz(TQuantity::Stop, hertz, [&] { return Control.SetValue(TEntry::Stop, hertz); });
}

double TRemoteInstrument::Stop() const { return Shown(Control.Model().Slots[screen::StopSlot].Freq); }

// The sweep's marker; in pulse mode the marker is the width (PULSe:WIDTh).
remote::TOutcome TRemoteInstrument::SetMarker(double hertz) {
  if (!Control.Panel().SweepBtn.Down) return remote::TOutcome::SettingsConflict;
  return SetHertz(TQuantity::Marker, hertz, [&] { return Control.SetMarker(hertz); });
}

double TRemoteInstrument::Marker() const {
  return Shown(Control.Model().Slots[screen::MarkerSlot].Freq);
}

remote::TOutcome TRemoteInstrument::SetAttenuation(int step) {
  if (step < 0 || step > 15) return remote::TOutcome::IllegalValue;
  return FromControl(Control.SetAttenuation(step));
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

remote::TOutcome TRemoteInstrument::SetSweep(bool on) { return FromControl(Control.SetSweep(on)); }

bool TRemoteInstrument::Sweep() const { return Control.Panel().SweepBtn.Down; }

// The gauge refuses what it cannot take: disabled outside sweep mode, or
// off its range.
remote::TOutcome TRemoteInstrument::SetSweepTime(int seconds) {
  return FromControl(Control.SetSweepTime(seconds));
}

int TRemoteInstrument::SweepTime() const { return Control.Panel().SwGaugeBar.Position; }

remote::TOutcome TRemoteInstrument::SetSpacing(remote::TSpacing spacing) {
  return FromControl(Control.SetLogSpacing(spacing == remote::TSpacing::Logarithmic));
}

remote::TSpacing TRemoteInstrument::Spacing() const {
  return Control.Panel().LinLogGauge.Position == 0 ? remote::TSpacing::Linear
                                                   : remote::TSpacing::Logarithmic;
}

remote::TOutcome TRemoteInstrument::SetDirection(remote::TDirection direction) {
  TSweepDirection d = TSweepDirection::Up;
  if (direction == remote::TDirection::Down) d = TSweepDirection::Down;
  if (direction == remote::TDirection::Both) d = TSweepDirection::Both;
  return FromControl(Control.SetSweepDirection(d));
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

remote::TOutcome TRemoteInstrument::SetPause(bool on) { return FromControl(Control.SetPause(on)); }

bool TRemoteInstrument::Pause() const { return Control.Panel().PauseBtn.Down; }

remote::TOutcome TRemoteInstrument::Restart() { return FromControl(Control.RestartSweep()); }

remote::TOutcome TRemoteInstrument::SetPulsePeriod(double seconds) {
  return FromControl(Control.SetPulseTime(true, seconds));
}

double TRemoteInstrument::PulsePeriod() const {
  const screen::TZOLScreenModel m = Control.Model();
  return m.PulseTime(m.PulsePeriodCode());
}

remote::TOutcome TRemoteInstrument::SetPulseWidth(double seconds) {
  return FromControl(Control.SetPulseTime(false, seconds));
}

double TRemoteInstrument::PulseWidth() const {
  const screen::TZOLScreenModel m = Control.Model();
  return m.PulseTime(m.PulseWidthCode());
}

remote::TOutcome TRemoteInstrument::SetPrescaler(int prescaler) {
  const auto& table = screen::PrescalerTable;
  const auto it = std::find(table.begin(), table.end(), prescaler);
  if (it == table.end()) return remote::TOutcome::IllegalValue;
  if (!Control.Panel().PulseBtn.Down) return remote::TOutcome::SettingsConflict;
  return FromControl(Control.SetDivider(static_cast<int>(it - table.begin())));
}

int TRemoteInstrument::Prescaler() const { return Control.Model().Prescaler(); }

void TRemoteInstrument::WhenWritten(std::function<void()> done) {
  Control.WhenWritten(std::move(done));
}

}  // namespace control
