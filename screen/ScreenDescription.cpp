#include "screen/ScreenDescription.h"

#include "screen/ReadoutFormat.h"

namespace screen {

namespace {

// A readout without the padding some of its texts carry (" ???").
std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string Frequency(const TZOLScreenModel& m, int extraDecimals, double f) {
  return Trimmed(FormatFrequency(extraDecimals, f, m.Waveform, m.Divider));
}

std::string Period(double seconds) { return Trimmed(FormatPeriod(seconds)); }

std::string Volts(long double volts) { return Trimmed(FormatVolts(volts)); }

// The large readout.
std::string Value(const TZOLScreenModel& m) {
  if (m.Waveform >= 0) return "Frequency " + Frequency(m, 2, m.Slots[FrequencySlot].Freq) + ".";
  std::string text = "Pulse period " + Period(m.Slots[FrequencySlot].Time) + ", width " +
                     Period(m.Slots[MarkerSlot].Time) + ", rate " + Frequency(m, 1, m.PulseRate) +
                     ".";
  if (m.Divider != 0) text += " Prescaler " + std::to_string(m.Prescaler()) + ".";
  return text;
}

// The amplitude block: the waveform's symbol and its voltages.
std::string Amplitude(const TZOLScreenModel& m) {
  switch (m.Waveform) {
    case 1:
      return "Sine, amplitude " + Volts(m.AnalogAmplitude() / 2) + ", " +
             Volts(m.AnalogAmplitude() / SinePeakToRms) + " rms.";
    case 2:
      return "Triangle, amplitude " + Volts(m.AnalogAmplitude()) + ".";
    case 3:
      return std::string(m.Divider != 0 ? "Square divided by 2" : "Square") + ", amplitude " +
             Volts(m.SquareAmplitude()) + ".";
    default:
      return "Amplitude " + Volts(m.SquareAmplitude()) + ".";
  }
}

// The small readouts under the scale, as the picture shows them.
std::string SmallReadouts(const TZOLScreenModel& m) {
  std::string text;
  if (m.Slots[StartSlot].Visible || m.Slots[StopSlot].Visible)
    text += " Sweep start " + Frequency(m, 1, m.Slots[StartSlot].Freq) + ", stop " +
            Frequency(m, 1, m.Slots[StopSlot].Freq) + ".";
  if (m.Slots[MarkerSlot].Visible && m.Waveform > 0)
    text += " Marker " + Frequency(m, 1, m.Slots[MarkerSlot].Freq) + ".";
  if (m.StepShowTicks > 0) text += " Step " + Frequency(m, 0, m.Step) + ".";
  return text;
}

}  // namespace

std::string DescribeScreen(const TZOLScreenModel& frame) {
  return Value(frame) + " " + Amplitude(frame) + SmallReadouts(frame);
}

}  // namespace screen
