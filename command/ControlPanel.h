#pragma once
// The main window's controls as plain data: what the widgets show (down,
// enabled, visible, font colour, gauge range and position, the Run caption,
// the sweep-time text). A view: the command path brings it to the settings,
// the mode and the connection after every change, and the window shows it
// on its widgets.
//
// Plain C++, no Qt. GUI thread only.

#include <cstdint>
#include <string>

namespace control {

// Colours are 0xRRGGBB.
using TColor = std::uint32_t;

namespace colors {
constexpr TColor Red = 0xFF0000;
constexpr TColor Purple = 0x800080;
constexpr TColor Maroon = 0x800000;
constexpr TColor Teal = 0x008080;
constexpr TColor Olive = 0x808000;
constexpr TColor Navy = 0x000080;
constexpr TColor Black = 0x000000;
// The arrow, step and Set buttons' own colour.
constexpr TColor Arrow = 0xC00010;
}  // namespace colors

struct TButtonState {
  bool Down = false;
  bool Enabled = true;
  bool Visible = true;
  TColor FontColor = colors::Black;

  bool operator==(const TButtonState&) const = default;
};

struct TGaugeState {
  int Position = 0;
  int Minimum = 0;
  int Maximum = 0;
  bool Enabled = true;
  std::string Name{};  // what the gauge sets now, for a screen reader

  bool operator==(const TGaugeState&) const = default;
};

struct TPanelState {
  // Bottom panel.
  TButtonState FLeftBtn{false, true, true, colors::Arrow};
  TButtonState FDeltaFBtn{false, true, true, colors::Arrow};
  TButtonState FRightBtn{false, true, true, colors::Arrow};
  TButtonState FSetBtn{false, true, true, colors::Arrow};
  TButtonState FStartBtn{false, false, false, colors::Teal};
  TButtonState FstopBtn{false, false, false, colors::Teal};
  TButtonState SweepBtn{false, true, true, colors::Teal};
  TButtonState PulseBtn{false, true, true, colors::Teal};
  TGaugeState LinLogGauge{1, 0, 1, false};
  TGaugeState SweepDirBar{0, 0, 2, false};
  TGaugeState SwGaugeBar{1, 1, 100, false};
  // Label1 .. Label4 and SwTimeLabel.
  bool SweepLabelsEnabled = false;
  std::string SwTimeText = "Sweep time";
  TButtonState InvertBtn{false, false, true, colors::Teal};
  TButtonState SwRstBtn{false, false, true, colors::Teal};
  TButtonState PauseBtn{false, false, true, colors::Teal};
  TButtonState RunBtn{false, true, true, colors::Purple};
  std::string RunCaption = "Run";
  TButtonState ConnectBtn{false, true, true, colors::Purple};
  // Right panel.
  TGaugeState AmpGaugeBar{0, -15, 0, true};
  TGaugeState DivGaugeBar{0, -1, 0, false};
  TButtonState SineBtn{true, true, true, colors::Red};
  TButtonState TriBtn{false, true, true, colors::Black};
  TButtonState SquareBtn{false, true, true, colors::Black};

  bool operator==(const TPanelState&) const = default;
};

}  // namespace control
