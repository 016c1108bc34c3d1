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
#include "control/ModesTable.h"
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
  Failed,    // tried and did not succeed (a port that cannot be opened, no generator)
};

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
enum class TCursor { Default, SizeHor, PointingHand };

// The sweep-direction gauge's positions.
enum class TSweepDirection { Up = 0, Both = 1, Down = 2 };

// The name of the port on a port-dialog line "NAME: description", and a
// port name as given: trimmed of blanks and control characters.
std::string PortNameOfEntry(const std::string& line);

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

  // --- The gate every operation passes, whoever asks: whether a control
  // takes input now, as the modes table has it for the current mode.
  TModeKey ModeKey() const { return ModeKeyOf(FPanel, FHandshake); }
  bool Takes(TControl control) const { return control::Takes(control, ModeKey()); }

  // --- The user worked a control: a click left the button in this down
  // state, a gauge now stands at this position. Runs the control's handler;
  // a control that takes no input now is refused and the widget shown again.
  using TButtonId = control::TButtonId;
  using TGaugeId = control::TGaugeId;
  TOutcome UserClicked(TButtonId button, bool down);
  TOutcome UserMoved(TGaugeId gauge, int position);
  // Presses a button as a click does (group rules included): a screen
  // reader's action, an operation by meaning.
  TOutcome Press(TButtonId button);
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
  // The arrows: a press steps at once and arms the auto-repeat; a release
  // of the left button always ends it.
  void ControlMouseDown(int tag, TMouseButton button);
  void ControlMouseUp(TMouseButton button);
  // One step of the arrows' handler: 1 down, 2 up (the marker in sweep mode).
  void StepFrequency(int direction);
  // The screen; a press returns whether it was the corner press (beep).
  bool Image321MouseDown(TMouseButton button, int x, int y);
  TCursor Image321MouseMove(int x, int y);
  void Image321MouseUp();

  // --- The frequency dialogs. A dialog opens on the question, nothing when
  // its button takes no input now. At OK, CheckAnswer says what storing the
  // typed text would do, without storing: Crossed means the warning is due
  // first. Answer stores it, checked again: the mode may have changed while
  // a dialog or its warning was open.
  std::optional<TEntryQuestion> AskEntry(TEntry entry) const;
  TOutcome CheckAnswer(const TEntryQuestion& question, const std::string& text) const;
  TOutcome Answer(const TEntryQuestion& question, const std::string& text);

  // --- The redraw: the auto-repeat step and what a redraw advances; the
  // returned frame is drawn outside the lock.
  screen::TZOLScreenModel Redraw();
  // The screen has a bitmap of this size now; returns the frame to draw.
  screen::TZOLScreenModel ResizeScreen(int width, int height);

  // --- Connection. Connect pressed: choosePort shows the port dialog and
  // returns the chosen port's name, or nothing on Cancel. EComPort when the
  // port cannot be opened (the button stays down, no port open).
  void ConnectBtnClick(const std::function<std::optional<std::string>()>& choosePort,
                       const TWaitWithMessages& wait);
  // Connects to the named port as the Connect button does after its dialog.
  // True when online. EComPort when the port cannot be opened.
  bool ConnectTo(const std::string& name, const TWaitWithMessages& wait);
  // ConnectTo for inputs without a message box (the command line, the remote
  // control): a port that cannot be opened brings Connect up again, and
  // openError holds why. While online, the port already online changes
  // nothing, and another one must be listed and open before the working
  // connection is stopped and closed; else it stays as it was. Done when
  // online; Invalid for a name that is no port; Failed otherwise.
  TOutcome ConnectOrRelease(const std::string& name, const TWaitWithMessages& wait,
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
  // The square's divide-by-two (not in pulse mode).
  TOutcome SetSquareDivider(bool on);
  // The pulse clock's prescaler by its index in the prescaler table.
  TOutcome SetPrescaler(int index);
  TOutcome SetInvert(bool on);
  TOutcome SetPause(bool on);
  TOutcome RestartSweep();
  TOutcome SetSweepTime(int seconds);
  TOutcome SetLogSpacing(bool logarithmic);
  TOutcome SetSweepDirection(TSweepDirection direction);
  TOutcome SetValue(TEntry entry, double shownValue);
  // The sweep's marker, kept where a drag keeps it.
  TOutcome SetMarker(double shownValue);
  // One arrow step: 1 down, 2 up. An arrow held meanwhile keeps repeating.
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
  // The one locked change of an operation: afterwards the panel is brought
  // to the modes table and its snapshot published.
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
  // Run up as every release leaves it, Pause released with it.
  void ReleaseRunLocked();
  // The panel to the modes table; a held arrow that no longer takes input
  // stops repeating.
  void ApplyModesLocked();
  // What a value in model hertz would do to an entry, and storing it.
  TOutcome JudgeLocked(TEntry entry, double value) const;
  void StoreLocked(TEntry entry, double value);
  // A value in the dialogs' units, checked and stored in one locked step.
  TOutcome EnterShownValue(TEntry entry, double shownValue, double factor);
  // Moves a gauge as a handler does; its change handler runs when the
  // position really changed (also a clamp by a new minimum).
  void MoveGauge(TGaugeState& gauge, int position);
  void SetGaugeMinimum(TGaugeState& gauge, int minimum);
  void GaugeChanged(const TGaugeState& gauge);
  // Moves a gauge as a drag does, for this meaning of it; Invalid outside
  // its range.
  TOutcome Slide(TControl meaning, TGaugeId gauge, int position);
  void RunHandler(TButtonId button);
  // Before an online program connects to another port: checks the port,
  // then stops and closes the working connection.
  TOutcome LeaveForPort(const std::string& name, std::optional<serial::EComPort>& openError);

  TSharedState& Shared;
  TDeviceLink& Link;
  TPanelState FPanel;
  bool FHandshakeRunning = false;
  THandshakePhase FHandshake = THandshakePhase::None;
  struct TWriteWaiter {
    std::uint64_t Tick;  // written once TicksWritten reaches it
    std::function<void()> Done;
  };
  std::vector<TWriteWaiter> WriteWaiters;
};

}  // namespace control
