#pragma once
// The main window's control state: the update flags, the sweep state and the
// snapshot of the widgets the update tick reads.
//
// Thread contract: everything here is guarded by TSharedState::Lock. GUI
// handlers change the model, the snapshot and the flags under the lock; the
// tick holds the lock while it runs. The tick never touches a widget: it
// reads TControlSnapshot, which the window keeps in step with its widgets.

#include <cstdint>
#include <mutex>
#include <string>

#include "screen/ZOLScreenModel.h"

namespace control {

// The widgets' states as the tick sees them.
struct TControlSnapshot {
  bool RunDown = false;
  bool PulseDown = false;
  bool SweepDown = false;
  bool PauseDown = false;
  bool SquareDown = false;
  bool TriDown = false;
  bool InvertDown = false;
  int DivGaugePos = 0;   // DivGaugeBar position (-4..0)
  int SweepDirPos = 0;   // SweepDirBar: 0 up, 1 both ways, 2 down
  int LinLogPos = 1;     // LinLogGauge: 0 linear, 1 logarithmic
  int SwGaugePos = 1;    // SwGaugeBar: pass time in seconds, 1..100
};

// The eleven update flags, kept together so that they can be cleared at once.
struct TUpdateFlags {
  bool ResyncAll = false;
  bool PulseModeDirty = false;
  bool AmpSquareDirty = false;
  bool AmpAnalogDirty = false;
  bool PulseWidthDirty = false;
  bool InvertDirty = false;
  bool SweepRestart = false;
  bool FreqDirty = false;
  bool FreqStepDirty = false;
  bool WaveDirty = false;
  bool PulseDivDirty = false;
};

struct TControlState {
  TUpdateFlags Flags;
  bool DeviceOnline = false;
  std::int32_t TickGuard = 0;  // 10 while a tick runs; a callback finding it positive counts it down
  bool SweepUp = false;
  bool SweepStarted = false;
  double SweepFreq = 0.0;
  bool LastMarkerState = false;
  std::int32_t LastSentWord = 0x7FFFFFFF;  // the word the device holds; 0x7FFFFFFF forces a coarse command
  std::int32_t RepeatTag = -1;
  std::int32_t RepeatDelay = 0;
  std::int32_t DragSlot = -1;
  bool CornerArmed = false;
  std::string PortName;
  std::string IdentityText = "Zolvek";

  void ClearUpdateFlags() { Flags = TUpdateFlags{}; }
};

// What the tick and the GUI thread share, under one lock.
struct TSharedState {
  std::mutex Lock;
  TControlState State;
  TControlSnapshot Controls;
};

}  // namespace control
