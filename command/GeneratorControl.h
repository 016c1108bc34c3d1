#pragma once
// The command path: the one way from every input to the wire. It owns the
// frame (the controls as data, the one locked change, the gate) and its
// parts by concern, each with the handlers of its controls and the
// operations by meaning that a second input (the remote control, a screen
// reader, the command line) calls:
//
//   Modes()      Run, Sweep, Pulse              (ModeButtons.h)
//   Sweep()      sweep time, direction, spacing, restart, pause, marker
//   Pulse()      period and width, prescaler, Invert
//   Waveform()   waveform buttons, amplitude and divider gauges
//   Frequency()  the frequency dialogs and the arrows
//   Pointer()    the mouse on the screen
//   Connection() Connect, the handshake, going offline
//   Written()    who waits for the wire
//
// Every operation changes the settings in one step under the state lock,
// where the settings' setters mark what is to be sent; the update tick then
// sends it. The panel and the screen are views, brought to the settings
// after every change. Nothing here draws, calls a widget or
// shows a dialog: the window shows the panel after every operation
// (PanelChanged), asks the questions and shows the messages the outcomes
// call for. Device I/O goes through TDeviceLink, outside the lock.
//
// Refers to the shared state and the device link, owned by the program's
// run, which must outlive it. GUI thread only; the operations are not
// re-entrant except through the handshake's waits.

#include <functional>

#include "command/Connection.h"
#include "command/FrequencyEntry.h"
#include "command/ModeButtons.h"
#include "command/PanelFrame.h"
#include "command/PulseControls.h"
#include "command/ScreenPointer.h"
#include "command/SweepControls.h"
#include "command/WaveformControls.h"
#include "command/WireWaiters.h"

namespace control {

class TGeneratorControl {
 public:
  TGeneratorControl(TSharedState& shared, TDeviceLink& link);
  TGeneratorControl(const TGeneratorControl&) = delete;
  TGeneratorControl& operator=(const TGeneratorControl&) = delete;

  TModeButtons& Modes() { return FModes; }
  TSweepControls& Sweep() { return FSweep; }
  TPulseControls& Pulse() { return FPulse; }
  TWaveformControls& Waveform() { return FWaveform; }
  TFrequencyEntry& Frequency() { return FFrequency; }
  TScreenPointer& Pointer() { return FPointer; }
  TConnection& Connection() { return FConnection; }
  const TConnection& Connection() const { return FConnection; }
  TWireWaiters& Written() { return FWritten; }

  const TPanelState& Panel() const { return Frame.Panel; }
  // A locked copy of the settings.
  TGeneratorSettings Settings() const { return Frame.SettingsCopy(); }
  // Called after every operation that may have changed the panel.
  void OnPanelChanged(std::function<void()> changed) { Frame.PanelChanged = std::move(changed); }

  // Start-up state of the control state (the timer is not running yet).
  void InitControlState();
  void SetValueAspect(double aspect);
  // The start-up settings, as after a new start; the connection is kept,
  // and the device stops at the next tick as at a release of Run.
  void ResetSettings();

  // The gate: whether a control, or a setting, takes input now.
  template <class T>
  bool Takes(T item) const {
    return Frame.Takes(item);
  }

  // The user worked a control: a click left the button in this down state,
  // a gauge now stands at this position. Runs the control's handler; a
  // control that takes no input now is refused and the widget shown again.
  TOutcome UserClicked(TButtonId button, bool down) { return Frame.UserClicked(button, down); }
  TOutcome UserMoved(TGaugeId gauge, int position) { return Frame.UserMoved(gauge, position); }
  // A press as a click makes it (a screen reader's action).
  TOutcome Press(TButtonId button) { return Frame.Press(button); }

  // The redraw: the arrows' auto-repeat and what a redraw advances; the
  // returned frame is drawn outside the lock.
  screen::TZOLScreenModel Redraw();
  // Takes the settings, state and panel of another command path, offline:
  // a trial of operations that must not reach the device.
  void Imitate(const TGeneratorControl& other);

  // The screen has a bitmap of this size now; returns the frame to draw.
  screen::TZOLScreenModel ResizeScreen(int width, int height);

  // Locked copies for readers of the state.
  screen::TZOLScreenModel Model() const { return Frame.Model(); }
  TControlState State() const { return Frame.State(); }

 private:
  void Clicked(TButtonId button, bool down);
  void MovedLocked(TGaugeId gauge, int position);

  TPanelFrame Frame;
  TSweepControls FSweep;
  TConnection FConnection;
  TModeButtons FModes;
  TWaveformControls FWaveform;
  TPulseControls FPulse;
  TFrequencyEntry FFrequency;
  TScreenPointer FPointer;
  TWireWaiters FWritten;
};

}  // namespace control
