#pragma once
// What the GUI thread and the update tick share: the generator's settings
// (with what is marked to be sent), the control state (the connection, the
// sweep's progress, the arrows' and the pointer's input) and the screen's
// view of the settings.
//
// Thread contract: everything here is guarded by TSharedState::Lock, held
// briefly: a GUI change takes it once, the tick takes it to work out its
// commands and writes them after releasing it. Nobody draws, calls a widget
// or waits for the device while holding it. The tick never touches a
// widget: it reads the settings.

#include <cstdint>
#include <mutex>
#include <string>

#include "core/Settings.h"
#include "screen/ZOLScreenModel.h"

namespace control {

// The value no tuning word can have: the next frequency command goes out coarse.
constexpr std::int32_t ForceCoarseWord = 0x7FFFFFFF;

struct TControlState {
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
};

// What the tick and the GUI thread share, under one lock, and the port lock
// that lets one thread at a time use the port while the device is online.
// Order: PortLock may be taken while Lock is held (the tick does, to keep
// its commands in order), never the other way round; the GUI thread takes
// PortLock only after it has set GuiUsesPort or cleared DeviceOnline under
// Lock, so the tick never finds PortLock taken by the GUI.
struct TSharedState {
  std::mutex Lock;
  TGeneratorSettings Settings;
  TControlState State;
  screen::TZOLScreenModel Model;
  std::mutex PortLock;
};

}  // namespace control
