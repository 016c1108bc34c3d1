// Run, demonstration, sweep and pulse modes.
#include "command/ModeButtons.h"

#include "command/Connection.h"
#include "command/DeviceLink.h"
#include "command/PulseControls.h"

namespace control {

void TModeButtons::RunBtnClick(bool down) {
  if (down && Frame.State().DeviceOnline && !Frame.Link.Identify()) {
    // The device no longer answers as the generator: it is lost. The user
    // asked for a run, and without a device that is the demonstration, so
    // Run stays down as "Demo".
    Connection.IdentityLost();
  }
  Frame.Change([&] { SetRunLocked(down); });
  Frame.Changed();
}

void TModeButtons::SetRunLocked(bool on) {
  TGeneratorSettings& s = Frame.Settings();
  s.SetRun(on);
  // Pause comes up with Run; a run pressed starts the sweep from its start.
  if (!on) s.SetPause(false);
  if (on) Frame.Shared.State.SweepStarted = false;
}

void TModeButtons::SweepBtnClick(TMode mode) {
  // The stop command goes out at once, before the mode changes.
  const bool portFailed = mode == TMode::Sweep && !Frame.Link.WriteNow("Z");
  Frame.Change([&] { SetModeLocked(mode); });
  Frame.Changed();
  if (portFailed) Connection.PortLost();
}

void TModeButtons::SetModeLocked(TMode mode) {
  TGeneratorSettings& s = Frame.Settings();
  const int shownBefore = s.Attenuation();
  if (mode == TMode::Sweep) Frame.Shared.State.LastMarkerState = false;
  if (s.Mode() == TMode::Pulse && mode != TMode::Pulse) LeavePulseMode(s);
  s.SetMode(mode);
  // The divider gauge comes back to 0 at every change of its meaning, and
  // the amplitude gauge shows the attenuator of the mode; each sends its
  // value when it moves.
  if (s.Divider() != 0) s.SetDivider(0);
  if (s.Attenuation() != shownBefore)
    s.SetAttenuation(mode == TMode::Pulse ? TWaveform::Square : s.Waveform(), s.Attenuation());
  // Every mode change stops the generator; the user presses Run again.
  if (s.Run()) SetRunLocked(false);
  if (mode == TMode::Pulse) EnterPulseMode(s);
}

TOutcome TModeButtons::SetRun(bool on) {
  return Frame.Settings().Run() == on ? TOutcome::Done : Frame.Press(&TPanelState::RunBtn);
}

TOutcome TModeButtons::SetSweep(bool on) {
  const TMode mode = Frame.Settings().Mode();
  if ((mode == TMode::Sweep) == on) return TOutcome::Done;
  if (on && mode == TMode::Pulse) Frame.Press(&TPanelState::PulseBtn);
  return Frame.Press(&TPanelState::SweepBtn);
}

TOutcome TModeButtons::SetPulse(bool on) {
  const TMode mode = Frame.Settings().Mode();
  if ((mode == TMode::Pulse) == on) return TOutcome::Done;
  if (on && mode == TMode::Sweep) Frame.Press(&TPanelState::SweepBtn);
  return Frame.Press(&TPanelState::PulseBtn);
}

}  // namespace control
