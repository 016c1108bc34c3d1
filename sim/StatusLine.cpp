#include "sim/StatusLine.h"

#include <algorithm>
#include <cstdio>

namespace sim {

static std::size_t Step(int level) { return static_cast<std::size_t>(std::clamp(level, 0, 15)); }

double AmplitudeVolts(const TDeviceState& state, const TTables& tables) {
  switch (state.Waveform()) {
    case TWaveform::Square:
    case TWaveform::SquareDivided:
    case TWaveform::Pulse:
      return tables.Square[Step(state.AmpSquare)];
    case TWaveform::Sine:
    case TWaveform::Triangle:
      break;
  }
  return tables.AnalogTenths[Step(state.AmpAnalog)] / 10.0;
}

std::string FormatStatus(const TDeviceState& state, const TTables& tables) {
  char text[160];
  if (state.Waveform() == TWaveform::Pulse) {
    std::snprintf(text, sizeof text, "%s  pulse period %u width %u divider %d%s  %.4g V  marker %s",
                  state.Running ? "running" : "stopped", unsigned{state.PulsePeriodCode},
                  unsigned{state.PulseWidthCode}, state.PulseDivider,
                  state.Inverted ? " inverted" : "", AmplitudeVolts(state, tables),
                  state.Marker ? "on" : "off");
  } else {
    std::snprintf(text, sizeof text, "%s  %.6f Hz  %s  %.4g V  marker %s",
                  state.Running ? "running" : "stopped", state.FrequencyHz(),
                  std::string(WaveformName(state.Waveform())).c_str(),
                  AmplitudeVolts(state, tables), state.Marker ? "on" : "off");
  }
  return text;
}

}  // namespace sim
