#pragma once
// The frame every part of the command path works in: the controls as data,
// the one locked change that publishes the tick's snapshot and brings the
// panel to the modes table, the gate, and clicks and gauge moves as the
// controls make them. Which handler a click or a gauge's change runs is the
// command path's (Handlers), which installs them.
//
// Refers to the shared state and the device link, owned by the program's
// run, which must outlive it. GUI thread only.

#include <functional>

#include "command/ControlPanel.h"
#include "core/ControlState.h"
#include "command/ModesTable.h"
#include "screen/ZOLScreenModel.h"

namespace control {

class TDeviceLink;

// What became of an operation.
enum class TOutcome {
  Done,
  Crossed,   // stored, with a warning: start above stop, or stop below start
  Invalid,   // not a value the control takes; nothing changed
  Disabled,  // the control does nothing in this mode; nothing changed
  Failed,    // tried and did not succeed (a port that cannot be opened, no generator)
};

class TPanelFrame {
 public:
  TPanelFrame(TSharedState& shared, TDeviceLink& link);

  TSharedState& Shared;
  TDeviceLink& Link;
  TPanelState Panel;
  THandshakePhase Handshake = THandshakePhase::None;
  // Called after every operation that may have changed the panel.
  std::function<void()> PanelChanged;

  struct THandlers {
    // A click has left the button in its new down state.
    std::function<void(TButtonId)> Clicked;
    // A gauge's position really changed; runs inside the locked change.
    std::function<void(TGaugeId)> GaugeChangedLocked;
  };
  THandlers Handlers;

  // The one locked change of an operation; afterwards the panel is brought
  // to the modes table and its snapshot published.
  void Change(const std::function<void()>& change);
  // Reads under the lock.
  void Read(const std::function<void()>& read) const;
  // Fires PanelChanged.
  void Changed();

  // The gate: whether a control takes input now.
  TModeKey ModeKey() const { return ModeKeyOf(Panel, Handshake); }
  bool Takes(TControl control) const { return control::Takes(control, ModeKey()); }

  // The widget has changed its down state (and released its group); the
  // data follows and the button's handler runs, unless the gate refuses.
  TOutcome UserClicked(TButtonId button, bool down);
  // A press as a click makes it, group rules included.
  TOutcome Press(TButtonId button);
  // The down state changed by code: the data follows, no handler runs.
  void TakeWidgetDown(TButtonId button, bool down);
  TOutcome UserMoved(TGaugeId gauge, int position);
  // Moves a gauge as a drag does, for this meaning of it; Invalid outside
  // its range.
  TOutcome Slide(TControl meaning, TGaugeId gauge, int position);

  // Inside a change: moves a gauge as a handler does; its change handler
  // runs when the position really changed (also a clamp by a new minimum).
  void MoveGauge(TGaugeId gauge, int position);
  void SetGaugeMinimum(TGaugeId gauge, int minimum);
  // Run up as every release leaves it, Pause released with it.
  void ReleaseRunLocked();

  // Locked copies for readers of the state.
  screen::TZOLScreenModel Model() const;
  TControlState State() const;

 private:
  void ApplyModesLocked();
};

}  // namespace control
