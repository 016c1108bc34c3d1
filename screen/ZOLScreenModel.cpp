#include "screen/ZOLScreenModel.h"

#include <algorithm>
#include <cmath>

namespace screen {

namespace {

constexpr long double GridStepsL = 268435456.0L;
constexpr long double GridClockL = 25000000.0L;

// Tuning word of f before any limit: Round(f x 2^28 / 25 MHz), in extended
// precision as the grid is defined.
long double RawWord(double f) {
  return std::nearbyint(static_cast<long double>(f) * GridStepsL / GridClockL);
}

}  // namespace

double WordFrequency(std::int32_t word) {
  return static_cast<double>(static_cast<long double>(word) * GridClockL / GridStepsL);
}

std::int32_t GridWord(double f) {
  if (!(f >= 0.0)) return 0;
  if (f >= TopFreq) return TopWord;
  const long double word = RawWord(f);
  return word > TopWord ? TopWord : static_cast<std::int32_t>(word);
}

// Limited to 1 .. TopWord, so a slot moved along the scale never reads 0 Hz.
std::int32_t PlacedWord(double f) {
  const long double word = RawWord(f);
  if (!(word >= 1.0L)) return 1;
  if (word > TopWord) return TopWord;
  return static_cast<std::int32_t>(word);
}

double ScalePosition(double f, bool logScale) {
  if (logScale) return (std::log10(f) + 1.0) / LogSpan;
  return (DecadeCoord(f) + 1.0) / LinearSpan;
}

double ScaleFrequency(double p, bool logScale) {
  if (logScale)
    return static_cast<double>(std::pow(10.0L, static_cast<long double>(p) * LogSpan - 1.0L));
  return DecadeFreq(p * LinearSpan);
}

double RoundHalfEven(double x) { return std::nearbyint(x); }

double DecadeCoord(double f) {
  const long double lf = f;
  const long double n = std::floor(std::log10(lf));
  return static_cast<double>(n + (lf / std::pow(10.0L, n) - 1.0L) / 9.0L);
}

double DecadeFreq(double u) {
  const long double whole = std::trunc(static_cast<long double>(u));
  const long double fraction = static_cast<long double>(u) - whole;
  return static_cast<double>(std::pow(10.0L, whole - 1.0L) * (1.0L + 9.0L * fraction));
}

int PulseCode(int min, double f) {
  if (std::isinf(f) && f > 0) return 0xFFFF;
  long double code = 0.0L;
  if (f > 0.1) {
    const double d = std::floor(std::log10(f));
    const double v = f / (9.0 * std::pow(10.0, d)) - 1.0 / 9.0;
    code = std::nearbyint(std::pow(4.0L, static_cast<long double>(d) + 1.0L) * (3.0L * v + 1.0L));
  }
  if (code > 0xFFFF) return 0xFFFF;
  const int value = static_cast<int>(code);
  return value < min ? min : value;
}

TZOLScreenModel::TZOLScreenModel() {
  Step = SnapToGrid(1.0);
  Slots[FrequencySlot].Color = 0xFF0027;
  Slots[StartSlot].Color = 0x00C0C0;
  Slots[StopSlot].Color = 0x00C0C0;
  Slots[MarkerSlot].Color = 0xE0E00C;
  Slots[FrequencySlot].Visible = true;
  SetSlotFreq(FrequencySlot, 1000.0);
  SetSlotFreq(StartSlot, 0.1);
  SetSlotFreq(StopSlot, TopFreq);
  SetSlotFreq(MarkerSlot, 500.0);
  Slots[StartSlot].Position = 0.0;
  AnalogAmpTable = {0.123f, 0.130f, 0.138f, 0.146f, 0.158f, 0.170f, 0.184f, 0.200f,
                    0.216f, 0.237f, 0.267f, 0.300f, 0.355f, 0.414f, 0.516f, 0.650f};
  // Entry 14 is 4.6825 (not 4.6875): that is the value the generator ships with.
  SquareAmpTable = {0.3125f, 0.625f, 0.9375f, 1.25f, 1.5625f, 1.875f, 2.1875f, 2.5f,
                    2.8125f, 3.125f, 3.4375f, 3.75f, 4.0625f, 4.375f, 4.6825f, 5.0f};
  UpdateLayout();
}

double TZOLScreenModel::SnapToGrid(double f) {
  std::int32_t word = TopWord;
  if (!(f >= TopFreq)) {
    const long double raw = RawWord(f);
    // NaN lands on the smallest step, like a request of 0.
    if (!(raw > 0.0L))
      word = 1;
    else if (raw <= TopWord)
      word = static_cast<std::int32_t>(raw);
  }
  return WordFrequency(word);
}

void TZOLScreenModel::SetStep(double f) { Step = SnapToGrid(std::fabs(f)); }

void TZOLScreenModel::ShowStep() { StepShowTicks = 20; }

void TZOLScreenModel::ShowFrequencySlot(bool visible) { Slots[FrequencySlot].Visible = visible; }

void TZOLScreenModel::ShowRangeSlots(bool visible) {
  Slots[StartSlot].Visible = visible;
  Slots[StopSlot].Visible = visible;
}

void TZOLScreenModel::ShowMarkerSlot(bool visible) { Slots[MarkerSlot].Visible = visible; }

double SlotPosition(double f, std::int32_t word, bool placed, bool logScale) {
  if (placed) return std::clamp(ScalePosition(f, logScale), 0.0, 1.0);
  if (WordFrequency(word) < 0.1) return 0.0;
  if (f > TopFreq) return 1.0;
  return ScalePosition(f, logScale);
}

void TZOLScreenModel::ShowSlot(int slot, double f, std::int32_t word, bool placed) {
  if (slot < 0 || slot > 3) return;
  TFreqSlot& s = Slots[slot];
  s.Word = word;
  s.Freq = WordFrequency(word);
  s.Position = SlotPosition(f, word, placed, LogScale);
  s.Time = 0.0;
}

void TZOLScreenModel::SetSlotFreq(int slot, double f) {
  // A NaN request is ignored like a negative one: it has no place on the grid.
  if (!(f >= 0.0)) return;
  ShowSlot(slot, f, GridWord(f), false);
}

void TZOLScreenModel::ShowPulseCode(int slot, int code, double seconds) {
  const double f = PulseCodeFrequency(code);
  ShowSlot(slot, f, PlacedWord(f), true);
  if (slot >= 0 && slot <= 3) Slots[static_cast<std::size_t>(slot)].Time = seconds;
}

int TZOLScreenModel::PositionToX(double position) const {
  const double offset = std::nearbyint(position * ScaleWidth);
  // A position written directly by the owner may be anything; keep the
  // column an ordinary integer instead of overflowing the conversion.
  if (!(offset > -1e9)) return ScaleLeft - 1000000000;
  if (offset > 1e9) return ScaleLeft + 1000000000;
  return ScaleLeft + static_cast<int>(offset);
}

void TZOLScreenModel::UpdateLayout() {
  ScaleLeft = 23;
  ScaleRight = BitmapWidth - 24;
  ScaleTop = 24;
  ScaleBottom = BitmapHeight - 25;
  ScaleWidth = ScaleRight - ScaleLeft + 1;
  ScaleHeight = ScaleBottom - ScaleTop + 1;
  DecadeWidth = ScaleWidth / (LogScale ? LogSpan : LinearSpan);
}

void TZOLScreenModel::SetBitmapSize(int width, int height) {
  BitmapWidth = std::max(width, 0);
  BitmapHeight = std::max(height, 0);
  UpdateLayout();
}

void TZOLScreenModel::ClampAmpLevels() {
  AmpLevelAnalog = std::clamp(AmpLevelAnalog, 0, 15);
  AmpLevelSquare = std::clamp(AmpLevelSquare, 0, 15);
}

TZOLScreenModel TZOLScreenModel::AdvanceRedraw() {
  UpdateLayout();
  ClampAmpLevels();
  TZOLScreenModel frame = *this;
  if (StepShowTicks > 0) --StepShowTicks;
  return frame;
}

int TZOLScreenModel::Prescaler() const {
  // Divider is kept in 0..4 by the gauge; a stray value must not index
  // past the table.
  return PrescalerTable[static_cast<std::size_t>(std::clamp(Divider, 0, 4))];
}

// A model that skipped AdvanceRedraw may carry any level: never index past a table.
static long double TableEntry(const std::array<float, 16>& table, int level) {
  return table[static_cast<std::size_t>(std::clamp(level, 0, 15))];
}

long double TZOLScreenModel::AnalogAmplitude() const {
  return TableEntry(AnalogAmpTable, AmpLevelAnalog);
}

long double TZOLScreenModel::SquareAmplitude() const {
  return TableEntry(SquareAmpTable, AmpLevelSquare);
}

// The inverse of PulseCode: in decade d the codes run from 4^(d+1) to
// 4^(d+2), linearly in the frequency's place inside the decade.
double PulseCodeFrequency(int code) {
  code = std::clamp(code, 1, 0xFFFF);
  const int d =
      static_cast<int>(std::floor(std::log(static_cast<double>(code)) / std::log(4.0))) - 1;
  const double v = (code / std::pow(4.0, d + 1) - 1.0) / 3.0;
  return std::pow(10.0, d) * (9.0 * v + 1.0);
}

int TZOLScreenModel::DividerFactor() const { return (Waveform == 3 && Divider != 0) ? 2 : 1; }

}  // namespace screen
