// Run, demonstration, sweep and pulse modes.
#include "command/ModeButtons.h"

#include <cstdlib>

#include "command/Connection.h"
#include "command/DeviceLink.h"
#include "command/SweepControls.h"

namespace control {

void TModeButtons::RunBtnClick() {
  TPanelState& p = Frame.Panel;
  if (p.RunBtn.Down && Frame.State().DeviceOnline && !Frame.Link.Identify()) {
    // Connect released: offline. The user asked for a run, and without a
    // device that is the demonstration, so Run stays down as "Demo".
    p.ConnectBtn.Down = false;
    Connection.Disconnect();
    p.RunBtn.Down = true;
  }
  Frame.Change([&] { RunBtnClickLocked(); });
  Frame.Changed();
}

void TModeButtons::RunBtnClickLocked() {
  TPanelState& p = Frame.Panel;
  // Restart and Pause follow Run by the modes table.
  if (p.RunBtn.Down) {
    p.RunBtn.FontColor = colors::Red;
    p.RunCaption = Frame.Shared.State.DeviceOnline ? "Run" : "Demo";
    Frame.Shared.State.SweepStarted = false;
  } else {
    Frame.ReleaseRunLocked();
  }
  Frame.Shared.State.Flags.ResyncAll = true;
}

void TModeButtons::SweepBtnClick() {
  // The stop command goes out at once, before the mode changes.
  const bool portFailed = Frame.Panel.SweepBtn.Down && !Frame.Link.WriteNow("Z");
  Frame.Change([&] { SweepBtnClickLocked(); });
  Frame.Changed();
  if (portFailed) Connection.PortLost();
}

void TModeButtons::SweepBtnClickLocked() {
  TPanelState& p = Frame.Panel;
  screen::TZOLScreenModel& m = Frame.Shared.Model;
  const bool sweep = p.SweepBtn.Down;
  const bool pulse = p.PulseBtn.Down;

  // What is enabled and visible in the new mode is the modes table's, which
  // the change brings the panel to when it ends.
  p.SweepBtn.FontColor = sweep ? colors::Red : colors::Teal;
  if (sweep) Frame.Shared.State.LastMarkerState = false;

  p.PulseBtn.FontColor = pulse ? colors::Red : colors::Teal;
  m.Waveform = pulse ? -std::abs(m.Waveform) : std::abs(m.Waveform);
  Frame.MoveGauge(&TPanelState::DivGaugeBar, 0);
  Frame.SetGaugeMinimum(&TPanelState::DivGaugeBar, pulse ? -4 : -1);
  Frame.MoveGauge(&TPanelState::AmpGaugeBar,
                  -(screen::IsAnalog(m.Waveform) ? m.AmpLevelAnalog : m.AmpLevelSquare));

  for (TButtonState* b : {&p.FLeftBtn, &p.FRightBtn, &p.FDeltaFBtn})
    b->FontColor = sweep ? colors::Olive : colors::Arrow;

  // Every mode change stops the generator; the user presses Run again.
  if (p.RunBtn.Down) {
    p.RunBtn.Down = false;
    RunBtnClickLocked();
  }

  m.LogScale = sweep;
  m.ShowRangeSlots(sweep);
  m.ShowMarkerSlot(sweep || pulse);
  m.ShowFrequencySlot(!sweep);
  // The slot's position follows the scale just chosen.
  m.SetSlotFreq(screen::FrequencySlot, m.Slots[screen::FrequencySlot].Freq);
  // In pulse mode the marker is the pulse width: never longer than the period.
  if (pulse && m.Slots[screen::MarkerSlot].Freq > m.Slots[screen::FrequencySlot].Freq)
    m.SetSlotFreq(screen::MarkerSlot, m.Slots[screen::FrequencySlot].Freq / 2);
  Sweep.SwGaugeBarChange();
}

TOutcome TModeButtons::SetRun(bool on) {
  return Frame.Panel.RunBtn.Down == on ? TOutcome::Done : Frame.Press(&TPanelState::RunBtn);
}

TOutcome TModeButtons::SetSweep(bool on) {
  if (Frame.Panel.SweepBtn.Down == on) return TOutcome::Done;
  if (on && Frame.Panel.PulseBtn.Down) Frame.Press(&TPanelState::PulseBtn);
  return Frame.Press(&TPanelState::SweepBtn);
}

TOutcome TModeButtons::SetPulse(bool on) {
  if (Frame.Panel.PulseBtn.Down == on) return TOutcome::Done;
  if (on && Frame.Panel.SweepBtn.Down) Frame.Press(&TPanelState::SweepBtn);
  return Frame.Press(&TPanelState::PulseBtn);
}

}  // namespace control
