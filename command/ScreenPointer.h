#pragma once
// The mouse on the generator screen: dragging the pointers along the scale,
// jumping the output frequency to a pressed point, the corner press. Each
// pointer carries the setting its mode gives it (the modes table) and
// passes the gate; a drag ends when the mode changes.
//
// Works in the command path's frame, which must outlive it. GUI thread only.

#include "command/FrequencyEntry.h"
#include "command/PanelFrame.h"

namespace control {

enum class TCursor { Default, SizeHor, PointingHand };

class TScreenPointer {
 public:
  explicit TScreenPointer(TPanelFrame& frame) : Frame(frame) {}

  // A press returns whether it was the corner press (the window beeps).
  bool Press(TMouseButton button, int x, int y);
  TCursor Move(int x, int y);
  void Release();

 private:
  void DragLocked(int slot, int x);

  TPanelFrame& Frame;
};

}  // namespace control
