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

namespace control {

// The output mode chosen with Sweep and Pulse (neither down: normal).
enum class TMode { Normal, Sweep, Pulse };

// Where a connection handshake stands: Run and Connect wait for it.
enum class THandshakePhase { None, Identifying, ReadingTables };

// Everything besides the mode that a control's state depends on.
struct TModeKey {
  TMode Mode = TMode::Normal;
  bool Square = false;   // the square wave is selected
  bool Running = false;  // Run is down
  THandshakePhase Handshake = THandshakePhase::None;
};

// The controls, and what the divider gauge, the marker pointer and the pulse
// pointers stand for in the modes where they mean something.
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
  SweepLabels,    // Label1 .. Label4 and SwTimeLabel
  SquareDivider,  // the divider gauge as the square's divide-by-two
  Prescaler,      // the divider gauge as the pulse clock's prescaler
  SweepMarker,    // the Marker slot as the sweep's marker
  PulsePeriod,    // the Frequency slot as the pulse period
  PulseWidth,     // the Marker slot as the pulse width
};
constexpr int ControlCount = static_cast<int>(TControl::PulseWidth) + 1;

struct TAvailability {
  bool Enabled = false;
  bool Visible = true;

  bool operator==(const TAvailability&) const = default;
};

TAvailability Availability(TControl control, const TModeKey& key);

// Enabled and visible: the control takes input.
inline bool Takes(TControl control, const TModeKey& key) {
  const TAvailability a = Availability(control, key);
  return a.Enabled && a.Visible;
}

// The key the panel's down states and the handshake give.
TModeKey ModeKeyOf(const TPanelState& panel, THandshakePhase handshake);

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
