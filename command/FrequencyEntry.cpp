// Frequency entry by dialog, and stepping with the arrow buttons.
#include "command/FrequencyEntry.h"

#include <algorithm>
#include <cmath>

#include "command/FrequencyText.h"
#include "command/SettingLimits.h"

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

std::optional<TEntryQuestion> TFrequencyEntry::AskEntry(TEntry entry) const {
  if (!Frame.Takes(ControlOf(entry))) return std::nullopt;
  TEntryQuestion question;
  question.Entry = entry;
  double value = 0.0;
  Frame.Read([&] {
    const screen::TZOLScreenModel& m = Frame.Shared.Model;
    value = m.Step;
    if (entry == TEntry::Frequency) value = m.Slots[screen::FrequencySlot].Freq;
    if (entry == TEntry::Start) value = m.Slots[screen::StartSlot].Freq;
    if (entry == TEntry::Stop) value = m.Slots[screen::StopSlot].Freq;
    question.Factor = m.DividerFactor();
  });
  question.Text = FormatDialogNumber(value / question.Factor);
  return question;
}

TOutcome TFrequencyEntry::CheckAnswer(const TEntryQuestion& question,
                                      const std::string& text) const {
  if (!Frame.Takes(ControlOf(question.Entry))) return TOutcome::Disabled;
  TOutcome outcome = TOutcome::Invalid;
  Frame.Read([&] {
    outcome = JudgeLocked(question.Entry, ModelValue(ParseDialogNumber(text), question.Factor));
  });
  return outcome;
}

TOutcome TFrequencyEntry::Answer(const TEntryQuestion& question, const std::string& text) {
  return EnterShownValue(question.Entry, ParseDialogNumber(text), question.Factor);
}

// Inputs other than the dialogs keep to the limits in the units shown.
TOutcome TFrequencyEntry::SetValue(TEntry entry, double shownValue) {
  if (!Frame.Takes(ControlOf(entry))) return TOutcome::Disabled;
  const screen::TZOLScreenModel m = Frame.Model();
  if (!LimitsOf(SettingOf(entry), m).Contains(shownValue)) return TOutcome::Invalid;
  return EnterShownValue(entry, shownValue, m.DividerFactor());
}

TOutcome TFrequencyEntry::EnterShownValue(TEntry entry, double shownValue, double factor) {
  if (!Frame.Takes(ControlOf(entry))) return TOutcome::Disabled;
  TOutcome outcome = TOutcome::Invalid;
  Frame.Change([&] {
    const double value = ModelValue(shownValue, factor);
    outcome = JudgeLocked(entry, value);
    if (outcome != TOutcome::Invalid) StoreLocked(entry, value);
  });
  Frame.Changed();
  return outcome;
}

TOutcome TFrequencyEntry::JudgeLocked(TEntry entry, double value) const {
  const screen::TZOLScreenModel& m = Frame.Shared.Model;
  if (!LimitsOf(SettingOf(entry), m).TakesTyped(value)) return TOutcome::Invalid;
  // Crossing the other limit is told first, and stored all the same.
  if (entry == TEntry::Start && value > m.Slots[screen::StopSlot].Freq) return TOutcome::Crossed;
  if (entry == TEntry::Stop && value < m.Slots[screen::StartSlot].Freq) return TOutcome::Crossed;
  return TOutcome::Done;
}

void TFrequencyEntry::StoreLocked(TEntry entry, double value) {
  screen::TZOLScreenModel& m = Frame.Shared.Model;
  switch (entry) {
    case TEntry::Frequency:
      m.SetSlotFreq(screen::FrequencySlot, value);
      Frame.Shared.State.Flags.FreqDirty = true;
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

void TFrequencyEntry::ControlMouseDown(int tag, TMouseButton button) {
  if (button != TMouseButton::Left || (tag != 1 && tag != 2)) return;
  // A disabled arrow does nothing, whoever presses it.
  if (!Frame.Takes(tag == 1 ? TControl::FLeftBtn : TControl::FRightBtn)) return;
  Frame.Change([&] {
    Frame.Shared.State.RepeatDelay = RepeatDelayRedraws;
    Frame.Shared.State.RepeatTag = tag;
    StepLocked(tag);
  });
}

void TFrequencyEntry::ControlMouseUp(TMouseButton button) {
  if (button != TMouseButton::Left) return;
  Frame.Change([&] { Frame.Shared.State.RepeatTag = -1; });
}

void TFrequencyEntry::StepFrequency(int direction) {
  Frame.Change([&] { StepLocked(direction); });
}

void TFrequencyEntry::StepLocked(int direction) {
  if (direction != 1 && direction != 2) return;
  // In sweep mode the arrows move the marker, which the sweep follows.
  const bool sweep = Frame.Panel.SweepBtn.Down;
  screen::TZOLScreenModel& m = Frame.Shared.Model;
  const int source = sweep ? screen::MarkerSlot : screen::FrequencySlot;
  double v = m.Slots[source].Freq;
  v = direction == 1 ? std::max(v - m.Step, LowestStepFreq) : v + m.Step;
  if (!sweep) {
    m.SetSlotFreq(screen::FrequencySlot, v);
    Frame.Shared.State.Flags.FreqStepDirty = true;
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

void TFrequencyEntry::RepeatStep() {
  TControlState& s = Frame.Shared.State;
  if (s.RepeatTag < 0) return;
  if (s.RepeatDelay > 0)
    --s.RepeatDelay;
  else
    StepLocked(s.RepeatTag);
}

// A step of its own: an arrow held meanwhile goes on repeating, as the hand
// on it has not let go.
TOutcome TFrequencyEntry::Step(int direction) {
  if (direction != 1 && direction != 2) return TOutcome::Invalid;
  if (!Frame.Takes(direction == 1 ? TControl::FLeftBtn : TControl::FRightBtn))
    return TOutcome::Disabled;
  StepFrequency(direction);
  return TOutcome::Done;
}

}  // namespace control
