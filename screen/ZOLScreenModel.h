#pragma once
// The generator screen's model: what the generator is set to and what the
// screen shows. Plain C++, no Qt.
//
// The model is data: it changes only through its operations and fields,
// and drawing never changes it (the renderer draws a const copy).
// Thread contract: the model has no lock of its own. The main window keeps
// it under its state lock; the update tick (timer thread) reads the slots,
// levels and codes and moves the Frequency slot while a sweep runs, the GUI
// thread changes it on user actions and copies it for each redraw. Whoever
// holds the main window's state lock may call any operation.

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
  bool AmpFromWaveform = false;
  std::int32_t Divider = 0;
  bool LogScale = false;

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
  void SetSlotFreq(int slot, double f);
  void ShiftSlot(int slot, double delta);
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
  int PulseWidthCode() const;
  int PulsePeriodCode() const;
  // (code + 1) x prescaler / 16 MHz, in seconds, with the prescaler of Divider.
  double PulseTime(int code) const;
  // Puts a slot on the grid frequency whose pulse code (at least minCode)
  // is the given one, or the nearest to it the grid has.
  void SetSlotPulseCode(int slot, int code, int minCode);
  // 2 when the square output is divided by two, else 1.
  int DividerFactor() const;

  // Pointer interaction with the scale.
  THitResult HitTest(int x, int y) const;
  bool DragSlotTo(int slot, int x);

  // The prescaler that Divider selects (Divider limited to 0..4).
  int Prescaler() const;
  // The pulse repetition rate in Hz: 16 MHz over the period's clocks.
  double PulseRate() const;
  // The amplitude tables' entries for the current levels (limited to 0..15).
  long double AnalogAmplitude() const;
  long double SquareAmplitude() const;

 protected:
  // Scale position of frequency f with the current mapping.
  double FreqToPosition(double f) const;
  // Frequency at scale position p with the current mapping.
  double PositionToFreq(double p) const;
  // Puts a slot at position p and quantises the frequency found there.
  void PlaceSlot(int slot, double p);
  // Scale position under pixel column x, limited to 0..1.
  double ColumnToPosition(int x) const;
};

}  // namespace screen
