#pragma once
// The generator's settings, in its own units, as one value: the output
// frequency, the sweep's start, stop and marker (hertz, each with its word on
// the synthesiser's grid), the step of the arrows, the two attenuators'
// steps, the waveform and the square's divider, the pulse period and width
// (codes of the pulse clock) with their prescaler and the inversion, the
// sweep's time, spacing and direction, and the mode with Run and Pause.
//
// Storing a setting marks what the update tick is to send for it, in its
// one setter, also when the value stored is the one held: the tick sends the
// marked settings in its fixed order and unmarks them. Nothing else raises
// a mark, but the requests of a resync and of a sweep restart.
//
// Plain C++, a value type. It is the state the GUI thread and the tick share
// under TSharedState::Lock; the window and the screen show views of it.

#include <array>
#include <cstdint>

namespace control {

// One key a setting, for everything that names one: the limits, the modes
// table's rows, the remote commands.
enum class TSetting : std::uint8_t {
  // Numbers, in the units a user sees: hertz as the output shows them
  // (divided with the square), attenuator steps, seconds.
  Frequency,
  Step,
  Start,
  Stop,
  Marker,
  Attenuation,
  SweepTime,
  PulsePeriod,
  PulseWidth,
  // Choices, by their number: the function 0 sine, 1 triangle, 2 square,
  // 3 pulse (pulse mode); the prescaler by its value (1, 8, 64, 256, 1024);
  // the spacing 0 linear, 1 logarithmic; the direction 0 up, 1 both ways,
  // 2 down; the rest 0 off, 1 on.
  Function,
  SquareDivider,
  Prescaler,
  Invert,
  Run,
  Sweep,
  Pause,
  Spacing,
  Direction,
};
constexpr int SettingCount = static_cast<int>(TSetting::Direction) + 1;

enum class TMode : std::uint8_t { Normal, Sweep, Pulse };
enum class TWaveform : std::uint8_t { Sine = 1, Triangle = 2, Square = 3 };
// In the order of the sweep-direction gauge's positions.
enum class TDirection : std::uint8_t { Up, Both, Down };

// Sine and triangle share the analog attenuator; square and pulse the other.
constexpr bool IsAnalog(TWaveform waveform) { return waveform != TWaveform::Square; }

// The pulse clock's prescalers, selected by an index.
constexpr std::array<int, 5> Prescalers = {1, 8, 64, 256, 1024};
// The divider gauge's largest value: the prescaler's last index in pulse
// mode, the square's divide-by-two (1) outside it.
constexpr int DividerMax(TMode mode) {
  return mode == TMode::Pulse ? static_cast<int>(Prescalers.size()) - 1 : 1;
}
// The shortest pulse period and width, and the longest of both, in codes.
constexpr int PeriodCodeMin = 3;
constexpr int WidthCodeMin = 1;
constexpr int PulseCodeMax = 0xFFFF;

// A frequency as it was asked for and the word the synthesiser's grid gives
// it. Hz is where its pointer lies on the scale; Placed tells a frequency a
// pointer or the sweep put at a place of the scale (its word at least 1)
// from one asked for by value (a value below the grid's first step lies at
// the left end).
struct TFrequency {
  double Hz = 0.0;
  std::int32_t Word = 0;
  bool Placed = false;

  // The frequency the device makes: Word x 25 MHz / 2^28.
  double GridHz() const;
  bool operator==(const TFrequency&) const = default;
};
// By value: the nearest word, limited to 0 .. the top word; nothing for a
// negative or not-a-number request.
TFrequency AskedFrequency(double hz);
// At a place of the scale: the nearest word, limited to 1 .. the top word.
TFrequency PlacedFrequency(double hz);

// What the tick is to send: the eleven update flags.
struct TUpdateFlags {
  bool ResyncAll = false;
  bool PulseModeDirty = false;
  bool AmpSquareDirty = false;
  bool AmpAnalogDirty = false;
  bool PulseWidthDirty = false;
  bool InvertDirty = false;
  bool SweepRestart = false;
  bool FreqDirty = false;
  bool FreqStepDirty = false;
  bool WaveDirty = false;
  bool PulseDivDirty = false;

  bool operator==(const TUpdateFlags&) const = default;
};
using TMark = bool TUpdateFlags::*;

class TGeneratorSettings {
 public:
  TGeneratorSettings();

