#pragma once
// The one path from every input to the wire: the handlers of the main
// window's controls and the operations by meaning that a second input
// (remote control, accessibility) calls. Each works on the controls' data
// (TPanelState), the screen model and the control state, applies the checks
// the controls apply, and makes its change in one step under the state lock,
// publishing the snapshot the tick reads in the same step. The update tick
// then sends what the change flagged.
//
// Nothing here draws, calls a widget or shows a dialog: the window shows the
// panel after every operation (PanelChanged), asks the questions and shows
// the messages the outcomes call for. Device I/O (the identity probe, the
// immediate stop, the handshake) goes through TDeviceLink, outside the lock.
//
// Refers to the shared state and the device link, owned by the main window,
// which must outlive it. GUI thread only; the operations are not re-entrant
// except through the handshake's waits, which run the window's events (the
// Connect button then only releases, or takes the program offline).

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "control/ControlPanel.h"
#include "control/ControlState.h"
#include "control/HandlerHandshake.h"
#include "screen/ZOLScreenModel.h"
#include "serial/TinyComms.h"

namespace control {

class TDeviceLink;

// What became of an operation.
enum class TOutcome {
  Done,
  Crossed,   // stored, with a warning: start above stop, or stop below start
  Invalid,   // not a value the control takes; nothing changed
  Disabled,  // the control does nothing in this mode; nothing changed
};

// The values the frequency dialogs ask for.
enum class TEntry { Frequency, Step, Start, Stop };

enum class TMouseButton { Left, Other };
enum class TCursor { Default, SizeHor, PointingHand };

// The sweep-direction gauge's positions.
enum class TSweepDirection { Up = 0, Both = 1, Down = 2 };

class TGeneratorControl {
 public:
  TGeneratorControl(TSharedState& shared, TDeviceLink& link);

  const TPanelState& Panel() const { return FPanel; }
  // Called after every operation that may have changed the panel.
  std::function<void()> PanelChanged;
  // Called once each time an online device is lost (its port removed, or a
  // port error in a tick or a command), after the program went offline.
  std::function<void()> DeviceLost;

  // Start-up state of the control state (the timer is not running yet).
  void InitControlState();
  void SetValueAspect(double aspect);

  // --- The user worked a control: a click left the button in this down
  // state, a gauge now stands at this position. Runs the control's handler.
  using TButtonId = TButtonState TPanelState::*;
  using TGaugeId = TGaugeState TPanelState::*;
  void UserClicked(TButtonId button, bool down);
  void UserMoved(TGaugeId gauge, int position);
  // A button's down state was changed by code, not by a click: the data
  // and the tick's snapshot follow, no handler runs.
  void TakeWidgetDown(TButtonId button, bool down);

  // The handlers (the Part's names), for the clicks that have no dialog.
  void RunBtnClick();
  void SweepBtnClick();
  void SwGaugeBarChange();
  void SwRstBtnClick();
  void SweepDirBarChange();
  void PauseBtnClick();
  void FormBtnClick(int tag);
  void AmpGaugeBarChange();
  void DivGaugeBarChange();
  void InvertBtnClick();
  // The arrows: a press steps at once and arms the auto-repeat.
  void ControlMouseDown(int tag, TMouseButton button);
  void ControlMouseUp(TMouseButton button);
  // One step of the arrows' handler: 1 down, 2 up (the marker in sweep mode).
  void StepFrequency(int direction);
  // The screen; a press returns whether it was the corner press (beep).
  bool Image321MouseDown(TMouseButton button, int x, int y);
  TCursor Image321MouseMove(int x, int y);
  void Image321MouseUp();

  // The frequency dialogs: the text a dialog shows, and what was typed.
  std::string EntryText(TEntry entry) const;
  TOutcome EnterText(TEntry entry, const std::string& text);

  // --- The redraw: the auto-repeat step and what a redraw advances; the
  // returned frame is drawn outside the lock.
  screen::TZOLScreenModel Redraw();
  // The screen has a bitmap of this size now; returns the frame to draw.
  screen::TZOLScreenModel ResizeScreen(int width, int height);

