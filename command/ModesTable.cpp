#include "command/ModesTable.h"

#include <array>
#include <cstdint>
#include <utility>

#include "screen/ZOLScreenModel.h"

namespace control {

namespace {

// When a control of a mode's column is enabled.
enum class TWhen : std::uint8_t { Never, Always, IfSquare, IfRunning };

struct TCell {
  TWhen Enabled = TWhen::Never;
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
}};

// A setting's row: its name for a screen reader, the control that sets it,
// or cells of its own.
struct TSettingRow {
  TSetting Setting;
  const char* Name;
  std::optional<TControl> SetBy;
  TCell Normal, Sweep, Pulse;
};
constexpr TCell As{};  // the cell of the control that sets it

constexpr std::array<TSettingRow, SettingCount> SettingRows = {{
    // setting                 name                           set by                   normal     sweep      pulse
    {TSetting::Frequency,      "Frequency",                   TControl::FSetBtn,       As,        As,        As},
    {TSetting::Step,           "Frequency step",              TControl::FDeltaFBtn,    As,        As,        As},
    {TSetting::Start,          "Sweep start",                 TControl::FStartBtn,     As,        As,        As},
    {TSetting::Stop,           "Sweep stop",                  TControl::FstopBtn,      As,        As,        As},
    {TSetting::Marker,         "Sweep marker",                {},                      Off,       On,        Off},
    {TSetting::Attenuation,    "Amplitude attenuation",       TControl::AmpGaugeBar,   As,        As,        As},
    {TSetting::SweepTime,      "Sweep time",                  TControl::SwGaugeBar,    As,        As,        As},
    {TSetting::PulsePeriod,    "Pulse period",                {},                      Off,       Off,       On},
    {TSetting::PulseWidth,     "Pulse width",                 {},                      Off,       Off,       On},
    // A waveform chosen in pulse mode leaves it first.
    {TSetting::Function,       "Waveform",                    {},                      On,        On,        On},
    {TSetting::SquareDivider,  "Square divider",              {},                      IfSquare,  IfSquare,  Off},
    {TSetting::Prescaler,      "Prescaler",                   {},                      Off,       Off,       On},
    {TSetting::Invert,         "Invert",                      TControl::InvertBtn,     As,        As,        As},
    {TSetting::Run,            "Run",                         TControl::RunBtn,        As,        As,        As},
    // Sweep mode chosen in pulse mode leaves it first.
    {TSetting::Sweep,          "Sweep",                       {},                      On,        On,        On},
    {TSetting::Pause,          "Pause sweep",                 TControl::PauseBtn,      As,        As,        As},
    {TSetting::Spacing,        "Linear or logarithmic sweep", TControl::LinLogGauge,   As,        As,        As},
    {TSetting::Direction,      "Sweep direction",             TControl::SweepDirBar,   As,        As,        As},
}};
// clang-format on

constexpr bool RowsInOrder() {
  for (int i = 0; i < ControlCount; ++i)
    if (static_cast<int>(Rows[static_cast<std::size_t>(i)].Control) != i) return false;
  for (int i = 0; i < SettingCount; ++i)
    if (static_cast<int>(SettingRows[static_cast<std::size_t>(i)].Setting) != i) return false;
  return true;
}
static_assert(RowsInOrder(), "one row per control and per setting, in the order of their enums");

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

template <class TRowOf>
const TCell& CellOf(const TRowOf& row, TMode mode) {
  return mode == TMode::Sweep ? row.Sweep : mode == TMode::Pulse ? row.Pulse : row.Normal;
}

TAvailability Availability(TControl control, const TModeKey& key) {
  const TCell& cell = CellOf(Rows[static_cast<std::size_t>(control)], key.Mode);
  const bool enabled = Holds(cell.Enabled, key) && !HeldByHandshake(control, key.Handshake);
  return {enabled, cell.Visible};
}

TAvailability Availability(TSetting setting, const TModeKey& key) {
  const TSettingRow& row = SettingRows[static_cast<std::size_t>(setting)];
  if (row.SetBy) return Availability(*row.SetBy, key);
  const TCell& cell = CellOf(row, key.Mode);
  return {Holds(cell.Enabled, key), cell.Visible};
}

const char* SettingName(TSetting setting) {
  return SettingRows[static_cast<std::size_t>(setting)].Name;
}

std::optional<TSetting> SettingOfSlot(int slot, TMode mode) {
  switch (slot) {
    case screen::FrequencySlot:
      if (mode == TMode::Normal) return TSetting::Frequency;
      if (mode == TMode::Pulse) return TSetting::PulsePeriod;
      return std::nullopt;
    case screen::StartSlot:
      return TSetting::Start;
    case screen::StopSlot:
      return TSetting::Stop;
    case screen::MarkerSlot:
      return mode == TMode::Pulse ? TSetting::PulseWidth : TSetting::Marker;
  }
  return std::nullopt;
}

TModeKey ModeKeyOf(const TGeneratorSettings& settings, THandshakePhase handshake) {
  return {settings.Mode(), settings.Waveform() == TWaveform::Square, settings.Run(), handshake};
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
