// Mouse on the generator screen: dragging slot pointers along the scale,
// jumping the output frequency to a pressed point, the corner press.
#include "command/ScreenPointer.h"

namespace control {

bool TScreenPointer::Image321MouseDown(TMouseButton button, int x, int y) {
  if (button != TMouseButton::Left) return false;
  const bool corner = x == 0 && y == 0;
  Frame.Change([&] {
    TControlState& s = Frame.Shared.State;
    screen::TZOLScreenModel& m = Frame.Shared.Model;
    s.CornerArmed = corner;
    const screen::THitResult hit = m.HitTest(x, y);
    s.DragSlot = hit.Slot;
    // A pointer under the press: the drag begins, the moves carry the slot.
    if (hit.Hit || !hit.OnScale) return;
    if (m.DragSlotTo(screen::FrequencySlot, x)) s.Flags.PulseWidthDirty = true;
    s.Flags.FreqDirty = true;
  });
  return corner;
}

TCursor TScreenPointer::Image321MouseMove(int x, int y) {
  screen::THitResult hover;
  Frame.Change([&] {
    TControlState& s = Frame.Shared.State;
    screen::TZOLScreenModel& m = Frame.Shared.Model;
    hover = m.HitTest(x, y);
    const std::int32_t slot = s.DragSlot;
    if (slot < 0) return;
    const bool pushed = m.DragSlotTo(slot, x);
    if (slot == screen::FrequencySlot) s.Flags.FreqDirty = true;
    if (pushed || slot == screen::MarkerSlot) s.Flags.PulseWidthDirty = true;
  });
  if (hover.Hit) return TCursor::SizeHor;
  return hover.OnScale ? TCursor::PointingHand : TCursor::Default;
}

void TScreenPointer::Image321MouseUp() {
  Frame.Change([&] {
    TControlState& s = Frame.Shared.State;
    if (s.DragSlot == screen::FrequencySlot) s.Flags.FreqDirty = true;
    if (s.DragSlot == screen::MarkerSlot) s.Flags.PulseWidthDirty = true;
    s.DragSlot = -1;
  });
}

}  // namespace control
