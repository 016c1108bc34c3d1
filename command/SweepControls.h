#pragma once
// The sweep's controls in the bottom panel: the pass time and its label,
// the direction, the lin/log spacing, restart and pause, and the marker the
// sweep crosses.
//
// Works in the command path's frame, which must outlive it. GUI thread only.

#include "command/PanelFrame.h"

namespace control {

// The sweep-direction gauge's positions.
enum class TSweepDirection { Up = 0, Both = 1, Down = 2 };

class TSweepControls {
 public:
  explicit TSweepControls(TPanelFrame& frame) : Frame(frame) {}

  // The handlers; the gauges' run inside the change that moved them.
  void SwGaugeBarChange();
  void SweepDirBarChange();
  void SwRstBtnClick();
  void PauseBtnClick();

  // By meaning, through the gate.
  TOutcome SetPause(bool on);
  TOutcome RestartSweep();
  TOutcome SetSweepTime(int seconds);
  TOutcome SetLogSpacing(bool logarithmic);
  TOutcome SetSweepDirection(TSweepDirection direction);
  // The sweep's marker (shown units), kept where a drag keeps it.
  TOutcome SetMarker(double shownValue);

 private:
  TPanelFrame& Frame;
};

}  // namespace control
