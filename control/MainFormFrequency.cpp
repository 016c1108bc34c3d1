// Frequency entry by dialog, and stepping with the arrow buttons.

#include <algorithm>
#include <cmath>
#include <mutex>

#include "control/FrequencyText.h"
#include "control/ZOLMain.h"
#include "screen/ZOLScreen.h"
#include "ui/Dialogs.h"
#include "ui/SpeedButton.h"

namespace control {
namespace {

using Guard = std::lock_guard<std::mutex>;

constexpr double LowestRangeFreq = 0.1;
constexpr double HighestRangeFreq = 12500000.0;
constexpr double LowestStepFreq = 0.1;
constexpr std::int32_t RepeatDelayRedraws = 10;

// What the user typed, in model hertz; -1 (or another negative) when it is
// not a number. A value that overflows with the divider factor is refused
// too, so no infinity reaches the model.
double EnteredValue(const QString& text, int factor) {
  const double v = ParseDialogNumber(text.toStdString()) * factor;
  return std::isfinite(v) ? v : -1.0;
}

}  // namespace

void TMainForm::FSetBtnClick() {
  int factor = 1;
  QString text;
  {
    Guard guard(Shared.Lock);
    factor = Screen->DividerFactor();
    text = QString::fromStdString(
        FormatDialogNumber(Screen->Slots[screen::FrequencySlot].Freq / factor));
  }
  if (!Dialogs->InputQuery("Enter frequency value", "Frequency value in Hz:", text)) return;
  const double v = EnteredValue(text, factor);
  if (v >= 0) {
    Guard guard(Shared.Lock);
    Screen->SetSlotFreq(screen::FrequencySlot, v);
    Shared.State.Flags.FreqDirty = true;
    return;
  }
  Dialogs->MessageBox("Invalid frequency value", "Error", ui::TMsgIcon::Error);
  bool armed = false;
  {
    Guard guard(Shared.Lock);
    armed = Shared.State.CornerArmed;
  }
  if (armed) HiddenAboutText();
}

void TMainForm::FDeltaFBtnClick() {
  int factor = 1;
  QString text;
  {
    Guard guard(Shared.Lock);
    factor = Screen->DividerFactor();
    text = QString::fromStdString(FormatDialogNumber(Screen->Step / factor));
  }
  if (!Dialogs->InputQuery("Enter frequency step", "Frequency step in Hz:", text)) return;
  const double v = EnteredValue(text, factor);
  if (v < 0) {
    Dialogs->MessageBox("Invalid frequency step value", "Error", ui::TMsgIcon::Error);
    return;
  }
  // The step is only shown and used here; it is never sent.
  Guard guard(Shared.Lock);
  Screen->SetStep(v);
  Screen->ShowStep();
}

void TMainForm::FSetRangeBtnClick(int tag) {
  if (tag != screen::StartSlot && tag != screen::StopSlot) return;
  const bool start = tag == screen::StartSlot;
  const QString middle = start ? "art " : "op ";
  const QString title = "Enter st" + middle + "frequency value";
  const QString prompt = "St" + middle + "frequency value in Hz:";
  int factor = 1;
  QString text;
  {
    Guard guard(Shared.Lock);
    factor = Screen->DividerFactor();
    text = QString::fromStdString(FormatDialogNumber(Screen->Slots[tag].Freq / factor));
  }
  if (!Dialogs->InputQuery(title, prompt, text)) return;
  const double v = EnteredValue(text, factor);
  if (v < LowestRangeFreq || v > HighestRangeFreq) {
    Dialogs->MessageBox("Invalid frequency value", "Error", ui::TMsgIcon::Error);
    return;
  }
  bool crossed = false;
  {
    Guard guard(Shared.Lock);
    crossed = start ? v > Screen->Slots[screen::StopSlot].Freq
                    : v < Screen->Slots[screen::StartSlot].Freq;
  }
  // The warning informs; the value is stored all the same.
  if (crossed) {
    Dialogs->MessageBox(start ? "Start value is higher than stop value"
                              : "Stop value is lower than start value",
                        "Warning", ui::TMsgIcon::Warning);
  }
  Guard guard(Shared.Lock);
  Screen->SetSlotFreq(tag, v);
}

void TMainForm::ControlMouseDown(int tag, Qt::MouseButton button) {
  if (button != Qt::LeftButton) return;
  {
    Guard guard(Shared.Lock);
    Shared.State.RepeatDelay = RepeatDelayRedraws;
    Shared.State.RepeatTag = tag;
  }
  RepeatStep();
}

void TMainForm::ControlMouseUp(Qt::MouseButton button) {
  if (button != Qt::LeftButton) return;
  Guard guard(Shared.Lock);
  Shared.State.RepeatTag = -1;
}

void TMainForm::RepeatStep() {
  std::int32_t tag = -1;
  {
    Guard guard(Shared.Lock);
    tag = Shared.State.RepeatTag;
  }
  if (tag >= 0) StepFrequency(tag);
}

void TMainForm::StepFrequency(int direction) {
  if (direction != 1 && direction != 2) return;
  // In sweep mode the arrows move the marker, which the sweep follows.
  const bool sweep = SweepBtn->isChecked();
  Guard guard(Shared.Lock);
  screen::TZOLScreenModel& model = *Screen;
  const int source = sweep ? screen::MarkerSlot : screen::FrequencySlot;
  double v = model.Slots[source].Freq;
  if (direction == 1) {
    v = std::max(v - model.Step, LowestStepFreq);
  } else {
    v += model.Step;
  }
  if (!sweep) {
    model.SetSlotFreq(screen::FrequencySlot, v);
    Shared.State.Flags.FreqStepDirty = true;
    model.ShowStep();
    return;
  }
  // Stopped at a limit, the marker takes that pointer's exact place.
  const screen::TFreqSlot* limit = nullptr;
  const screen::TFreqSlot& startSlot = model.Slots[screen::StartSlot];
  const screen::TFreqSlot& stopSlot = model.Slots[screen::StopSlot];
  if (startSlot.Visible && v <= startSlot.Freq) {
    v = startSlot.Freq;
    limit = &startSlot;
  }
  if (stopSlot.Visible && v >= stopSlot.Freq) {
    v = stopSlot.Freq;
    limit = &stopSlot;
  }
  const double limitPosition = limit ? limit->Position : 0.0;
  const std::int32_t limitWord = limit ? limit->Word : 0;
  model.SetSlotFreq(screen::MarkerSlot, v);
  if (limit) {
    model.Slots[screen::MarkerSlot].Position = limitPosition;
    model.Slots[screen::MarkerSlot].Word = limitWord;
  }
  model.ShowStep();
}

}  // namespace control
