#pragma once
// The frame every part of the command path works in: the settings' one
// locked change, after which the panel and the screen are brought to the
// settings and the modes table; the gate; and clicks and gauge moves as the
// controls make them. Which operation a click or a gauge's move runs is the
// command path's (Handlers), which installs them.
//
// Refers to the shared state and the device link, owned by the program's
// run, which must outlive it. GUI thread only.

#include <functional>

#include "command/ControlPanel.h"
#include "command/ModesTable.h"
#include "command/SettingsViews.h"
#include "core/ControlState.h"
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
  // The panel as the window shows it: a view of the settings.
  TPanelState Panel;
  THandshakePhase Handshake = THandshakePhase::None;
  // The waveform buttons' faces change at the first choice of one.
  bool WaveformChosen = false;
  // Called after every operation that may have changed the panel.
  std::function<void()> PanelChanged;

  struct THandlers {
    // A click has left the button in this down state.
    std::function<void(TButtonId, bool down)> Clicked;
    // A gauge was moved to a position; runs inside the locked change.
    std::function<void(TGaugeId, int position)> MovedLocked;
  };
  THandlers Handlers;

  // The settings, to change inside Change and to read inside Read.
  TGeneratorSettings& Settings() { return Shared.Settings; }
  const TGeneratorSettings& Settings() const { return Shared.Settings; }

  // The one locked change of an operation; afterwards the views are brought
  // to the settings and the modes table.
  void Change(const std::function<void()>& change);
  // Reads under the lock.
  void Read(const std::function<void()>& read) const;
  // Fires PanelChanged.
  void Changed();
  // Inside a change: the screen shows the settings (also the sweep's moves).
  void ShowOnScreenLocked();

  // The gate: whether a control, or a setting, takes input now.
  TModeKey ModeKey() const { return ModeKeyOf(Shared.Settings, Handshake); }
  template <class T>
  bool Takes(T item) const {
    return control::Takes(item, ModeKey());
  }

  // The widget has changed its down state; its operation runs, unless the
  // gate refuses.
  TOutcome UserClicked(TButtonId button, bool down);
  // A press as a click makes it, group rules included.
  TOutcome Press(TButtonId button);
  TOutcome UserMoved(TGaugeId gauge, int position);

  // Locked copies for readers of the state.
  screen::TZOLScreenModel Model() const;
  TControlState State() const;
  TGeneratorSettings SettingsCopy() const;

 private:
  void ShowLocked();
};

}  // namespace control
