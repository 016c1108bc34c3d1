#include "command/PanelFrame.h"

#include <algorithm>
#include <array>
#include <mutex>

namespace control {

namespace {

using Guard = std::lock_guard<std::mutex>;

// Down-state groups as the layout sets them: 0 is a push button; a button
// alone in a group with all-up allowed is a toggle.
struct TGroup {
  TButtonId Button;
  int Group;
  bool AllowAllUp;
};

constexpr std::array<TGroup, 16> Groups = {{
    {&TPanelState::FLeftBtn, 0, false},
    {&TPanelState::FDeltaFBtn, 0, false},
    {&TPanelState::FRightBtn, 0, false},
    {&TPanelState::FSetBtn, 0, false},
    {&TPanelState::FStartBtn, 0, false},
    {&TPanelState::FstopBtn, 0, false},
    {&TPanelState::SweepBtn, 1, true},
    {&TPanelState::PulseBtn, 1, true},
    {&TPanelState::InvertBtn, 2, true},
    {&TPanelState::SwRstBtn, 0, false},
    {&TPanelState::PauseBtn, 3, true},
    {&TPanelState::RunBtn, 4, true},
    {&TPanelState::ConnectBtn, 5, true},
    {&TPanelState::SineBtn, 6, false},
    {&TPanelState::TriBtn, 6, false},
    {&TPanelState::SquareBtn, 6, false},
}};

const TGroup& GroupOf(TButtonId button) {
  return *std::find_if(Groups.begin(), Groups.end(),
                       [button](const TGroup& g) { return g.Button == button; });
}

}  // namespace

TPanelFrame::TPanelFrame(TSharedState& shared, TDeviceLink& link) : Shared(shared), Link(link) {}

void TPanelFrame::Change(const std::function<void()>& change) {
  Guard guard(Shared.Lock);
  change();
  ApplyModesLocked();
  Shared.Controls = Panel.Snapshot();
}

void TPanelFrame::ApplyModesLocked() {
  const TModeKey key = ModeKey();
  ApplyModesTable(Panel, key);
  // A held arrow stops repeating the moment it is disabled: its release may
  // never come through.
  std::int32_t& held = Shared.State.RepeatTag;
  if (held >= 0 && !control::Takes(held == 1 ? TControl::FLeftBtn : TControl::FRightBtn, key))
    held = -1;
}

void TPanelFrame::Read(const std::function<void()>& read) const {
  Guard guard(Shared.Lock);
  read();
}

void TPanelFrame::Changed() {
  if (PanelChanged) PanelChanged();
}

screen::TZOLScreenModel TPanelFrame::Model() const {
  Guard guard(Shared.Lock);
  return Shared.Model;
}

TControlState TPanelFrame::State() const {
  Guard guard(Shared.Lock);
  return Shared.State;
}

TOutcome TPanelFrame::UserClicked(TButtonId button, bool down) {
  if (!Takes(ControlOf(button))) {
    // The widget shows the panel's state again.
    Changed();
    return TOutcome::Disabled;
  }
  const TGroup& group = GroupOf(button);
  if (group.Group != 0) {
    (Panel.*button).Down = down;
    if (down) {
      for (const TGroup& other : Groups)
        if (other.Group == group.Group && other.Button != button)
          (Panel.*other.Button).Down = false;
    }
  }
  if (Handlers.Clicked) Handlers.Clicked(button);
  return TOutcome::Done;
}

TOutcome TPanelFrame::Press(TButtonId button) {
  const TGroup& group = GroupOf(button);
  bool down = (Panel.*button).Down;
  if (group.Group != 0 && !(down && !group.AllowAllUp)) down = !down;
  return UserClicked(button, down);
}

void TPanelFrame::TakeWidgetDown(TButtonId button, bool down) {
  if ((Panel.*button).Down == down) return;
  Change([&] { (Panel.*button).Down = down; });
}

TOutcome TPanelFrame::UserMoved(TGaugeId gauge, int position) {
  const bool takes = Takes(ControlOf(gauge));
  if (takes) Change([&] { MoveGauge(gauge, position); });
  Changed();
  return takes ? TOutcome::Done : TOutcome::Disabled;
}

TOutcome TPanelFrame::Slide(TControl meaning, TGaugeId gauge, int position) {
  if (!Takes(meaning)) return TOutcome::Disabled;
  const TGaugeState& state = Panel.*gauge;
  if (position < state.Minimum || position > state.Maximum) return TOutcome::Invalid;
  return UserMoved(gauge, position);
}

void TPanelFrame::MoveGauge(TGaugeId gauge, int position) {
  TGaugeState& g = Panel.*gauge;
  position = std::clamp(position, g.Minimum, std::max(g.Minimum, g.Maximum));
  if (g.Position == position) return;
  g.Position = position;
  if (Handlers.GaugeChangedLocked) Handlers.GaugeChangedLocked(gauge);
}

void TPanelFrame::SetGaugeMinimum(TGaugeId gauge, int minimum) {
  (Panel.*gauge).Minimum = minimum;
  if ((Panel.*gauge).Position < minimum) MoveGauge(gauge, minimum);
}

void TPanelFrame::ReleaseRunLocked() {
  Panel.RunBtn.Down = false;
  if (Panel.PauseBtn.Down) {
    // Released as a click on Pause leaves it.
    Panel.PauseBtn.Down = false;
    Panel.PauseBtn.FontColor = colors::Teal;
  }
  Panel.RunBtn.FontColor = colors::Purple;
  Panel.RunCaption = "Run";
}

}  // namespace control
