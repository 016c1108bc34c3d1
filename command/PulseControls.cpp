// Pulse timing by meaning, the prescaler and the Invert button.
#include "command/PulseControls.h"

#include "command/SettingLimits.h"

namespace control {

void TPulseControls::InvertBtnClick(bool down) {
  Frame.Change([&] { Frame.Settings().SetInvert(down); });
  Frame.Changed();
}

TOutcome TPulseControls::SetInvert(bool on) {
  return Frame.Settings().Invert() == on ? TOutcome::Done : Frame.Press(&TPanelState::InvertBtn);
}

TOutcome TPulseControls::SetPrescaler(int index) {
  if (!Frame.Takes(TSetting::Prescaler)) return TOutcome::Disabled;
  if (index < 0 || index > DividerMax(TMode::Pulse)) return TOutcome::Invalid;
  return Frame.UserMoved(&TPanelState::DivGaugeBar, -index);
}

TOutcome TPulseControls::SetPulseTime(TSetting setting, double seconds) {
  if (!Frame.Takes(setting)) return TOutcome::Disabled;
  TOutcome outcome = TOutcome::Invalid;
  Frame.Change([&] {
    TGeneratorSettings& s = Frame.Settings();
    if (!LimitsOf(setting, s).Contains(seconds)) return;
    const int code = PulseCodeOf(seconds, s);
    if (setting == TSetting::PulsePeriod)
      s.SetPeriodCode(code);
    else
      s.SetWidthCode(code);
    outcome = TOutcome::Done;
  });
  Frame.Changed();
  return outcome;
}

}  // namespace control
