#pragma once
// Frequency entry by number: the Set, step, Start and Stop dialogs, and the
// arrow buttons with their auto-repeat (the marker in sweep mode).
//
// Works in the command path's frame, which must outlive it. GUI thread only.

#include <optional>
#include <string>

#include "command/PanelFrame.h"

namespace control {

// The values the frequency dialogs ask for.
enum class TEntry { Frequency, Step, Start, Stop };

// A frequency dialog as it was opened: the text it shows, and the divider
// factor that text was divided by. What is typed is read in the same units.
struct TEntryQuestion {
  TEntry Entry = TEntry::Frequency;
  std::string Text;
  double Factor = 1.0;
};

enum class TMouseButton { Left, Other };

class TFrequencyEntry {
 public:
  explicit TFrequencyEntry(TPanelFrame& frame) : Frame(frame) {}

  // A dialog opens on the question, nothing when its button takes no input
  // now. At OK, CheckAnswer says what storing the typed text would do,
  // without storing: Crossed means the warning is due first. Answer stores
  // it, checked again: the mode may have changed while a dialog or its
  // warning was open.
  std::optional<TEntryQuestion> AskEntry(TEntry entry) const;
  TOutcome CheckAnswer(const TEntryQuestion& question, const std::string& text) const;
  TOutcome Answer(const TEntryQuestion& question, const std::string& text);
  // By meaning: a value in the units shown, within the setting's limits.
  TOutcome SetValue(TEntry entry, double shownValue);

  // The arrows (tag 1 down, 2 up): a press steps at once and arms the
  // auto-repeat; a release of the left button always ends it.
  void ControlMouseDown(int tag, TMouseButton button);
  void ControlMouseUp(TMouseButton button);
  // One step: 1 down, 2 up.
  void StepFrequency(int direction);
  // A step of its own through the gate (the wheel, a screen reader): an
  // arrow held meanwhile goes on repeating.
  TOutcome Step(int direction);
  // The auto-repeat's turn, once a redraw, inside the redraw's change.
  void RepeatStep();

 private:
  void StepLocked(int direction);
  // What a value in model hertz would do to an entry, and storing it.
  TOutcome JudgeLocked(TEntry entry, double value) const;
  void StoreLocked(TEntry entry, double value);
  // A value in the dialogs' units, checked and stored in one locked step.
  TOutcome EnterShownValue(TEntry entry, double shownValue, double factor);

  TPanelFrame& Frame;
};

}  // namespace control
