// Run, demonstration, sweep and pulse modes, and the sweep controls.

#include <QLabel>
#include <cstdlib>
#include <mutex>
#include <string>

#include "control/HandlerColors.h"
#include "control/UpdateCycle.h"
#include "control/ZOLMain.h"
#include "screen/ZOLScreen.h"
#include "serial/TinyComms.h"
#include "ui/GaugeBar.h"
#include "ui/SpeedButton.h"

namespace control {
namespace {

const std::string SweepTimePrefix = "Sweep time ";

using Guard = std::lock_guard<std::mutex>;

bool IsAnalog(std::int32_t waveform) { return waveform == 1 || waveform == 2; }

}  // namespace

void TMainForm::RunBtnClick() {
  if (RunBtn->isChecked()) {
    bool identityLost = false;
    {
      // The probe talks to the device while online: holding the lock keeps
      // the tick from writing in between.
      Guard guard(Shared.Lock);
      if (Shared.State.DeviceOnline) {
        try {
          identityLost = !Identify();
        } catch (const serial::EComPort&) {
          identityLost = true;
        }
      }
    }
    if (identityLost) {
      ConnectBtn->setChecked(false);
      ConnectBtnClick();
      // Disconnect released Run; the user asked for it to run, and without
      // a device that is the demonstration, so it stays down as "Demo".
      RunBtn->setChecked(true);
    }
    bool online = false;
    {
      Guard guard(Shared.Lock);
      online = Shared.State.DeviceOnline;
    }
    RunBtn->SetFontColor(colors::Red);
    RunBtn->SetCaption(online ? "Run" : "Demo");
    SwRstBtn->setEnabled(SweepBtn->isChecked());
    Guard guard(Shared.Lock);
    Shared.State.SweepStarted = false;
  } else {
    if (PauseBtn->isChecked()) {
      PauseBtn->setChecked(false);
      PauseBtnClick();
    }
    RunBtn->SetFontColor(colors::Purple);
    RunBtn->SetCaption("Run");
    SwRstBtn->setEnabled(false);
  }
  PauseBtn->setEnabled(SwRstBtn->isEnabled());
  Guard guard(Shared.Lock);
  Shared.State.Flags.ResyncAll = true;
}

void TMainForm::SweepBtnClick() {
  const bool sweep = SweepBtn->isChecked();
  const bool pulse = PulseBtn->isChecked();

  // Sweep part.
  SweepBtn->SetFontColor(sweep ? colors::Red : colors::Teal);
  PulseBtn->setEnabled(!sweep);
  if (sweep) {
    bool portFailed = false;
    {
      Guard guard(Shared.Lock);
      Shared.State.LastMarkerState = false;
      try {
        Cycle->SendText("Z", true);
      } catch (const serial::EComPort&) {
        portFailed = true;
      }
    }
    if (portFailed) PortLost();
  }

  // Pulse part. Moving a gauge runs its change handler, which takes the
  // lock itself, so the gauges are moved outside it.
  PulseBtn->SetFontColor(pulse ? colors::Red : colors::Teal);
  SweepBtn->setEnabled(!pulse);
  std::int32_t waveform = 0;
  std::int32_t level = 0;
  {
    Guard guard(Shared.Lock);
    Screen->Waveform = pulse ? -std::abs(Screen->Waveform) : std::abs(Screen->Waveform);
    waveform = Screen->Waveform;
    level = IsAnalog(waveform) ? Screen->AmpLevelAnalog : Screen->AmpLevelSquare;
  }
  DivGaugeBar->setValue(0);
  DivGaugeBar->setMinimum(pulse ? -4 : -1);
  DivGaugeBar->setEnabled(pulse || waveform == 3);
  AmpGaugeBar->setValue(-level);

  for (QWidget* w : {static_cast<QWidget*>(LinLogGauge), static_cast<QWidget*>(SweepDirBar),
                     static_cast<QWidget*>(SwGaugeBar), static_cast<QWidget*>(Label1),
                     static_cast<QWidget*>(Label2), static_cast<QWidget*>(Label3),
                     static_cast<QWidget*>(Label4), static_cast<QWidget*>(SwTimeLabel)}) {
    w->setEnabled(sweep);
  }
  FSetBtn->setEnabled(!sweep && !pulse);
  FSetBtn->setVisible(!sweep);
  for (ui::TSpeedButton* b : {FLeftBtn, FRightBtn, FDeltaFBtn}) {
    b->setEnabled(!pulse);
    b->SetFontColor(sweep ? colors::Olive : colors::Arrow);
  }
  for (ui::TSpeedButton* b : {FStartBtn, FstopBtn}) {
    b->setEnabled(sweep);
    b->setVisible(sweep);
  }
  for (ui::TSpeedButton* b : {SineBtn, TriBtn, SquareBtn}) b->setEnabled(!pulse);
  InvertBtn->setEnabled(pulse);

  // Every mode change stops the generator; the user presses Run again.
  if (RunBtn->isChecked()) {
    RunBtn->setChecked(false);
    RunBtnClick();
  }

  {
    Guard guard(Shared.Lock);
    screen::TZOLScreenModel& model = *Screen;
    model.LogScale = sweep;
    model.ShowRangeSlots(sweep);
    model.ShowMarkerSlot(sweep || pulse);
    model.ShowFrequencySlot(!sweep);
    // The slot's position follows the scale just chosen.
    model.SetSlotFreq(screen::FrequencySlot, model.Slots[screen::FrequencySlot].Freq);
    // In pulse mode the marker is the pulse width: never longer than the period.
    if (pulse && model.Slots[screen::MarkerSlot].Freq > model.Slots[screen::FrequencySlot].Freq) {
      model.SetSlotFreq(screen::MarkerSlot, model.Slots[screen::FrequencySlot].Freq / 2);
    }
  }
  SwGaugeBarChange();
}

void TMainForm::SwGaugeBarChange() {
  const std::string seconds = std::to_string(SwGaugeBar->value());
  const std::size_t padding = seconds.size() < 3 ? 3 - seconds.size() : 0;
  const std::string text = SweepTimePrefix + std::string(padding, ' ') + seconds + " s";
  SwTimeLabel->setText(QString::fromStdString(text));
}

void TMainForm::SwRstBtnClick() {
  Guard guard(Shared.Lock);
  Shared.State.Flags.SweepRestart = true;
  // A restart by hand starts from the starting end without reversing.
  Shared.State.SweepStarted = false;
}

void TMainForm::SweepDirBarChange() {
  const int position = SweepDirBar->value();
  Guard guard(Shared.Lock);
  if (position == 0) Shared.State.SweepUp = true;
  if (position == 2) Shared.State.SweepUp = false;
  // Position 1 (both ways) keeps the direction; the engine reverses it.
}

void TMainForm::PauseBtnClick() {
  PauseBtn->SetFontColor(PauseBtn->isChecked() ? colors::Red : colors::Teal);
}

}  // namespace control
