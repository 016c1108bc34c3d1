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

double WordToFreq(std::int32_t word) {
  return static_cast<double>(static_cast<long double>(word) * GridClockL / GridStepsL);
}

// The word of a frequency derived from a scale position: limited to
// 1 .. TopWord, so a slot moved along the scale never reads 0 Hz.
std::int32_t PositionWord(double f) {
  const long double word = RawWord(f);
  if (!(word >= 1.0L)) return 1;
  if (word > TopWord) return TopWord;
  return static_cast<std::int32_t>(word);
}

}  // namespace

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
  return WordToFreq(word);
}

void TZOLScreenModel::SetStep(double f) { Step = SnapToGrid(std::fabs(f)); }

void TZOLScreenModel::ShowStep() { StepShowTicks = 20; }

void TZOLScreenModel::ShowFrequencySlot(bool visible) { Slots[FrequencySlot].Visible = visible; }

void TZOLScreenModel::ShowRangeSlots(bool visible) {
  Slots[StartSlot].Visible = visible;
  Slots[StopSlot].Visible = visible;
}

void TZOLScreenModel::ShowMarkerSlot(bool visible) { Slots[MarkerSlot].Visible = visible; }

double TZOLScreenModel::FreqToPosition(double f) const {
  if (LogScale) return (std::log10(f) + 1.0) / LogSpan;
  return (DecadeCoord(f) + 1.0) / LinearSpan;
}

double TZOLScreenModel::PositionToFreq(double p) const {
  if (LogScale)
    return static_cast<double>(std::pow(10.0L, static_cast<long double>(p) * LogSpan - 1.0L));
  return DecadeFreq(p * LinearSpan);
}

void TZOLScreenModel::SetSlotFreq(int slot, double f) {
  // A NaN request is ignored like a negative one: it has no place on the grid.
  if (slot < 0 || slot > 3 || !(f >= 0.0)) return;
  TFreqSlot& s = Slots[slot];
  if (f >= TopFreq) {
    s.Word = TopWord;
  } else {
    const long double word = RawWord(f);
    s.Word = word > TopWord ? TopWord : static_cast<std::int32_t>(word);
  }
  s.Freq = WordToFreq(s.Word);
  if (s.Freq < 0.1)
    s.Position = 0.0;
  else if (f > TopFreq)
    s.Position = 1.0;
  else
    s.Position = FreqToPosition(f);
}

void TZOLScreenModel::PlaceSlot(int slot, double p) {
  TFreqSlot& s = Slots[slot];
  s.Position = p;
  s.Word = PositionWord(PositionToFreq(p));
  s.Freq = WordToFreq(s.Word);
}

void TZOLScreenModel::ShiftSlot(int slot, double delta) {
  if (slot < 0 || slot > 3) return;
  double p = Slots[slot].Position + delta;
  if (!(p >= 0.0))
    p = 0.0;
  else if (p > 1.0)
    p = 1.0;
  if (slot == StartSlot && p > Slots[StopSlot].Position) p = Slots[StopSlot].Position;
  if (slot == StopSlot && p < Slots[StartSlot].Position) p = Slots[StartSlot].Position;
  PlaceSlot(slot, p);
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

int TZOLScreenModel::PulseWidthCode() const { return PulseCode(1, Slots[MarkerSlot].Freq); }

int TZOLScreenModel::PulsePeriodCode() const { return PulseCode(3, Slots[FrequencySlot].Freq); }

int TZOLScreenModel::Prescaler() const {
  // Divider is kept in 0..4 by the gauge; a stray value must not index
  // past the table.
  return PrescalerTable[static_cast<std::size_t>(std::clamp(Divider, 0, 4))];
}

double TZOLScreenModel::PulseRate() const {
  return PulseClock / ((PulsePeriodCode() + 1.0) * Prescaler());
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

double TZOLScreenModel::PulseTime(int code) const {
  return static_cast<double>((static_cast<long double>(code) + 1.0L) * Prescaler() / PulseClock);
}

// The inverse of PulseCode: in decade d the codes run from 4^(d+1) to
// 4^(d+2), linearly in the frequency's place inside the decade.
static double PulseCodeFreq(int code) {
  const int d =
      static_cast<int>(std::floor(std::log(static_cast<double>(code)) / std::log(4.0))) - 1;
  const double v = (code / std::pow(4.0, d + 1) - 1.0) / 3.0;
  return std::pow(10.0, d) * (9.0 * v + 1.0);
}

void TZOLScreenModel::SetSlotPulseCode(int slot, int code, int minCode) {
  if (slot < 0 || slot > 3) return;
  code = std::clamp(code, std::max(minCode, 1), 0xFFFF);
  SetSlotFreq(slot, PulseCodeFreq(code));
  // The grid moves the frequency a little: look at the neighbouring words.
  const std::int32_t word = Slots[slot].Word;
  std::int32_t best = word;
  for (std::int32_t w = std::max(word - 4, 1); w <= std::min(word + 4, TopWord); ++w) {
    const double f = WordToFreq(w);
    if (std::abs(PulseCode(minCode, f) - code) <
        std::abs(PulseCode(minCode, WordToFreq(best)) - code))
      best = w;
  }
  if (best != word) SetSlotFreq(slot, WordToFreq(best));
}

int TZOLScreenModel::DividerFactor() const { return (Waveform == 3 && Divider != 0) ? 2 : 1; }

}  // namespace screen
