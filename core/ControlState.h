#pragma once
// The main window's control state: the update flags, the sweep state and the
// snapshot of the widgets the update tick reads.
//
// Thread contract: everything here is guarded by TSharedState::Lock, held
// briefly: a GUI change takes it once, the tick takes it to work out its
// commands and writes them after releasing it. Nobody draws, calls a widget
// or waits for the device while holding it. The tick never touches a
// widget: it reads TControlSnapshot, which each GUI change publishes.

#include <cstdint>
#include <mutex>
#include <string>

#include "screen/ZOLScreenModel.h"

namespace control {

// The value no tuning word can have: the next frequency command goes out coarse.
constexpr std::int32_t ForceCoarseWord = 0x7FFFFFFF;

// The widgets' states as the tick sees them.
struct TControlSnapshot {
  bool RunDown = false;
  bool PulseDown = false;
  bool SweepDown = false;
  bool PauseDown = false;
  bool SquareDown = false;
  bool TriDown = false;
  bool InvertDown = false;
  int DivGaugePos = 0;  // DivGaugeBar position (-4..0)
  int SweepDirPos = 0;  // SweepDirBar: 0 up, 1 both ways, 2 down
  int LinLogPos = 1;    // LinLogGauge: 0 linear, 1 logarithmic
  int SwGaugePos = 1;   // SwGaugeBar: pass time in seconds, 1..100
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
  std::int32_t TickGuard =
      0;  // 10 while a tick runs; a callback finding it positive counts it down
  bool SweepUp = false;
  bool SweepStarted = false;
  double SweepFreq = 0.0;
  bool LastMarkerState = false;
  std::int32_t LastSentWord = ForceCoarseWord;  // the word the device holds
  std::int32_t RepeatTag = -1;
  std::int32_t RepeatDelay = 0;
  std::int32_t DragSlot = -1;
  bool CornerArmed = false;
  std::string PortName;
  std::string IdentityText = "Zolvek";
  // The GUI thread talks to the device (identity probe, an immediate stop):
  // the tick skips its turn meanwhile, its flags kept for the next one.
  bool GuiUsesPort = false;
  // Ticks that began working out their commands, and the last of them whose
  // commands have been written (skipped turns count in neither).
  std::uint64_t TicksStarted = 0;
  std::uint64_t TicksWritten = 0;

  void ClearUpdateFlags() { Flags = TUpdateFlags{}; }
};

// What the tick and the GUI thread share, under one lock, and the port lock
// that lets one thread at a time use the port while the device is online.
// Order: PortLock may be taken while Lock is held (the tick does, to keep
// its commands in order), never the other way round; the GUI thread takes
// PortLock only after it has set GuiUsesPort or cleared DeviceOnline under
// Lock, so the tick never finds PortLock taken by the GUI.
struct TSharedState {
  std::mutex Lock;
  TControlState State;
  TControlSnapshot Controls;
  screen::TZOLScreenModel Model;
  std::mutex PortLock;
};

}  // namespace control
