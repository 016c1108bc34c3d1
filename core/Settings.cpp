#include "core/Settings.h"

#include <algorithm>
#include <cmath>

#include "screen/ZOLScreenModel.h"

namespace control {

double TFrequency::GridHz() const { return screen::WordFrequency(Word); }

TFrequency AskedFrequency(double hz) { return {hz, screen::GridWord(hz), false}; }

TFrequency PlacedFrequency(double hz) { return {hz, screen::PlacedWord(hz), true}; }

TGeneratorSettings::TGeneratorSettings()
    : FFrequency(AskedFrequency(1000.0)),
      FStart(AskedFrequency(0.1)),
      FStop(AskedFrequency(screen::TopFreq)),
      FMarker(AskedFrequency(500.0)),
      FStep(screen::TZOLScreenModel::SnapToGrid(1.0)),
      FPeriodCode(screen::PulseCode(PeriodCodeMin, FFrequency.GridHz())),
      FWidthCode(screen::PulseCode(WidthCodeMin, FMarker.GridHz())) {}

int TGeneratorSettings::DividerFactor() const {
  return FMode != TMode::Pulse && FWaveform == TWaveform::Square && FDivider != 0 ? 2 : 1;
}

double TGeneratorSettings::PulseTime(int code) const {
  return static_cast<double>((static_cast<long double>(code) + 1.0L) * Prescaler() /
                             screen::PulseClock);
}

double TGeneratorSettings::PulseRate() const {
  return screen::PulseClock / ((FPeriodCode + 1.0) * Prescaler());
}

void TGeneratorSettings::SetRun(bool on) { Store(FRun, on, &TUpdateFlags::ResyncAll); }

void TGeneratorSettings::SetWaveform(TWaveform waveform) {
  Store(FWaveform, waveform, &TUpdateFlags::WaveDirty);
}

void TGeneratorSettings::SetAttenuation(TWaveform of, int step) {
  if (IsAnalog(of))
    Store(FAnalogStep, step, &TUpdateFlags::AmpAnalogDirty);
  else
    Store(FSquareStep, step, &TUpdateFlags::AmpSquareDirty);
}

void TGeneratorSettings::SetDivider(int value) {
  Store(FDivider, value,
        FMode == TMode::Pulse ? &TUpdateFlags::PulseDivDirty : &TUpdateFlags::WaveDirty);
}

void TGeneratorSettings::SetInvert(bool on) { Store(FInvert, on, &TUpdateFlags::InvertDirty); }

void TGeneratorSettings::SetStep(double hz) { FStep = screen::TZOLScreenModel::SnapToGrid(hz); }

void TGeneratorSettings::SetPeriodCode(int code) {
  Store(FPeriodCode, code, &TUpdateFlags::FreqDirty);
}

void TGeneratorSettings::SetWidthCode(int code) {
  Store(FWidthCode, code, &TUpdateFlags::PulseWidthDirty);
}

void TGeneratorSettings::StoreAgain(TSetting setting) {
  switch (setting) {
    case TSetting::Frequency:
      return SetFrequency(FFrequency);
    case TSetting::PulsePeriod:
      return SetPeriodCode(FPeriodCode);
    case TSetting::PulseWidth:
      return SetWidthCode(FWidthCode);
    default:
      return;
  }
}

}  // namespace control
