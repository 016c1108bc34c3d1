// Mouse on the generator screen: dragging the pointers along the scale,
// jumping the output frequency to a pressed point, the corner press. A
// pointer carries the setting its mode gives it and passes the gate.
#include "command/ScreenPointer.h"

#include <algorithm>

#include "command/PulseControls.h"
#include "command/SettingLimits.h"

namespace control {

namespace {

using screen::FrequencySlot;
using screen::MarkerSlot;
using screen::StartSlot;
using screen::StopSlot;

// The frequency at scale position p, as a pointer puts it.
TFrequency At(const screen::TZOLScreenModel& m, double p) {
  return PlacedFrequency(m.PositionToFreq(p));
}

}  // namespace

bool TScreenPointer::Press(TMouseButton button, int x, int y) {
  if (button != TMouseButton::Left) return false;
  const bool corner = x == 0 && y == 0;
  Frame.Change([&] {
    TControlState& s = Frame.Shared.State;
    const screen::THitResult hit = Frame.Shared.Model.HitTest(x, y);
    s.CornerArmed = corner;
    s.DragSlot = hit.Slot;
    // A pointer under the press: the drag begins, the moves carry the slot.
    // A press beside the pointers puts the output there.
    if (!hit.Hit && hit.OnScale) DragLocked(FrequencySlot, x);
  });
  return corner;
}

TCursor TScreenPointer::Move(int x, int y) {
  screen::THitResult hover;
  Frame.Change([&] {
    hover = Frame.Shared.Model.HitTest(x, y);
    if (Frame.Shared.State.DragSlot >= 0) DragLocked(Frame.Shared.State.DragSlot, x);
  });
  if (hover.Hit) return TCursor::SizeHor;
  return hover.OnScale ? TCursor::PointingHand : TCursor::Default;
}

void TScreenPointer::Release() {
  Frame.Change([&] {
    TControlState& state = Frame.Shared.State;
    // The setting the pointer carried is sent once more as it lies now.
    if (const std::optional<TSetting> setting =
            state.DragSlot >= 0 ? SettingOfSlot(state.DragSlot, Frame.Settings().Mode())
                                : std::nullopt;
        setting && Frame.Takes(*setting))
      Frame.Settings().StoreAgain(*setting);
    state.DragSlot = -1;
  });
}

// A pointer taken to column x: the marker stays between Start and Stop,
// Start and Stop do not cross, and a pointer that passes the marker takes
// it along.
void TScreenPointer::DragLocked(int slot, int x) {
  TGeneratorSettings& s = Frame.Settings();
  const std::optional<TSetting> setting = SettingOfSlot(slot, s.Mode());
  if (!setting || !Frame.Takes(*setting)) return;
  const screen::TZOLScreenModel& m = Frame.Shared.Model;
  double p = m.ColumnToPosition(x);
  switch (*setting) {
    case TSetting::Frequency:
      s.SetFrequency(At(m, p));
      break;
    case TSetting::Start:
      p = std::min(p, m.Slots[StopSlot].Position);
      s.SetStart(At(m, p));
      if (p >= m.Slots[MarkerSlot].Position) s.SetMarker(s.Start());
      break;
    case TSetting::Stop:
      p = std::max(p, m.Slots[StartSlot].Position);
      s.SetStop(At(m, p));
      if (p <= m.Slots[MarkerSlot].Position) s.SetMarker(s.Stop());
      break;
    case TSetting::Marker:
      s.SetMarker(MarkerWithinLimits(At(m, p), s));
      break;
    default:
      // The pulse period's and its width's pointers: the pulse part's rules.
      PlacePulsePointer(s, *setting, At(m, p).GridHz());
      break;
  }
}

}  // namespace control
