// Waveform buttons, amplitude and divider gauges.
#include "command/WaveformControls.h"

#include <array>
#include <cstdlib>

#include "command/ModeButtons.h"

namespace control {

void TWaveformControls::FormBtnClick(int tag) {
  if (tag < 1 || tag > 3) return;
  Frame.Change([&] {
    TPanelState& p = Frame.Panel;
    const std::array<TButtonState*, 3> buttons = {&p.SineBtn, &p.TriBtn, &p.SquareBtn};
    for (TButtonState* b : buttons) b->FontColor = colors::Navy;
    buttons[static_cast<std::size_t>(tag - 1)]->FontColor = colors::Red;
    // The divider applies to the square wave only (the modes table enables
    // it); disabled, it keeps its value.
    Frame.Shared.Model.Waveform = tag;
    Frame.Shared.Model.AmpFromWaveform = true;
    AmpGaugeBarChange();
    Frame.Shared.State.Flags.WaveDirty = true;
  });
  Frame.Changed();
}

void TWaveformControls::AmpGaugeBarChange() {
  screen::TZOLScreenModel& m = Frame.Shared.Model;
  TUpdateFlags& flags = Frame.Shared.State.Flags;
  const int position = Frame.Panel.AmpGaugeBar.Position;
  if (m.AmpFromWaveform) {
    // A waveform change: show the level remembered for its group. If the
    // gauge really moves, its change runs this handler again, which stores it.
    m.AmpFromWaveform = false;
    Frame.MoveGauge(&TPanelState::AmpGaugeBar,
                    -(screen::IsAnalog(m.Waveform) ? m.AmpLevelAnalog : m.AmpLevelSquare));
  } else if (screen::IsAnalog(m.Waveform)) {
    m.AmpLevelAnalog = std::abs(position);
    flags.AmpAnalogDirty = true;
  } else {
    m.AmpLevelSquare = std::abs(position);
    flags.AmpSquareDirty = true;
  }
}

void TWaveformControls::DivGaugeBarChange() {
  Frame.Shared.Model.Divider = std::abs(Frame.Panel.DivGaugeBar.Position);
  if (Frame.Panel.PulseBtn.Down) {
    Frame.Shared.State.Flags.PulseDivDirty = true;
  } else {
    Frame.Shared.State.Flags.WaveDirty = true;
  }
}

TOutcome TWaveformControls::SetWaveform(int waveform) {
  static constexpr std::array<TButtonId, 3> Buttons = {&TPanelState::SineBtn, &TPanelState::TriBtn,
                                                       &TPanelState::SquareBtn};
  if (waveform < 1 || waveform > 3) return TOutcome::Invalid;
  if (Frame.Panel.PulseBtn.Down) Modes.SetPulse(false);
  return Frame.Press(Buttons[static_cast<std::size_t>(waveform - 1)]);
}

TOutcome TWaveformControls::SetAttenuation(int level) {
  return Frame.Slide(TControl::AmpGaugeBar, &TPanelState::AmpGaugeBar, -level);
}

TOutcome TWaveformControls::SetSquareDivider(bool on) {
  return Frame.Slide(TControl::SquareDivider, &TPanelState::DivGaugeBar, on ? -1 : 0);
}

}  // namespace control