  // --- Connection. Connect pressed: choosePort shows the port dialog and
  // returns the chosen name, or nothing on Cancel. EComPort when the port
  // cannot be opened (the button stays down, no port open).
  void ConnectBtnClick(const std::function<std::optional<std::string>()>& choosePort,
                       const TWaitWithMessages& wait);
  // Connects to the named port as the Connect button does after its dialog.
  // True when online. EComPort when the port cannot be opened.
  bool ConnectTo(const std::string& name, const TWaitWithMessages& wait);
  // ConnectTo for inputs without a message box (the command line, the remote
  // control): a port that cannot be opened brings Connect up again, and
  // openError holds why.
  bool ConnectOrRelease(const std::string& name, const TWaitWithMessages& wait,
                        std::optional<serial::EComPort>& openError);
  bool HandshakeRunning() const { return FHandshakeRunning; }
  // Connect released, as a click does: offline, the port closed.
  void ReleaseConnect();
  void Disconnect();
  // The port with this name (as listed by the port dialog) has gone.
  void WMDeviceChange(const std::string& removedPortName);
  // A port error inside a tick or a command: the device has vanished.
  void PortLost();
  // The stop command of closing, then offline; the port is closed.
  void Close();

  // --- Operations by meaning, as a user would do them with the enabled
  // controls. Values are what the dialogs show (the divided square's halves).
  TOutcome SetRun(bool on);
  TOutcome SetSweep(bool on);
  TOutcome SetPulse(bool on);
  // 1 sine, 2 triangle, 3 square.
  TOutcome SetWaveform(int waveform);
  // The attenuation step of the current waveform's attenuator, 0..15.
  TOutcome SetAttenuation(int level);
  // The square divider (0, 1) or, in pulse mode, the prescaler index (0..4).
  TOutcome SetDivider(int divider);
  TOutcome SetInvert(bool on);
  TOutcome SetPause(bool on);
  TOutcome RestartSweep();
  TOutcome SetSweepTime(int seconds);
  TOutcome SetLogSpacing(bool logarithmic);
  TOutcome SetSweepDirection(TSweepDirection direction);
  TOutcome SetValue(TEntry entry, double shownValue);
  // The marker (the pulse width in pulse mode), kept where a drag keeps it.
  TOutcome SetMarker(double shownValue);
  // One arrow step: 1 down, 2 up.
  TOutcome Step(int direction);

  // The start-up settings, as after a new start; the connection is kept,
  // and the device stops at the next tick as at a release of Run.
  void ResetSettings();
  // The pulse period (the Frequency slot) or width (the Marker slot) on the
  // code whose time is nearest to seconds, as a drag on the scale puts it.
  // Pulse mode only; a width longer than the period does not fit.
  TOutcome SetPulseTime(bool period, double seconds);

  // Calls done from TakeWritten once the tick that writes every change made
  // so far has written it (offline: once the next tick has run).
  void WhenWritten(std::function<void()> done);
  // The callbacks whose changes are written now; the window runs them after
  // each redraw, outside every lock.
  std::vector<std::function<void()>> TakeWritten();

  // Locked copies for readers of the state.
  screen::TZOLScreenModel Model() const;
  TControlState State() const;

 private:
  // The one locked change of an operation; publishes the snapshot.
  void Change(const std::function<void()>& change);
  // Reads under the lock.
  void Read(const std::function<void()>& read) const;
  // Fires PanelChanged.
  void Changed();

  // Locked parts of the handlers (the caller holds the lock).
  void RunBtnClickLocked();
  void SweepBtnClickLocked();
  void SweepDirBarChangeLocked();
  void SwGaugeBarChangeLocked();
  void PauseBtnClickLocked();
  void FormBtnClickLocked(int tag);
  void AmpGaugeBarChangeLocked();
  void DivGaugeBarChangeLocked();
  void StepFrequencyLocked(int direction);
  void DisconnectLocked();
  TOutcome EnterValueLocked(TEntry entry, double value);
  // A dialog's value as shown (the divided square's half), in one change.
  TOutcome EnterShownValue(TEntry entry, double shownValue);
  // Moves a gauge as a handler does; its change handler runs when the
  // position really changed (also a clamp by a new minimum).
  void MoveGauge(TGaugeState& gauge, int position);
  void SetGaugeMinimum(TGaugeState& gauge, int minimum);
  void GaugeChanged(const TGaugeState& gauge);
  // Presses a button as a click does, group rules included.
  TOutcome Click(TButtonId button);
  // Moves a gauge as a drag does; Invalid outside its range.
  TOutcome Slide(TGaugeId gauge, int position);
  void RunHandler(TButtonId button);

  TSharedState& Shared;
  TDeviceLink& Link;
  TPanelState FPanel;
  bool FHandshakeRunning = false;
  struct TWriteWaiter {
    std::uint64_t Tick;  // written once TicksWritten reaches it
    std::function<void()> Done;
  };
  std::vector<TWriteWaiter> WriteWaiters;
};

}  // namespace control
