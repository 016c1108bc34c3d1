#pragma once
// The output's shape: the waveform buttons, the amplitude and divider
// gauges.
//
// Works in the command path's frame, which must outlive it, with the mode
// buttons (a waveform chosen in pulse mode leaves it first). GUI thread only.

#include "command/PanelFrame.h"

namespace control {

class TModeButtons;

class TWaveformControls {
 public:
  TWaveformControls(TPanelFrame& frame, TModeButtons& modes) : Frame(frame), Modes(modes) {}

  // The handlers; the gauges' run inside the change that moved them, with
  // the gauge's new position.
  void FormBtnClick(TWaveform waveform);
  void AmpGaugeBarChange(int position);
  void DivGaugeBarChange(int position);

  // By meaning, through the gate.
  TOutcome SetWaveform(TWaveform waveform);
  // The attenuation step of the current waveform's attenuator, 0..15.
  TOutcome SetAttenuation(int level);
  // The square's divide-by-two (not in pulse mode).
  TOutcome SetSquareDivider(bool on);

 private:
  TPanelFrame& Frame;
  TModeButtons& Modes;
};

}  // namespace control
