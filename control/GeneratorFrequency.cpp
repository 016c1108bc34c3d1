// Frequency entry by dialog, stepping with the arrow buttons, and what a
// redraw advances (the arrows' auto-repeat among it).
#include <algorithm>
#include <cmath>

#include "control/FrequencyText.h"
#include "control/GeneratorControl.h"
#include "control/SettingLimits.h"

namespace control {

namespace {

constexpr double LowestStepFreq = 0.1;
constexpr std::int32_t RepeatDelayRedraws = 10;

TControl ControlOf(TEntry entry) {
  switch (entry) {
    case TEntry::Frequency:
      return TControl::FSetBtn;
    case TEntry::Step:
      return TControl::FDeltaFBtn;
    case TEntry::Start:
      return TControl::FStartBtn;
    case TEntry::Stop:
      return TControl::FstopBtn;
  }
  return TControl::FSetBtn;
}

TSetting SettingOf(TEntry entry) {
  switch (entry) {
    case TEntry::Frequency:
      return TSetting::Frequency;
    case TEntry::Step:
      return TSetting::Step;
    case TEntry::Start:
      return TSetting::Start;
    case TEntry::Stop:
      return TSetting::Stop;
  }
  return TSetting::Frequency;
}

// In model hertz: the shown value times the divider factor; -1 when it is
// not a number or overflows with the factor, so no infinity reaches the model.
double ModelValue(double shownValue, double factor) {
  const double value = shownValue * factor;
  return std::isfinite(value) ? value : -1.0;
}

}  // namespace

std::optional<TEntryQuestion> TGeneratorControl::AskEntry(TEntry entry) const {
  if (!Takes(ControlOf(entry))) return std::nullopt;
  TEntryQuestion question;
  question.Entry = entry;
  double value = 0.0;
  Read([&] {
    const screen::TZOLScreenModel& m = Shared.Model;
    value = m.Step;
    if (entry == TEntry::Frequency) value = m.Slots[screen::FrequencySlot].Freq;
    if (entry == TEntry::Start) value = m.Slots[screen::StartSlot].Freq;
    if (entry == TEntry::Stop) value = m.Slots[screen::StopSlot].Freq;
    question.Factor = m.DividerFactor();
  });
  question.Text = FormatDialogNumber(value / question.Factor);
  return question;
}

TOutcome TGeneratorControl::CheckAnswer(const TEntryQuestion& question,
                                        const std::string& text) const {
  if (!Takes(ControlOf(question.Entry))) return TOutcome::Disabled;
  TOutcome outcome = TOutcome::Invalid;
  Read([&] { outcome = JudgeLocked(question.Entry, ModelValue(ParseDialogNumber(text), question.Factor)); });
  return outcome;
}

TOutcome TGeneratorControl::Answer(const TEntryQuestion& question, const std::string& text) {
  return EnterShownValue(question.Entry, ParseDialogNumber(text), question.Factor);
}

// Inputs other than the dialogs keep to the limits in the units shown.
TOutcome TGeneratorControl::SetValue(TEntry entry, double shownValue) {
  if (!Takes(ControlOf(entry))) return TOutcome::Disabled;
  const screen::TZOLScreenModel m = Model();
  if (!LimitsOf(SettingOf(entry), m).Contains(shownValue)) return TOutcome::Invalid;
  return EnterShownValue(entry, shownValue, m.DividerFactor());
}

TOutcome TGeneratorControl::EnterShownValue(TEntry entry, double shownValue, double factor) {
  if (!Takes(ControlOf(entry))) return TOutcome::Disabled;
  TOutcome outcome = TOutcome::Invalid;
  Change([&] {
    const double value = ModelValue(shownValue, factor);
    outcome = JudgeLocked(entry, value);
    if (outcome != TOutcome::Invalid) StoreLocked(entry, value);
  });
  Changed();
  return outcome;
}

TOutcome TGeneratorControl::JudgeLocked(TEntry entry, double value) const {
  const screen::TZOLScreenModel& m = Shared.Model;
  if (!LimitsOf(SettingOf(entry), m).TakesTyped(value)) return TOutcome::Invalid;
  // Crossing the other limit is told first, and stored all the same.
  if (entry == TEntry::Start && value > m.Slots[screen::StopSlot].Freq) return TOutcome::Crossed;
  if (entry == TEntry::Stop && value < m.Slots[screen::StartSlot].Freq) return TOutcome::Crossed;
  return TOutcome::Done;
}

void TGeneratorControl::StoreLocked(TEntry entry, double value) {
  screen::TZOLScreenModel& m = Shared.Model;
  switch (entry) {
    case TEntry::Frequency:
      m.SetSlotFreq(screen::FrequencySlot, value);
      Shared.State.Flags.FreqDirty = true;
      break;
    case TEntry::Step:
      // The step is only shown and used here; it is never sent.
      m.SetStep(value);
      m.ShowStep();
      break;
    case TEntry::Start:
    case TEntry::Stop:
      // The sweep reads its limits from the slots at every tick.
      m.SetSlotFreq(entry == TEntry::Start ? screen::StartSlot : screen::StopSlot, value);
      break;
  }
}

void TGeneratorControl::ControlMouseDown(int tag, TMouseButton button) {
  if (button != TMouseButton::Left || (tag != 1 && tag != 2)) return;
  // A disabled arrow does nothing, whoever presses it.
  if (!Takes(tag == 1 ? TControl::FLeftBtn : TControl::FRightBtn)) return;
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
