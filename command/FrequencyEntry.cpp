// Frequency entry by dialog, and stepping with the arrow buttons.
#include "command/FrequencyEntry.h"

#include <algorithm>
#include <cmath>

#include "command/FrequencyText.h"
#include "command/SettingLimits.h"

namespace control {

namespace {

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
    const TGeneratorSettings& s = Frame.Settings();
    value = s.Step();
    if (entry == TEntry::Frequency) value = s.Frequency().GridHz();
    if (entry == TEntry::Start) value = s.Start().GridHz();
    if (entry == TEntry::Stop) value = s.Stop().GridHz();
    question.Factor = s.DividerFactor();
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
  const TGeneratorSettings s = Frame.SettingsCopy();
  if (!LimitsOf(SettingOf(entry), s).Contains(shownValue)) return TOutcome::Invalid;
  return EnterShownValue(entry, shownValue, s.DividerFactor());
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
  const TGeneratorSettings& s = Frame.Settings();
  const TSetting setting = SettingOf(entry);
  // The dialogs' range is in the units shown, the value in model hertz.
  if (!RangeOf(setting, s).TakesTyped(value / s.DividerFactor())) return TOutcome::Invalid;
  // Crossing the other limit is told first, and stored all the same.
  if (CrossesTheOtherLimit(setting, value, s)) return TOutcome::Crossed;
  return TOutcome::Done;
}

void TFrequencyEntry::StoreLocked(TEntry entry, double value) {
  TGeneratorSettings& s = Frame.Settings();
  switch (entry) {
    case TEntry::Frequency:
      s.SetFrequency(AskedFrequency(value));
      break;
    case TEntry::Step:
      // The step is only shown and used here; it is never sent.
      s.SetStep(value);
      Frame.Shared.Model.ShowStep();
      break;
    case TEntry::Start:
      // The sweep reads its limits at every tick.
      s.SetStart(AskedFrequency(value));
      break;
    case TEntry::Stop:
      s.SetStop(AskedFrequency(value));
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
  TGeneratorSettings& s = Frame.Settings();
  // In sweep mode the arrows move the marker, which the sweep follows.
  const bool sweep = s.Mode() == TMode::Sweep;
  double v = (sweep ? s.Marker() : s.Frequency()).GridHz();
  const double lowest = RangeOf(TSetting::Frequency, s).Lowest * s.DividerFactor();
  v = direction == 1 ? std::max(v - s.Step(), lowest) : v + s.Step();
  if (sweep)
    s.SetMarker(MarkerWithinLimits(AskedFrequency(v), s));
  else
    s.StepFrequency(AskedFrequency(v));
  Frame.Shared.Model.ShowStep();
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
