#pragma once
// Run, demonstration, sweep and pulse: the buttons that choose what the
// generator does.
//
// Works in the command path's frame, which must outlive it, with the
// connection (a failed identity probe goes offline) and the sweep controls
// (a mode change refreshes the sweep-time label). GUI thread only.

#include "command/PanelFrame.h"

namespace control {

class TConnection;
class TSweepControls;

class TModeButtons {
 public:
  TModeButtons(TPanelFrame& frame, TConnection& connection, TSweepControls& sweep)
      : Frame(frame), Connection(connection), Sweep(sweep) {}

  // The handlers: Run, and Sweep or Pulse (shared).
  void RunBtnClick();
  void SweepBtnClick();

  // By meaning, pressing the enabled buttons a user would: Sweep from
  // pulse mode leaves it first, and Pulse from sweep mode.
  TOutcome SetRun(bool on);
  TOutcome SetSweep(bool on);
  TOutcome SetPulse(bool on);

 private:
  void RunBtnClickLocked();
  void SweepBtnClickLocked();

  TPanelFrame& Frame;
  TConnection& Connection;
  TSweepControls& Sweep;
};

}  // namespace control
