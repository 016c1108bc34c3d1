// Frequency entry by dialog, stepping with the arrow buttons, and what a
// redraw advances (the arrows' auto-repeat among it).
#include <algorithm>
#include <cmath>

#include "control/FrequencyText.h"
#include "control/GeneratorControl.h"

namespace control {

namespace {

constexpr double LowestRangeFreq = 0.1;
constexpr double LowestStepFreq = 0.1;
constexpr std::int32_t RepeatDelayRedraws = 10;

}  // namespace

std::string TGeneratorControl::EntryText(TEntry entry) const {
  double shown = 0.0;
  Read([&] {
    const screen::TZOLScreenModel& m = Shared.Model;
    double value = m.Step;
    if (entry == TEntry::Frequency) value = m.Slots[screen::FrequencySlot].Freq;
    if (entry == TEntry::Start) value = m.Slots[screen::StartSlot].Freq;
    if (entry == TEntry::Stop) value = m.Slots[screen::StopSlot].Freq;
    shown = value / m.DividerFactor();
  });
  return FormatDialogNumber(shown);
}

TOutcome TGeneratorControl::EnterText(TEntry entry, const std::string& text) {
  return EnterShownValue(entry, ParseDialogNumber(text));
}

// In model hertz: the shown value times the divider factor; -1 when it is
// not a number or overflows with the factor, so no infinity reaches the model.
TOutcome TGeneratorControl::EnterShownValue(TEntry entry, double shownValue) {
  TOutcome outcome = TOutcome::Invalid;
  Change([&] {
    const double value = shownValue * Shared.Model.DividerFactor();
    outcome = EnterValueLocked(entry, std::isfinite(value) ? value : -1.0);
  });
  Changed();
  return outcome;
}

TOutcome TGeneratorControl::EnterValueLocked(TEntry entry, double value) {
  screen::TZOLScreenModel& m = Shared.Model;
  switch (entry) {
    case TEntry::Frequency:
      // No upper bound: the grid limits values of 12.5 MHz and above.
      if (!(value >= 0)) return TOutcome::Invalid;
      m.SetSlotFreq(screen::FrequencySlot, value);
      Shared.State.Flags.FreqDirty = true;
      return TOutcome::Done;
    case TEntry::Step:
      // The step is only shown and used here; it is never sent.
      if (!(value >= 0)) return TOutcome::Invalid;
      m.SetStep(value);
      m.ShowStep();
      return TOutcome::Done;
    case TEntry::Start:
    case TEntry::Stop: {
      if (!(value >= LowestRangeFreq && value <= screen::TopFreq)) return TOutcome::Invalid;
      const bool start = entry == TEntry::Start;
      // Crossing the other limit is told, and the value stored all the same.
      const bool crossed = start ? value > m.Slots[screen::StopSlot].Freq
                                 : value < m.Slots[screen::StartSlot].Freq;
      m.SetSlotFreq(start ? screen::StartSlot : screen::StopSlot, value);
      return crossed ? TOutcome::Crossed : TOutcome::Done;
    }
  }
  return TOutcome::Invalid;
}

void TGeneratorControl::ControlMouseDown(int tag, TMouseButton button) {
  if (button != TMouseButton::Left || (tag != 1 && tag != 2)) return;
  // A disabled arrow does nothing, whoever presses it.
  if (!(tag == 1 ? FPanel.FLeftBtn : FPanel.FRightBtn).Enabled) return;
  Change([&] {
    Shared.State.RepeatDelay = RepeatDelayRedraws;
    Shared.State.RepeatTag = tag;
    StepFrequencyLocked(tag);
  });
}

void TGeneratorControl::ControlMouseUp(TMouseButton button) {
  if (button != TMouseButton::Left) return;
  Change([&] { Shared.State.RepeatTag = -1; });
}

void TGeneratorControl::StepFrequency(int direction) {
  Change([&] { StepFrequencyLocked(direction); });
}

void TGeneratorControl::StepFrequencyLocked(int direction) {
  if (direction != 1 && direction != 2) return;
  // In sweep mode the arrows move the marker, which the sweep follows.
  const bool sweep = FPanel.SweepBtn.Down;
  screen::TZOLScreenModel& m = Shared.Model;
  const int source = sweep ? screen::MarkerSlot : screen::FrequencySlot;
  double v = m.Slots[source].Freq;
  v = direction == 1 ? std::max(v - m.Step, LowestStepFreq) : v + m.Step;
  if (!sweep) {
    m.SetSlotFreq(screen::FrequencySlot, v);
    Shared.State.Flags.FreqStepDirty = true;
    m.ShowStep();
    return;
  }
  // Stopped at a limit, the marker takes that pointer's exact place.
  const screen::TFreqSlot* limit = nullptr;
  const screen::TFreqSlot& startSlot = m.Slots[screen::StartSlot];
  const screen::TFreqSlot& stopSlot = m.Slots[screen::StopSlot];
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
  m.SetSlotFreq(screen::MarkerSlot, v);
  if (limit) {
    m.Slots[screen::MarkerSlot].Position = limitPosition;
    m.Slots[screen::MarkerSlot].Word = limitWord;
  }
  m.ShowStep();
}

screen::TZOLScreenModel TGeneratorControl::Redraw() {
  screen::TZOLScreenModel frame;
  Change([&] {
    TControlState& s = Shared.State;
    if (s.RepeatTag >= 0) {
      if (s.RepeatDelay > 0)
        --s.RepeatDelay;
      else
        StepFrequencyLocked(s.RepeatTag);
    }
    frame = Shared.Model.AdvanceRedraw();
  });
  return frame;
}

screen::TZOLScreenModel TGeneratorControl::ResizeScreen(int width, int height) {
  screen::TZOLScreenModel frame;
  Change([&] {
    Shared.Model.SetBitmapSize(width, height);
    frame = Shared.Model.AdvanceRedraw();
  });
  return frame;
}

}  // namespace control
