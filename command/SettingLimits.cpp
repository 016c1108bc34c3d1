#include "command/SettingLimits.h"

#include <algorithm>
#include <cmath>

#include "screen/ZOLScreenModel.h"

namespace control {

namespace {

// The lowest sweep limit, marker and output frequency the other inputs
// take, in model hertz; the arrows stop there too.
constexpr double LowestFrequency = 0.1;
constexpr int AttenuatorSteps = 16;
constexpr int LongestSweepSeconds = 100;

const TGeneratorSettings& StartUp() {
  static const TGeneratorSettings settings;
  return settings;
}

// Model hertz as the output shows them.
TSettingLimits Shown(double lowest, double highest, double startUp, bool gridTyped,
                     const TGeneratorSettings& s) {
  const double f = s.DividerFactor();
  return {lowest / f, highest / f, startUp / f, gridTyped};
}

TSettingLimits Whole(int lowest, int highest, int startUp) {
  return {static_cast<double>(lowest), static_cast<double>(highest), static_cast<double>(startUp)};
}

// Pulse codes as times with the prescaler now.
TSettingLimits Times(int lowest, int highest, int startUp, const TGeneratorSettings& s) {
  return {s.PulseTime(lowest), s.PulseTime(highest),
          s.PulseTime(std::clamp(startUp, lowest, highest))};
}

// The range narrowed to lowest .. highest (shown units), the start-up value
// kept inside.
TSettingLimits Narrowed(TSettingLimits range, double lowest, double highest) {
  range.Lowest = std::max(range.Lowest, lowest);
  range.Highest = std::max(range.Lowest, std::min(range.Highest, highest));
  range.StartUp = std::clamp(range.StartUp, range.Lowest, range.Highest);
  return range;
}

}  // namespace

TSettingLimits RangeOf(TSetting setting, const TGeneratorSettings& s) {
  const TGeneratorSettings& start = StartUp();
  switch (setting) {
    case TSetting::Frequency:
      return Shown(LowestFrequency, screen::TopFreq, start.Frequency().Hz, true, s);
    case TSetting::Step:
      // The grid never makes a step smaller than one of its own.
      return Shown(screen::TZOLScreenModel::SnapToGrid(0.0), screen::TopFreq, start.Step(), true,
                   s);
    case TSetting::Start:
      return Shown(LowestFrequency, screen::TopFreq, start.Start().Hz, false, s);
    case TSetting::Stop:
      return Shown(LowestFrequency, screen::TopFreq, start.Stop().Hz, false, s);
    case TSetting::Marker:
      return Shown(LowestFrequency, screen::TopFreq, start.Marker().Hz, false, s);
    case TSetting::Attenuation:
      return Whole(0, AttenuatorSteps - 1, start.Attenuation());
    case TSetting::SweepTime:
      return Whole(1, LongestSweepSeconds, start.SweepTime());
    case TSetting::PulsePeriod:
      return Times(PeriodCodeMin, PulseCodeMax, start.PeriodCode(), s);
    case TSetting::PulseWidth:
      return Times(WidthCodeMin, PulseCodeMax, start.WidthCode(), s);
    case TSetting::Function:
      return Whole(0, 3, 0);
    case TSetting::SquareDivider:
      return Whole(0, DividerMax(TMode::Normal), 0);
    case TSetting::Prescaler:
      return Whole(Prescalers.front(), Prescalers.back(), Prescalers.front());
    case TSetting::Spacing:
      return Whole(0, 1, start.LogSpacing() ? 1 : 0);
    case TSetting::Direction:
      return Whole(0, static_cast<int>(TDirection::Down), static_cast<int>(start.Direction()));
    case TSetting::Invert:
    case TSetting::Run:
    case TSetting::Sweep:
    case TSetting::Pause:
      return Whole(0, 1, 0);
  }
  return {};
}

TSettingLimits LimitsOf(TSetting setting, const TGeneratorSettings& s) {
  const TSettingLimits range = RangeOf(setting, s);
  const double f = s.DividerFactor();
  switch (setting) {
    case TSetting::Start:
      return Narrowed(range, range.Lowest, s.Stop().GridHz() / f);
    case TSetting::Stop:
      return Narrowed(range, s.Start().GridHz() / f, range.Highest);
    case TSetting::Marker:
      return Narrowed(range, s.Start().GridHz() / f, s.Stop().GridHz() / f);
    case TSetting::PulsePeriod:
      return Narrowed(range, s.PulseTime(std::max(PeriodCodeMin, s.WidthCode())), range.Highest);
    case TSetting::PulseWidth:
      return Narrowed(range, range.Lowest, s.PulseTime(s.PeriodCode()));
    default:
      return range;
  }
}

bool CrossesTheOtherLimit(TSetting setting, double modelHz, const TGeneratorSettings& s) {
  if (setting == TSetting::Start) return modelHz > s.Stop().GridHz();
  if (setting == TSetting::Stop) return modelHz < s.Start().GridHz();
  return false;
}

TFrequency MarkerWithinLimits(const TFrequency& marker, const TGeneratorSettings& s) {
  TFrequency kept = marker;
  if (marker.GridHz() <= s.Start().GridHz()) kept = s.Start();
  if (marker.GridHz() >= s.Stop().GridHz()) kept = s.Stop();
  return kept;
}

int PulseCodeOf(double seconds, const TGeneratorSettings& s) {
  // The time is (code + 1) clock periods behind the prescaler.
  const double periods = seconds * screen::PulseClock / s.Prescaler();
  return static_cast<int>(std::nearbyint(periods)) - 1;
}

}  // namespace control
