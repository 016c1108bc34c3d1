#pragma once
// Fixed tables of the generator screen's picture: colours, scale labels,
// the pointer shape and the texts used for measuring. Plain C++.

#include <array>

#include "screen/ZOLScreenModel.h"

namespace screen {

// The classic Windows button face: the outer frame of the screen. A fixed
// colour, not the desktop palette's, so the picture is the same everywhere;
// the main window may paint its panels with it too.
constexpr TColor ButtonFaceColor = 0xF0F0F0;
constexpr TColor Silver = 0xC0C0C0;
constexpr TColor FrequencyColor = 0xFF0027;
constexpr TColor RangeColor = 0x00C0C0;
constexpr TColor MarkerColor = 0xE0E00C;

// Scale bands 1..9 (index 0 unused).
constexpr std::array<TColor, 10> BandColors = {0,        0x800000, 0x8C0700, 0x990F00, 0xA61900,
                                               0xB32400, 0xBF3000, 0xCC3D00, 0xD94C00, 0xFF0000};

// One label per decade d = 0..8, the decade starting at 0.1 x 10^d Hz.
constexpr std::array<const char*, 9> ScaleLabels = {"0.1", "1",    "10", "100", "1K",
                                                    "10K", "100K", "1M", "10M"};
// The square output divided by two: every frequency halves.
constexpr std::array<const char*, 9> HalfScaleLabels = {"0.05", "0.5", "5",    "50", "500",
                                                        "5K",   "50K", "500K", "5M"};
// Pulse mode: the timing codes at the decade starts; "65535" ends the scale.
constexpr std::array<const char*, 8> PulseScaleLabels = {"1",   "4",    "16",   "64",
                                                         "256", "1024", "4096", "16384"};
constexpr const char* PulseEndLabel = "65535";

struct TPointOffset {
  int X;
  int Y;
};
// A small upward triangle under the scale, a one-pixel stem through it and
// a downward triangle above it, relative to the pointer's anchor.
constexpr std::array<TPointOffset, 8> PointerShape = {
    {{-4, 3}, {0, -1}, {0, -10}, {-4, -14}, {4, -14}, {0, -10}, {0, -1}, {4, 3}}};

constexpr const char* ValueSample = "0.88888 Hz";
constexpr const char* AmpSample = "~8.88 V";

}  // namespace screen
