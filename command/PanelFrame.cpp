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

TPanelFrame::TPanelFrame(TSharedState& shared, TDeviceLink& link) : Shared(shared), Link(link) {
  Guard guard(Shared.Lock);
  ShowLocked();
}

void TPanelFrame::Change(const std::function<void()>& change) {
  Guard guard(Shared.Lock);
  const TMode before = Shared.Settings.Mode();
  change();
  TControlState& state = Shared.State;
  // A drag ends with the mode it began in, as a held arrow stops once it
  // is disabled: the release of either may never come through.
  if (Shared.Settings.Mode() != before) state.DragSlot = -1;
  const std::int32_t held = state.RepeatTag;
  if (held >= 0 && !Takes(held == 1 ? TControl::FLeftBtn : TControl::FRightBtn))
    state.RepeatTag = -1;
  ShowLocked();
}

void TPanelFrame::ShowLocked() {
  ShowOnPanel(Shared.Settings, {Shared.State.DeviceOnline, WaveformChosen}, Panel);
  ApplyModesTable(Panel, ModeKey());
  ShowOnScreenLocked();
}

void TPanelFrame::ShowOnScreenLocked() { ShowOnScreen(Shared.Settings, Shared.Model); }

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

TGeneratorSettings TPanelFrame::SettingsCopy() const {
  Guard guard(Shared.Lock);
  return Shared.Settings;
}

TOutcome TPanelFrame::UserClicked(TButtonId button, bool down) {
  if (!Takes(ControlOf(button))) {
    // The widget shows the panel's state again.
    Changed();
    return TOutcome::Disabled;
  }
  if (Handlers.Clicked) Handlers.Clicked(button, down);
  return TOutcome::Done;
}

TOutcome TPanelFrame::Press(TButtonId button) {
  const TGroup& group = GroupOf(button);
  bool down = (Panel.*button).Down;
  if (group.Group != 0 && !(down && !group.AllowAllUp)) down = !down;
  return UserClicked(button, down);
}

TOutcome TPanelFrame::UserMoved(TGaugeId gauge, int position) {
  const bool takes = Takes(ControlOf(gauge));
  if (takes) {
    const TGaugeState& g = Panel.*gauge;
    position = std::clamp(position, g.Minimum, std::max(g.Minimum, g.Maximum));
    if (position != g.Position)
      Change([&] {
        if (Handlers.MovedLocked) Handlers.MovedLocked(gauge, position);
      });
  }
  Changed();
  return takes ? TOutcome::Done : TOutcome::Disabled;
}

}  // namespace control
