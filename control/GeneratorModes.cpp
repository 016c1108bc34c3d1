// Run, demonstration, sweep and pulse modes, and the sweep controls.
#include <cstdlib>
#include <string>

#include "control/DeviceLink.h"
#include "control/GeneratorControl.h"

namespace control {

namespace {
const std::string SweepTimePrefix = "Sweep time ";
}  // namespace

void TGeneratorControl::RunBtnClick() {
  if (FPanel.RunBtn.Down) {
    bool online = false;
    Read([&] { online = Shared.State.DeviceOnline; });
    if (online && !Link.Identify()) {
      // Connect released: offline. The user asked for a run, and without a
      // device that is the demonstration, so Run stays down as "Demo".
      FPanel.ConnectBtn.Down = false;
      Disconnect();
      FPanel.RunBtn.Down = true;
    }
  }
  Change([&] { RunBtnClickLocked(); });
  Changed();
}

void TGeneratorControl::RunBtnClickLocked() {
  TPanelState& p = FPanel;
  // Restart and Pause follow Run by the modes table.
  if (p.RunBtn.Down) {
    p.RunBtn.FontColor = colors::Red;
    p.RunCaption = Shared.State.DeviceOnline ? "Run" : "Demo";
    Shared.State.SweepStarted = false;
  } else {
    ReleaseRunLocked();
  }
  Shared.State.Flags.ResyncAll = true;
}

void TGeneratorControl::ReleaseRunLocked() {
  TPanelState& p = FPanel;
  p.RunBtn.Down = false;
  if (p.PauseBtn.Down) {
    p.PauseBtn.Down = false;
    PauseBtnClickLocked();
  }
  p.RunBtn.FontColor = colors::Purple;
  p.RunCaption = "Run";
}

void TGeneratorControl::SweepBtnClick() {
  // The stop command goes out at once, before the mode changes.
  const bool portFailed = FPanel.SweepBtn.Down && !Link.WriteNow("Z");
  Change([&] { SweepBtnClickLocked(); });
  Changed();
  if (portFailed) PortLost();
}

void TGeneratorControl::SweepBtnClickLocked() {
  TPanelState& p = FPanel;
  screen::TZOLScreenModel& m = Shared.Model;
  const bool sweep = p.SweepBtn.Down;
  const bool pulse = p.PulseBtn.Down;

  // What is enabled and visible in the new mode is the modes table's, which
  // the change brings the panel to when it ends.
  p.SweepBtn.FontColor = sweep ? colors::Red : colors::Teal;
  if (sweep) Shared.State.LastMarkerState = false;

  p.PulseBtn.FontColor = pulse ? colors::Red : colors::Teal;
  m.Waveform = pulse ? -std::abs(m.Waveform) : std::abs(m.Waveform);
  MoveGauge(p.DivGaugeBar, 0);
  SetGaugeMinimum(p.DivGaugeBar, pulse ? -4 : -1);
  MoveGauge(p.AmpGaugeBar, -(screen::IsAnalog(m.Waveform) ? m.AmpLevelAnalog : m.AmpLevelSquare));

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
  SwGaugeBarChangeLocked();
}

void TGeneratorControl::SwGaugeBarChange() {
  Change([&] { SwGaugeBarChangeLocked(); });
  Changed();
}

void TGeneratorControl::SwGaugeBarChangeLocked() {
  const std::string seconds = std::to_string(FPanel.SwGaugeBar.Position);
  const std::size_t padding = seconds.size() < 3 ? 3 - seconds.size() : 0;
  FPanel.SwTimeText = SweepTimePrefix + std::string(padding, ' ') + seconds + " s";
}

void TGeneratorControl::SwRstBtnClick() {
  Change([&] {
    Shared.State.Flags.SweepRestart = true;
    // A restart by hand starts from the starting end without reversing.
    Shared.State.SweepStarted = false;
  });
}

void TGeneratorControl::SweepDirBarChange() {
  Change([&] { SweepDirBarChangeLocked(); });
}

void TGeneratorControl::SweepDirBarChangeLocked() {
  const int position = FPanel.SweepDirBar.Position;
  if (position == 0) Shared.State.SweepUp = true;
  if (position == 2) Shared.State.SweepUp = false;
  // Position 1 (both ways) keeps the direction; the engine reverses it.
}

void TGeneratorControl::PauseBtnClick() {
  Change([&] { PauseBtnClickLocked(); });
  Changed();
}

void TGeneratorControl::PauseBtnClickLocked() {
  FPanel.PauseBtn.FontColor = FPanel.PauseBtn.Down ? colors::Red : colors::Teal;
}

}  // namespace control
