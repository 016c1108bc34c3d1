#include "command/ModesTable.h"

#include <array>
#include <cstdint>
#include <utility>

namespace control {

namespace {

// When a control of a mode's column is enabled.
enum class TWhen : std::uint8_t { Never, Always, IfSquare, IfRunning };

struct TCell {
  TWhen Enabled;
  bool Visible = true;
};

constexpr TCell On{TWhen::Always};
constexpr TCell Off{TWhen::Never};
constexpr TCell Hidden{TWhen::Never, false};
constexpr TCell IfSquare{TWhen::IfSquare};
constexpr TCell IfRunning{TWhen::IfRunning};

struct TRow {
  TControl Control;
  TCell Normal, Sweep, Pulse;
};

// In the order of TControl; a table to read, so laid out as one.
// clang-format off
constexpr std::array<TRow, ControlCount> Rows = {{
    // control                  normal     sweep      pulse
    {TControl::RunBtn,          On,        On,        On},
    {TControl::ConnectBtn,      On,        On,        On},
    {TControl::SweepBtn,        On,        On,        Off},
    {TControl::PulseBtn,        On,        Off,       On},
    {TControl::FSetBtn,         On,        Hidden,    Off},
    {TControl::FStartBtn,       Hidden,    On,        Hidden},
    {TControl::FstopBtn,        Hidden,    On,        Hidden},
    {TControl::FLeftBtn,        On,        On,        Off},
    {TControl::FRightBtn,       On,        On,        Off},
    {TControl::FDeltaFBtn,      On,        On,        Off},
    {TControl::SineBtn,         On,        On,        Off},
    {TControl::TriBtn,          On,        On,        Off},
    {TControl::SquareBtn,       On,        On,        Off},
    {TControl::InvertBtn,       Off,       Off,       On},
    {TControl::SwRstBtn,        Off,       IfRunning, Off},
    {TControl::PauseBtn,        Off,       IfRunning, Off},
    {TControl::AmpGaugeBar,     On,        On,        On},
    {TControl::DivGaugeBar,     IfSquare,  IfSquare,  On},
    {TControl::LinLogGauge,     Off,       On,        Off},
    {TControl::SweepDirBar,     Off,       On,        Off},
    {TControl::SwGaugeBar,      Off,       On,        Off},
    {TControl::SweepLabels,     Off,       On,        Off},
    {TControl::SquareDivider,   IfSquare,  IfSquare,  Off},
    {TControl::Prescaler,       Off,       Off,       On},
    {TControl::SweepMarker,     Off,       On,        Off},
    {TControl::PulsePeriod,     Off,       Off,       On},
    {TControl::PulseWidth,      Off,       Off,       On},
}};
// clang-format on

constexpr bool RowsInOrder() {
  for (int i = 0; i < ControlCount; ++i)
    if (static_cast<int>(Rows[static_cast<std::size_t>(i)].Control) != i) return false;
  return true;
}
static_assert(RowsInOrder(), "one row per control, in the order of TControl");

constexpr std::array<std::pair<TControl, TButtonId>, 16> Buttons = {{
    {TControl::RunBtn, &TPanelState::RunBtn},
    {TControl::ConnectBtn, &TPanelState::ConnectBtn},
    {TControl::SweepBtn, &TPanelState::SweepBtn},
    {TControl::PulseBtn, &TPanelState::PulseBtn},
    {TControl::FSetBtn, &TPanelState::FSetBtn},
    {TControl::FStartBtn, &TPanelState::FStartBtn},
    {TControl::FstopBtn, &TPanelState::FstopBtn},
    {TControl::FLeftBtn, &TPanelState::FLeftBtn},
    {TControl::FRightBtn, &TPanelState::FRightBtn},
    {TControl::FDeltaFBtn, &TPanelState::FDeltaFBtn},
    {TControl::SineBtn, &TPanelState::SineBtn},
    {TControl::TriBtn, &TPanelState::TriBtn},
    {TControl::SquareBtn, &TPanelState::SquareBtn},
    {TControl::InvertBtn, &TPanelState::InvertBtn},
    {TControl::SwRstBtn, &TPanelState::SwRstBtn},
    {TControl::PauseBtn, &TPanelState::PauseBtn},
}};

constexpr std::array<std::pair<TControl, TGaugeId>, 5> Gauges = {{
    {TControl::AmpGaugeBar, &TPanelState::AmpGaugeBar},
    {TControl::DivGaugeBar, &TPanelState::DivGaugeBar},
    {TControl::LinLogGauge, &TPanelState::LinLogGauge},
    {TControl::SweepDirBar, &TPanelState::SweepDirBar},
    {TControl::SwGaugeBar, &TPanelState::SwGaugeBar},
}};

bool Holds(TWhen when, const TModeKey& key) {
  switch (when) {
    case TWhen::Never:
      return false;
    case TWhen::Always:
      return true;
    case TWhen::IfSquare:
      return key.Square;
    case TWhen::IfRunning:
      return key.Running;
  }
  return false;
}

// Run waits for the whole handshake, Connect only for the identity check.
bool HeldByHandshake(TControl control, THandshakePhase phase) {
  if (phase == THandshakePhase::None) return false;
  return control == TControl::RunBtn ||
         (control == TControl::ConnectBtn && phase == THandshakePhase::Identifying);
}

}  // namespace

TAvailability Availability(TControl control, const TModeKey& key) {
  const TRow& row = Rows[static_cast<std::size_t>(control)];
  const TCell& cell = key.Mode == TMode::Sweep   ? row.Sweep
                      : key.Mode == TMode::Pulse ? row.Pulse
                                                 : row.Normal;
  const bool enabled = Holds(cell.Enabled, key) && !HeldByHandshake(control, key.Handshake);
  return {enabled, cell.Visible};
}

TModeKey ModeKeyOf(const TPanelState& panel, THandshakePhase handshake) {
  TModeKey key;
  if (panel.SweepBtn.Down) key.Mode = TMode::Sweep;
  if (panel.PulseBtn.Down) key.Mode = TMode::Pulse;
  key.Square = panel.SquareBtn.Down;
  key.Running = panel.RunBtn.Down;
  key.Handshake = handshake;
  return key;
}

std::optional<TButtonId> ButtonOf(TControl control) {
  for (const auto& [c, button] : Buttons)
    if (c == control) return button;
  return std::nullopt;
}

std::optional<TGaugeId> GaugeOf(TControl control) {
  for (const auto& [c, gauge] : Gauges)
    if (c == control) return gauge;
  return std::nullopt;
}

TControl ControlOf(TButtonId button) {
  for (const auto& [control, b] : Buttons)
    if (b == button) return control;
  return TControl::RunBtn;
}

TControl ControlOf(TGaugeId gauge) {
  for (const auto& [control, g] : Gauges)
    if (g == gauge) return control;
  return TControl::AmpGaugeBar;
}

void ApplyModesTable(TPanelState& panel, const TModeKey& key) {
  for (const auto& [control, button] : Buttons) {
    const TAvailability a = Availability(control, key);
    (panel.*button).Enabled = a.Enabled;
    (panel.*button).Visible = a.Visible;
  }
  for (const auto& [control, gauge] : Gauges)
    (panel.*gauge).Enabled = Availability(control, key).Enabled;
  panel.SweepLabelsEnabled = Availability(TControl::SweepLabels, key).Enabled;
}

}  // namespace control
