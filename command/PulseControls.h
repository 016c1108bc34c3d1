#pragma once
// Pulse mode's own controls: the period and width by time, the prescaler
// (the divider gauge's meaning in pulse mode) and the Invert button.
//
// Works in the command path's frame, which must outlive it. GUI thread only.

#include "command/PanelFrame.h"

namespace control {

class TPulseControls {
 public:
  explicit TPulseControls(TPanelFrame& frame) : Frame(frame) {}

  // The handler, with the button's new down state.
  void InvertBtnClick(bool down);

  // By meaning, through the gate.
  TOutcome SetInvert(bool on);
  // The prescaler by its index in the prescaler table.
  TOutcome SetPrescaler(int index);
  // The pulse period or width (the setting) on the code whose time is
  // nearest to seconds. The width does not go beyond the period.
  TOutcome SetPulseTime(TSetting setting, double seconds);

 private:
  TPanelFrame& Frame;
};

}  // namespace control
