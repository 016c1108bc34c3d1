#pragma once
// Pulse mode's own controls: the period and width by time, the prescaler
// (the divider gauge's meaning in pulse mode) and the Invert button.
//
// Works in the command path's frame, which must outlive it. GUI thread only.

#include "command/PanelFrame.h"

namespace control {

// In pulse mode the output frequency's and the marker's pointers stand for
// the period and the width. Entering the mode takes their codes from them
// (the marker first brought to half the frequency when above it); leaving it
// puts a pointer whose code changed at the frequency of its code's place.
void EnterPulseMode(TGeneratorSettings& s);
void LeavePulseMode(TGeneratorSettings& s);
// The period's or the width's pointer (the setting) taken to gridHz of the
// scale: a period that passes the width takes it along, and the width does
// not go beyond the period. Other settings are left alone.
void PlacePulsePointer(TGeneratorSettings& s, TSetting setting, double gridHz);

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
