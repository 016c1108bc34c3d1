#pragma once
// The two views of the settings: the panel's controls and the screen. The
// command path brings both to the settings after every change (and the
// screen at every redraw, for the sweep's moves); the modes table then sets
// what is enabled and visible.
//
// Plain functions; GUI thread, under the state lock.

#include "command/ControlPanel.h"
#include "core/Settings.h"
#include "screen/ZOLScreenModel.h"

namespace control {

// What the panel shows besides the settings.
struct TPanelExtras {
  bool Online = false;          // Run says "Demo" while down offline
  bool WaveformChosen = false;  // the waveform buttons' faces, black until the first choice
};

// Down states, fonts, gauge positions and ranges, the Run caption and the
// sweep-time text. The Connect button's down state and face are the
// connection's, and left as they are.
void ShowOnPanel(const TGeneratorSettings& settings, const TPanelExtras& extras,
                 TPanelState& panel);

// The slots (what each pointer carries in the mode, where, whether shown),
// the scale, the step, the waveform, the divider, the attenuators and the
// pulse codes. The layout, the calibration tables and the step readout's
// countdown are the screen's own, and left as they are.
void ShowOnScreen(const TGeneratorSettings& settings, screen::TZOLScreenModel& screen);

}  // namespace control
