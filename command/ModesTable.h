#pragma once
// Which controls take input in each mode, held as data: the one place that
// decides it for every input alike (mouse, dialog answers, wheel, screen
// reader, remote control, command line). The command path asks it before
// every operation and brings the panel's enabled and visible states to it
// after every change, so the widgets show what it decides.
//
// Plain C++ and constant data; any thread.

#include <optional>

#include "command/ControlPanel.h"
#include "core/Settings.h"

namespace control {

// Where a connection handshake stands: Run and Connect wait for it.
enum class THandshakePhase { None, Identifying, ReadingTables };

// Everything besides the mode that a control's state depends on.
struct TModeKey {
  TMode Mode = TMode::Normal;
  bool Square = false;   // the square wave is selected
  bool Running = false;  // Run is down
  THandshakePhase Handshake = THandshakePhase::None;
};

// The window's controls.
enum class TControl {
  RunBtn,
  ConnectBtn,
  SweepBtn,
  PulseBtn,
  FSetBtn,
  FStartBtn,
  FstopBtn,
  FLeftBtn,
  FRightBtn,
  FDeltaFBtn,
  SineBtn,
  TriBtn,
  SquareBtn,
  InvertBtn,
  SwRstBtn,
  PauseBtn,
  AmpGaugeBar,
  DivGaugeBar,
  LinLogGauge,
  SweepDirBar,
  SwGaugeBar,
  SweepLabels,  // Label1 .. Label4 and SwTimeLabel
};
constexpr int ControlCount = static_cast<int>(TControl::SweepLabels) + 1;

struct TAvailability {
  bool Enabled = false;
  bool Visible = true;

  bool operator==(const TAvailability&) const = default;
};

TAvailability Availability(TControl control, const TModeKey& key);
// A setting takes input in the mode when the control that sets it does, or
// as its own row says (what the divider gauge, the marker and the pulse
// pointers stand for; the remote control's mode changes).
TAvailability Availability(TSetting setting, const TModeKey& key);

// Enabled and visible: the control, or the setting, takes input.
template <class T>
bool Takes(T item, const TModeKey& key) {
  const TAvailability a = Availability(item, key);
  return a.Enabled && a.Visible;
}

// A setting's name, as a screen reader says it.
const char* SettingName(TSetting setting);

// The setting a pointer of the screen carries in a mode, if any.
std::optional<TSetting> SettingOfSlot(int slot, TMode mode);

// The key the settings and the handshake give.
TModeKey ModeKeyOf(const TGeneratorSettings& settings, THandshakePhase handshake);

// The panel's data of a control; nothing for the meanings and the labels.
using TButtonId = TButtonState TPanelState::*;
using TGaugeId = TGaugeState TPanelState::*;
std::optional<TButtonId> ButtonOf(TControl control);
std::optional<TGaugeId> GaugeOf(TControl control);
TControl ControlOf(TButtonId button);
TControl ControlOf(TGaugeId gauge);

// Brings the panel's enabled and visible states to the table.
void ApplyModesTable(TPanelState& panel, const TModeKey& key);

}  // namespace control
