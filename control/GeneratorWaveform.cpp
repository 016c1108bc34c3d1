// Waveform buttons, amplitude and divider gauges, and the Invert button.
#include <array>
#include <cstdlib>

#include "control/GeneratorControl.h"

namespace control {

void TGeneratorControl::FormBtnClick(int tag) {
  Change([&] { FormBtnClickLocked(tag); });
  Changed();
}

void TGeneratorControl::FormBtnClickLocked(int tag) {
  if (tag < 1 || tag > 3) return;
  const std::array<TButtonState*, 3> buttons = {&FPanel.SineBtn, &FPanel.TriBtn, &FPanel.SquareBtn};
  for (TButtonState* b : buttons) b->FontColor = colors::Navy;
  buttons[static_cast<std::size_t>(tag - 1)]->FontColor = colors::Red;
  // The divider applies to the square wave only (the modes table enables it);
  // disabled, it keeps its value.
  Shared.Model.Waveform = tag;
  Shared.Model.AmpFromWaveform = true;
  AmpGaugeBarChangeLocked();
  Shared.State.Flags.WaveDirty = true;
}

void TGeneratorControl::AmpGaugeBarChange() {
  Change([&] { AmpGaugeBarChangeLocked(); });
  Changed();
}

void TGeneratorControl::AmpGaugeBarChangeLocked() {
  screen::TZOLScreenModel& m = Shared.Model;
  const int position = FPanel.AmpGaugeBar.Position;
  if (m.AmpFromWaveform) {
    // A waveform change: show the level remembered for its group. If the
    // gauge really moves, its change runs this handler again, which stores it.
    m.AmpFromWaveform = false;
    MoveGauge(FPanel.AmpGaugeBar, -(screen::IsAnalog(m.Waveform) ? m.AmpLevelAnalog : m.AmpLevelSquare));
  } else if (screen::IsAnalog(m.Waveform)) {
    m.AmpLevelAnalog = std::abs(position);
    Shared.State.Flags.AmpAnalogDirty = true;
  } else {
    m.AmpLevelSquare = std::abs(position);
    Shared.State.Flags.AmpSquareDirty = true;
  }
}

void TGeneratorControl::DivGaugeBarChange() {
  Change([&] { DivGaugeBarChangeLocked(); });
  Changed();
}

void TGeneratorControl::DivGaugeBarChangeLocked() {
  Shared.Model.Divider = std::abs(FPanel.DivGaugeBar.Position);
  if (FPanel.PulseBtn.Down) {
    Shared.State.Flags.PulseDivDirty = true;
  } else {
    Shared.State.Flags.WaveDirty = true;
  }
}

void TGeneratorControl::InvertBtnClick() {
  Change([&] {
    FPanel.InvertBtn.FontColor = FPanel.InvertBtn.Down ? colors::Red : colors::Teal;
    Shared.State.Flags.InvertDirty = true;
  });
  Changed();
}

}  // namespace control
