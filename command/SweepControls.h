#pragma once
// The sweep's controls in the bottom panel: the pass time, the direction,
// the lin/log spacing, restart and pause, and the marker the sweep crosses.
//
// Works in the command path's frame, which must outlive it. GUI thread only.

#include "command/PanelFrame.h"

namespace control {

class TSweepControls {
 public:
  explicit TSweepControls(TPanelFrame& frame) : Frame(frame) {}

  // The handlers; the gauges' run inside the change that moved them, with
  // the gauge's new position.
  void SwGaugeBarChange(int position);
  void SweepDirBarChange(int position);
  void LinLogGaugeChange(int position);
  void SwRstBtnClick();
  void PauseBtnClick(bool down);

  // By meaning, through the gate.
  TOutcome SetPause(bool on);
  TOutcome RestartSweep();
  TOutcome SetSweepTime(int seconds);
  TOutcome SetLogSpacing(bool logarithmic);
  TOutcome SetSweepDirection(TDirection direction);
  // The sweep's marker (shown units), between Start and Stop.
  TOutcome SetMarker(double shownValue);

 private:
  // A gauge moved by meaning: Invalid off the setting's limits.
  TOutcome Slide(TSetting setting, TGaugeId gauge, int position);

  TPanelFrame& Frame;
};

}  // namespace control
