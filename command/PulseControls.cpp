// Pulse timing by meaning and by pointer, the mode's entry and exit, the
// prescaler and the Invert button.
#include "command/PulseControls.h"

#include <algorithm>

#include "command/SettingLimits.h"

namespace control {

void EnterPulseMode(TGeneratorSettings& s) {
  if (s.Marker().GridHz() > s.Frequency().GridHz())
    s.SetMarker(AskedFrequency(s.Frequency().GridHz() / 2));
  s.SetPeriodCode(screen::PulseCode(PeriodCodeMin, s.Frequency().GridHz()));
  s.SetWidthCode(screen::PulseCode(WidthCodeMin, s.Marker().GridHz()));
}

void LeavePulseMode(TGeneratorSettings& s) {
  if (s.PeriodCode() != screen::PulseCode(PeriodCodeMin, s.Frequency().GridHz()))
    s.SetFrequency(PlacedFrequency(screen::PulseCodeFrequency(s.PeriodCode())));
  if (s.WidthCode() != screen::PulseCode(WidthCodeMin, s.Marker().GridHz()))
    s.SetMarker(PlacedFrequency(screen::PulseCodeFrequency(s.WidthCode())));
}

void PlacePulsePointer(TGeneratorSettings& s, TSetting setting, double gridHz) {
  if (setting == TSetting::PulsePeriod) {
    s.SetPeriodCode(screen::PulseCode(PeriodCodeMin, gridHz));
    if (s.PeriodCode() < s.WidthCode()) s.SetWidthCode(screen::PulseCode(WidthCodeMin, gridHz));
  } else if (setting == TSetting::PulseWidth) {
    s.SetWidthCode(std::min(screen::PulseCode(WidthCodeMin, gridHz), s.PeriodCode()));
  }
}

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
