// Waveform buttons, amplitude and divider gauges, and the Invert button.

#include <cstdlib>
#include <mutex>

#include "control/HandlerColors.h"
#include "control/ZOLMain.h"
#include "screen/ZOLScreen.h"
#include "ui/GaugeBar.h"
#include "ui/SpeedButton.h"

namespace control {
namespace {

using Guard = std::lock_guard<std::mutex>;

bool IsAnalog(std::int32_t waveform) { return waveform == 1 || waveform == 2; }

}  // namespace

void TMainForm::FormBtnClick(int tag) {
  ui::TSpeedButton* const buttons[] = {SineBtn, TriBtn, SquareBtn};
  if (tag < 1 || tag > 3) return;
  for (ui::TSpeedButton* b : buttons) b->SetFontColor(colors::Navy);
  buttons[tag - 1]->SetFontColor(colors::Red);
  // The divider applies to the square wave only; disabled, it keeps its value.
  DivGaugeBar->setEnabled(tag == 3);
  {
    Guard guard(Shared.Lock);
    Screen->Waveform = tag;
    Screen->AmpFromWaveform = true;
  }
  AmpGaugeBarChange();
  Guard guard(Shared.Lock);
  Shared.State.Flags.WaveDirty = true;
}

void TMainForm::AmpGaugeBarChange() {
  const int position = AmpGaugeBar->value();
  bool loadGauge = false;
  int loadedPosition = 0;
  {
    Guard guard(Shared.Lock);
    screen::TZOLScreenModel& model = *Screen;
    if (model.AmpFromWaveform) {
      // A waveform change: show the level remembered for its group. If the
      // gauge really moves, it calls this handler again, which stores it.
      model.AmpFromWaveform = false;
      loadGauge = true;
      loadedPosition = -(IsAnalog(model.Waveform) ? model.AmpLevelAnalog : model.AmpLevelSquare);
    } else if (IsAnalog(model.Waveform)) {
      model.AmpLevelAnalog = std::abs(position);
      Shared.State.Flags.AmpAnalogDirty = true;
    } else {
      model.AmpLevelSquare = std::abs(position);
      Shared.State.Flags.AmpSquareDirty = true;
    }
  }
  if (loadGauge) AmpGaugeBar->setValue(loadedPosition);
}

void TMainForm::DivGaugeBarChange() {
  const int position = DivGaugeBar->value();
  const bool pulse = PulseBtn->isChecked();
  Guard guard(Shared.Lock);
  Screen->Divider = std::abs(position);
  if (pulse) {
    Shared.State.Flags.PulseDivDirty = true;
  } else {
    Shared.State.Flags.WaveDirty = true;
  }
}

void TMainForm::InvertBtnClick() {
  InvertBtn->SetFontColor(InvertBtn->isChecked() ? colors::Red : colors::Teal);
  Guard guard(Shared.Lock);
  Shared.State.Flags.InvertDirty = true;
}

}  // namespace control
