#pragma once
// The generator screen in words, for screen readers: what the picture
// shows, with the picture's own readout texts. Plain C++, no Qt; a pure
// function of a model (the frame a redraw draws), any thread.

#include <string>

#include "screen/ZOLScreenModel.h"

namespace screen {

// Sentences in the order a reader takes them: the large readout (the
// output frequency, or in pulse mode the period with the width and the
// rate), the amplitude block, then the small readouts the screen shows
// (sweep range, marker, step). UTF-8, a point as decimal separator.
// For example "Frequency 1.0000 KHz. Sine, amplitude 0.06 V, 0.04 V rms."
std::string DescribeScreen(const TZOLScreenModel& frame);

}  // namespace screen
