#pragma once
// The generator screen's model: what the screen shows of the generator's
// settings (the four frequency slots on the scale, the step, the waveform,
// the attenuators, the divider, the pulse codes, the calibration tables) and
// its layout, with the synthesiser's grid and the scale's mappings. Plain
// C++, no Qt.
//
// The model is data: a view that the command path brings to the settings
// after every change, and that drawing never changes (the renderer draws a
// const copy). Thread contract: the model has no lock of its own. The
// program keeps it under its state lock beside the settings it shows; the
// GUI thread copies it for each redraw. Whoever holds that lock may call
// any operation.

#include <array>
#include <cstdint>

namespace screen {

// Colours are 0xRRGGBB.
using TColor = std::uint32_t;

constexpr double GridClock = 25000000.0;
constexpr double GridSteps = 268435456.0;  // 2^28
constexpr std::int32_t TopWord = 0x7FFFFFF;
// The top of the scale; the grid's top word lies just below it.
constexpr double TopFreq = 12500000.0;
constexpr double LinearSpan = 8.027777777777777778;  // 8 + 0.25/9
constexpr double LogSpan = 8.0969100130080564155;    // log10(12.5e6) + 1
constexpr double PulseClock = 16000000.0;
constexpr std::array<int, 5> PrescalerTable = {1, 8, 64, 256, 1024};

enum TSlotIndex : int { FrequencySlot = 0, StartSlot = 1, StopSlot = 2, MarkerSlot = 3 };

struct TFreqSlot {
  TColor Color = 0;
  bool Visible = false;
  double Position = 0.0;  // 0 = 0.1 Hz at the left end, 1 = 12.5 MHz at the right end
  double Freq = 0.0;      // always Word on the grid
  std::int32_t Word = 0;  // tuning word
  double Time = 0.0;      // seconds: the pulse time of a slot that shows a pulse code

  bool operator==(const TFreqSlot&) const = default;
};

struct THitResult {
  bool Hit = false;
  int Slot = -1;
  bool OnScale = false;
};

// Linear-decade mapping: each decade one unit, linear inside the decade.
double DecadeCoord(double f);
double DecadeFreq(double u);
// 16-bit pulse timing code for frequency f, at least min.
int PulseCode(int min, double f);
// The frequency whose pulse code is the given one: where the code lies on
// the linear-decade scale.
double PulseCodeFrequency(int code);
// The synthesiser's grid: the word of a frequency asked for by value (the
// nearest, 0 .. TopWord; 0 for a negative or not-a-number request), the word
// at a place of the scale (at least 1), and the frequency of a word.
std::int32_t GridWord(double f);
std::int32_t PlacedWord(double f);
double WordFrequency(std::int32_t word);
// Scale position (0..1) of frequency f on the linear-decade or the
// logarithmic scale, and the frequency at a position.
double ScalePosition(double f, bool logScale);
double ScaleFrequency(double position, bool logScale);
// Where a slot showing frequency f with this word lies (ShowSlot).
double SlotPosition(double f, std::int32_t word, bool placed, bool logScale);
// Round to nearest, halves to even (the rounding the grid uses).
double RoundHalfEven(double x);
// Sine and triangle share the analog attenuator; square and pulse the other.
constexpr bool IsAnalog(std::int32_t waveform) { return waveform == 1 || waveform == 2; }

class TZOLScreenModel {
 public:
  TZOLScreenModel();

  TColor BackColor = 0x000080;
  double Step = 0.0;
  std::int32_t StepShowTicks = 0;
  std::array<TFreqSlot, 4> Slots{};
  std::array<float, 16> AnalogAmpTable{};
  std::array<float, 16> SquareAmpTable{};
  std::int32_t AmpLevelAnalog = 0;
  std::int32_t AmpLevelSquare = 0;
  std::int32_t Waveform = 1;  // 1 sine, 2 triangle, 3 square; negated in pulse mode
  std::int32_t Divider = 0;
  bool LogScale = false;
  // The pulse repetition rate shown in pulse mode, in hertz.
  double PulseRate = 0.0;

  // Geometry of the last layout (UpdateLayout), in bitmap pixels. The
  // bitmap size is kept here so that the plain model can lay out and hit-test.
  int BitmapWidth = 1;
  int BitmapHeight = 1;
  int ScaleLeft = 23;
  int ScaleRight = 0;
  int ScaleTop = 24;
  int ScaleBottom = 0;
  int ScaleWidth = 0;
  int ScaleHeight = 0;
  double DecadeWidth = 0.0;
  double ValueAspect = 0.0;

  static double SnapToGrid(double f);
  void SetStep(double f);
  void ShowStep();
  void ShowFrequencySlot(bool visible);
  void ShowRangeSlots(bool visible);
  void ShowMarkerSlot(bool visible);
  // A slot shows a frequency: its word, the word's frequency, and its place
  // on the scale shown now. One asked for by value lies at the left end when
  // the grid gives it less than 0.1 Hz, at the right end above the top; one
  // placed on the scale where its frequency is.
  void ShowSlot(int slot, double f, std::int32_t word, bool placed);
  // By value: ShowSlot with the grid's word of f.
  void SetSlotFreq(int slot, double f);
  // A slot shows a pulse code and the time it stands for: at the code's
  // place on the scale, with the frequency that place has.
  void ShowPulseCode(int slot, int code, double seconds);
  int PositionToX(double position) const;
  void UpdateLayout();
  // The bitmap the screen is drawn into has this size; lays the scale out.
  void SetBitmapSize(int width, int height);
  // Levels outside 0..15 (written directly by an owner) are stored back clamped.
  void ClampAmpLevels();
  // What one redraw advances: the layout for the current scale, the level
  // clamp and the step readout's countdown. Returns the frame to draw, taken
  // before the countdown, so that ShowStep shows for exactly 20 redraws.
  TZOLScreenModel AdvanceRedraw();
  bool operator==(const TZOLScreenModel&) const = default;

  // 2 when the square output is divided by two, else 1.
  int DividerFactor() const;

  // Pointer interaction with the scale: the pointer under a point, and the
  // scale position under pixel column x, limited to 0..1.
  THitResult HitTest(int x, int y) const;
  double ColumnToPosition(int x) const;
  // Scale position of frequency f with the current mapping, and back.
  double FreqToPosition(double f) const { return ScalePosition(f, LogScale); }
  double PositionToFreq(double p) const { return ScaleFrequency(p, LogScale); }

  // The prescaler that Divider selects (Divider limited to 0..4).
  int Prescaler() const;
  // The amplitude tables' entries for the current levels (limited to 0..15).
  long double AnalogAmplitude() const;
  long double SquareAmplitude() const;
};

}  // namespace screen
