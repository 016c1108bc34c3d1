#include "command/SettingLimits.h"

#include "command/ControlPanel.h"

namespace control {

namespace {

// The lowest sweep limit, marker and output frequency the device is sent.
constexpr double LowestFrequency = 0.1;

TSettingLimits OfGauge(const TGaugeState& gauge, int sign) {
  const int a = sign * gauge.Minimum;
  const int b = sign * gauge.Maximum;
  return {static_cast<double>(a < b ? a : b), static_cast<double>(a < b ? b : a),
          static_cast<double>(sign * gauge.Position)};
}

}  // namespace

TSettingLimits LimitsOf(TSetting setting, const screen::TZOLScreenModel& model) {
  static const screen::TZOLScreenModel start;
  static const TPanelState startPanel;
  const auto frequency = [](int slot, bool gridLimitsTyped) {
    return TSettingLimits{LowestFrequency, screen::TopFreq, start.Slots[slot].Freq,
                          gridLimitsTyped};
  };
  switch (setting) {
    case TSetting::Frequency:
      return frequency(screen::FrequencySlot, true);
    case TSetting::Step:
      // The grid never makes a step smaller than one of its own.
      return {screen::TZOLScreenModel::SnapToGrid(0.0), screen::TopFreq, start.Step, true};
    case TSetting::Start:
      return frequency(screen::StartSlot, false);
    case TSetting::Stop:
      return frequency(screen::StopSlot, false);
    case TSetting::Marker:
      return frequency(screen::MarkerSlot, false);
    case TSetting::Attenuation:
      // Up the gauge is more attenuation: its positions are the steps negated.
      return OfGauge(startPanel.AmpGaugeBar, -1);
    case TSetting::SweepTime:
      return OfGauge(startPanel.SwGaugeBar, 1);
    case TSetting::PulsePeriod:
      return {model.PulseTime(PeriodCodeMin), model.PulseTime(0xFFFF),
              start.PulseTime(start.PulsePeriodCode())};
    case TSetting::PulseWidth:
      return {model.PulseTime(WidthCodeMin), model.PulseTime(0xFFFF),
              start.PulseTime(start.PulseWidthCode())};
  }
  return {};
}

}  // namespace control
