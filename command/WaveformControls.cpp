// Waveform buttons, amplitude and divider gauges.
#include "command/WaveformControls.h"

#include <array>
#include <cstdlib>

#include "command/ModeButtons.h"
#include "command/SettingLimits.h"

namespace control {

void TWaveformControls::FormBtnClick(TWaveform waveform) {
  Frame.Change([&] {
    TGeneratorSettings& s = Frame.Settings();
    const int shownBefore = s.Attenuation();
    Frame.WaveformChosen = true;
    // The divider applies to the square wave only (the modes table enables
    // it); disabled, it keeps its value.
    s.SetWaveform(waveform);
    // The amplitude gauge shows the waveform's attenuator: its step is sent
    // when the gauge moves.
    if (s.Attenuation() != shownBefore) s.SetAttenuation(waveform, s.Attenuation());
  });
  Frame.Changed();
}

void TWaveformControls::AmpGaugeBarChange(int position) {
  TGeneratorSettings& s = Frame.Settings();
  s.SetAttenuation(s.Mode() == TMode::Pulse ? TWaveform::Square : s.Waveform(), std::abs(position));
}

void TWaveformControls::DivGaugeBarChange(int position) {
  Frame.Settings().SetDivider(std::abs(position));
}

TOutcome TWaveformControls::SetWaveform(TWaveform waveform) {
  static constexpr std::array<TButtonId, 3> Buttons = {&TPanelState::SineBtn, &TPanelState::TriBtn,
                                                       &TPanelState::SquareBtn};
  if (Frame.Settings().Mode() == TMode::Pulse) Modes.SetPulse(false);
  return Frame.Press(Buttons[static_cast<std::size_t>(waveform) - 1]);
}

TOutcome TWaveformControls::SetAttenuation(int level) {
  if (!Frame.Takes(TSetting::Attenuation)) return TOutcome::Disabled;
  if (!LimitsOf(TSetting::Attenuation, Frame.Settings()).Contains(level)) return TOutcome::Invalid;
  return Frame.UserMoved(&TPanelState::AmpGaugeBar, -level);
}

TOutcome TWaveformControls::SetSquareDivider(bool on) {
  if (!Frame.Takes(TSetting::SquareDivider)) return TOutcome::Disabled;
  return Frame.UserMoved(&TPanelState::DivGaugeBar, on ? -1 : 0);
}

}  // namespace control
