// Pointer interaction with the scale: which pointer lies under the mouse and
// which place of the scale a column is. How a drag moves the settings is
// the command path's.
#include <algorithm>
#include <cmath>

#include "screen/ZOLScreenModel.h"

namespace screen {

THitResult TZOLScreenModel::HitTest(int x, int y) const {
  THitResult result;
  // The sensitive band spans the pointers, rows H - 36 .. H - 20.
  if (y < BitmapHeight - 36 || y > BitmapHeight - 20) return result;
  result.OnScale = Slots[FrequencySlot].Visible && ScaleLeft - 4 < x && x < ScaleRight + 4;
  for (int i = 0; i < 4; ++i) {
    const int px = PositionToX(Slots[i].Position);
    if (Slots[i].Visible && px - 8 < x && x < px + 8) {
      result.Hit = true;
      result.Slot = i;
      break;
    }
  }
  // Start and Stop piled up at the left end: hand out Stop, the only one
  // that can be pulled apart to the right.
  if (result.Slot == StartSlot && std::nearbyint(ScaleWidth * Slots[StopSlot].Position) < 8.0)
    result.Slot = StopSlot;
  return result;
}

double TZOLScreenModel::ColumnToPosition(int x) const {
  // A bitmap narrower than the margins has no scale to drag along.
  if (ScaleWidth <= 0) return 0.0;
  const int column = std::max(ScaleLeft, std::min(x, ScaleRight + 1));
  const double p = static_cast<double>(column - ScaleLeft) / ScaleWidth;
  return std::clamp(p, 0.0, 1.0);
}

}  // namespace screen
