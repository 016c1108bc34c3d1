// Mouse on the generator screen: dragging slot pointers along the scale,
// jumping the output frequency to a pressed point, the corner press.

#include <QApplication>
#include <mutex>

#include "control/ZOLMain.h"
#include "screen/ZOLScreen.h"
#include "ui/ImageView.h"

namespace control {
namespace {

using Guard = std::lock_guard<std::mutex>;

}  // namespace

void TMainForm::Image321MouseDown(Qt::MouseButton button, int x, int y) {
  if (button != Qt::LeftButton) return;
  const bool corner = x == 0 && y == 0;
  if (corner) QApplication::beep();
  Guard guard(Shared.Lock);
  Shared.State.CornerArmed = corner;
  const screen::THitResult hit = Screen->HitTest(x, y);
  Shared.State.DragSlot = hit.Slot;
  // A pointer under the press: the drag begins, the moves carry the slot.
  if (hit.Hit || !hit.OnScale) return;
  if (Screen->DragSlotTo(screen::FrequencySlot, x)) Shared.State.Flags.PulseWidthDirty = true;
  Shared.State.Flags.FreqDirty = true;
}

void TMainForm::Image321MouseMove(int x, int y) {
  screen::THitResult hover;
  {
    Guard guard(Shared.Lock);
    hover = Screen->HitTest(x, y);
    const std::int32_t slot = Shared.State.DragSlot;
    if (slot >= 0) {
      const bool pushed = Screen->DragSlotTo(slot, x);
      if (slot == screen::FrequencySlot) Shared.State.Flags.FreqDirty = true;
      if (pushed || slot == screen::MarkerSlot) Shared.State.Flags.PulseWidthDirty = true;
    }
  }
  if (hover.Hit) {
    Image321->setCursor(Qt::SizeHorCursor);
  } else if (hover.OnScale) {
    Image321->setCursor(Qt::PointingHandCursor);
  } else {
    Image321->unsetCursor();
  }
}

void TMainForm::Image321MouseUp(Qt::MouseButton /*button*/) {
  Guard guard(Shared.Lock);
  const std::int32_t slot = Shared.State.DragSlot;
  if (slot == screen::FrequencySlot) Shared.State.Flags.FreqDirty = true;
  if (slot == screen::MarkerSlot) Shared.State.Flags.PulseWidthDirty = true;
  Shared.State.DragSlot = -1;
}

}  // namespace control