  TMode Mode() const { return FMode; }
  bool Run() const { return FRun; }
  bool Pause() const { return FPause; }
  TWaveform Waveform() const { return FWaveform; }
  // The attenuator step (0..15) of a waveform's attenuator.
  int Attenuation(TWaveform of) const { return IsAnalog(of) ? FAnalogStep : FSquareStep; }
  // The attenuator in use: the square's in pulse mode.
  int Attenuation() const {
    return Attenuation(Mode() == TMode::Pulse ? TWaveform::Square : FWaveform);
  }
  // The divider gauge's one value: the square's divide-by-two (0, 1) outside
  // pulse mode, the prescaler's index (0..4) in it.
  int Divider() const { return FDivider; }
  bool SquareDivider() const { return FMode != TMode::Pulse && FDivider != 0; }
  int PrescalerIndex() const { return FMode == TMode::Pulse ? FDivider : 0; }
  int Prescaler() const { return Prescalers[static_cast<std::size_t>(PrescalerIndex())]; }
  bool Invert() const { return FInvert; }
  const TFrequency& Frequency() const { return FFrequency; }
  const TFrequency& Start() const { return FStart; }
  const TFrequency& Stop() const { return FStop; }
  const TFrequency& Marker() const { return FMarker; }
  double Step() const { return FStep; }
  int PeriodCode() const { return FPeriodCode; }
  int WidthCode() const { return FWidthCode; }
  int SweepTime() const { return FSweepTime; }
  bool LogSpacing() const { return FLogSpacing; }
  TDirection Direction() const { return FDirection; }

  // 2 while the square output is divided by two, else 1: what the output
  // shows of a frequency.
  int DividerFactor() const;
  // (code + 1) x prescaler / 16 MHz, in seconds.
  double PulseTime(int code) const;
  // The pulse repetition rate in hertz: 16 MHz over the period's clocks.
  double PulseRate() const;

  // The setters: each stores and marks what its setting is sent by.
  void SetMode(TMode mode) { FMode = mode; }
  void SetRun(bool on);
  void SetPause(bool on) { FPause = on; }
  // Run and Pause up as the program leaves them when it goes offline or
  // connects: nothing to send for them then (the next resync sends all).
  void ReleaseRun() { FRun = FPause = false; }
  void SetWaveform(TWaveform waveform);
  void SetAttenuation(TWaveform of, int step);
  // The divider gauge's value: sent as the waveform's divider outside pulse
  // mode and as the pulse clock's prescaler in it.
  void SetDivider(int value);
  void SetInvert(bool on);
  // A value typed or sent marks the whole frequency command; a step only
  // the difference, which a fine command carries when it can.
  void SetFrequency(const TFrequency& f) { Store(FFrequency, f, &TUpdateFlags::FreqDirty); }
  void StepFrequency(const TFrequency& f) { Store(FFrequency, f, &TUpdateFlags::FreqStepDirty); }
  // The sweep's own move of the output frequency: it sends it itself.
  void SweepFrequency(const TFrequency& f) { FFrequency = f; }
  void SetStart(const TFrequency& f) { FStart = f; }
  void SetStop(const TFrequency& f) { FStop = f; }
  void SetMarker(const TFrequency& f) { FMarker = f; }
  void SetStep(double hz);
  // The period goes out with the frequency command, which carries it in
  // pulse mode.
  void SetPeriodCode(int code);
  void SetWidthCode(int code);
  void SetSweepTime(int seconds) { FSweepTime = seconds; }
  void SetLogSpacing(bool on) { FLogSpacing = on; }
  void SetDirection(TDirection direction) { FDirection = direction; }

  // A setting stored again as it is, which sends it once more; of those a
  // pointer carries, the sweep's start, stop and marker are not sent.
  void StoreAgain(TSetting setting);

  // Requests that mark more than one setting: the whole state at the next
  // tick (its flags worked out there), and a restart of the sweep.
  void RequestResync() { Marks.ResyncAll = true; }
  void RequestSweepRestart() { Marks.SweepRestart = true; }

  // The tick's side: what is marked, and unmarking what it sent.
  const TUpdateFlags& Marked() const { return Marks; }
  bool IsMarked(TMark mark) const { return Marks.*mark; }
  void Mark(TMark mark) { Marks.*mark = true; }
  void Unmark(TMark mark) { Marks.*mark = false; }
  void UnmarkAll() { Marks = TUpdateFlags{}; }

  bool operator==(const TGeneratorSettings&) const = default;

 private:
  template <class T>
  void Store(T& field, const T& value, TMark mark) {
    field = value;
    Marks.*mark = true;
  }

  TMode FMode = TMode::Normal;
  bool FRun = false;
  bool FPause = false;
  TWaveform FWaveform = TWaveform::Sine;
  int FAnalogStep = 0;
  int FSquareStep = 0;
  int FDivider = 0;
  bool FInvert = false;
  TFrequency FFrequency, FStart, FStop, FMarker;
  double FStep = 0.0;
  int FPeriodCode = 0;
  int FWidthCode = 0;
  int FSweepTime = 1;
  bool FLogSpacing = true;
  TDirection FDirection = TDirection::Up;
  TUpdateFlags Marks;
};

}  // namespace control
