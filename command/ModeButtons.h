#pragma once
// Run, demonstration, sweep and pulse: the buttons that choose what the
// generator does.
//
// Works in the command path's frame, which must outlive it, with the
// connection (a failed identity probe loses the generator). GUI thread only.

#include "command/PanelFrame.h"

namespace control {

class TConnection;

class TModeButtons {
 public:
  TModeButtons(TPanelFrame& frame, TConnection& connection)
      : Frame(frame), Connection(connection) {}

  // The handlers: Run pressed or released, and the mode Sweep and Pulse
  // leave chosen (neither down: normal).
  void RunBtnClick(bool down);
  void SweepBtnClick(TMode mode);

  // By meaning, pressing the enabled buttons a user would: Sweep from
  // pulse mode leaves it first, and Pulse from sweep mode.
  TOutcome SetRun(bool on);
  TOutcome SetSweep(bool on);
  TOutcome SetPulse(bool on);

 private:
  void SetRunLocked(bool on);
  void SetModeLocked(TMode mode);

  TPanelFrame& Frame;
  TConnection& Connection;
};

}  // namespace control
