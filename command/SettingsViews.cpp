#include "command/SettingsViews.h"

#include <array>
#include <string>

#include "command/ModesTable.h"

namespace control {

namespace {

TColor Lit(bool down, TColor up) { return down ? colors::Red : up; }

// "Sweep time  37 s": the seconds right-aligned in three places.
std::string SweepTimeText(int seconds) {
  const std::string number = std::to_string(seconds);
  const std::size_t padding = number.size() < 3 ? 3 - number.size() : 0;
  return "Sweep time " + std::string(padding, ' ') + number + " s";
}

void ShowWaveform(const TGeneratorSettings& s, bool chosen, TPanelState& p) {
  const std::array<TButtonState*, 3> buttons = {&p.SineBtn, &p.TriBtn, &p.SquareBtn};
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    const bool selected = static_cast<int>(s.Waveform()) == static_cast<int>(i) + 1;
    buttons[i]->Down = selected;
    buttons[i]->FontColor = selected ? colors::Red : chosen ? colors::Navy : colors::Black;
  }
}

}  // namespace

void ShowOnPanel(const TGeneratorSettings& s, const TPanelExtras& extras, TPanelState& p) {
  const bool sweep = s.Mode() == TMode::Sweep;
  const bool pulse = s.Mode() == TMode::Pulse;
  p.RunBtn.Down = s.Run();
  p.RunBtn.FontColor = Lit(s.Run(), colors::Purple);
  p.RunCaption = s.Run() && !extras.Online ? "Demo" : "Run";
  p.SweepBtn.Down = sweep;
  p.SweepBtn.FontColor = Lit(sweep, colors::Teal);
  p.PulseBtn.Down = pulse;
  p.PulseBtn.FontColor = Lit(pulse, colors::Teal);
  p.PauseBtn.Down = s.Pause();
  p.PauseBtn.FontColor = Lit(s.Pause(), colors::Teal);
  p.InvertBtn.Down = s.Invert();
  p.InvertBtn.FontColor = Lit(s.Invert(), colors::Teal);
  for (TButtonState* arrow : {&p.FLeftBtn, &p.FRightBtn, &p.FDeltaFBtn})
    arrow->FontColor = sweep ? colors::Olive : colors::Arrow;
  ShowWaveform(s, extras.WaveformChosen, p);

  // A gauge is called by what it sets: the divider gauge is the prescaler
  // in pulse mode.
  p.AmpGaugeBar.Name = SettingName(TSetting::Attenuation);
  p.DivGaugeBar.Name = SettingName(pulse ? TSetting::Prescaler : TSetting::SquareDivider);
  p.SwGaugeBar.Name = SettingName(TSetting::SweepTime);
  p.LinLogGauge.Name = SettingName(TSetting::Spacing);
  p.SweepDirBar.Name = SettingName(TSetting::Direction);

  p.AmpGaugeBar.Position = -s.Attenuation();
  p.DivGaugeBar.Minimum = -DividerMax(s.Mode());
  p.DivGaugeBar.Position = -s.Divider();
  p.SwGaugeBar.Position = s.SweepTime();
  p.LinLogGauge.Position = s.LogSpacing() ? 1 : 0;
  p.SweepDirBar.Position = static_cast<int>(s.Direction());
  p.SwTimeText = SweepTimeText(s.SweepTime());
}

void ShowOnScreen(const TGeneratorSettings& s, screen::TZOLScreenModel& m) {
  const bool sweep = s.Mode() == TMode::Sweep;
  const bool pulse = s.Mode() == TMode::Pulse;
  m.LogScale = sweep;
  m.ShowRangeSlots(sweep);
  m.ShowMarkerSlot(sweep || pulse);
  m.ShowFrequencySlot(!sweep);
  auto show = [&m](int slot, const TFrequency& f) { m.ShowSlot(slot, f.Hz, f.Word, f.Placed); };
  show(screen::StartSlot, s.Start());
  show(screen::StopSlot, s.Stop());
  if (pulse) {
    m.ShowPulseCode(screen::FrequencySlot, s.PeriodCode(), s.PulseTime(s.PeriodCode()));
    m.ShowPulseCode(screen::MarkerSlot, s.WidthCode(), s.PulseTime(s.WidthCode()));
  } else {
    show(screen::FrequencySlot, s.Frequency());
    show(screen::MarkerSlot, s.Marker());
  }
  m.PulseRate = pulse ? s.PulseRate() : 0.0;
  m.Step = s.Step();
  const int waveform = static_cast<int>(s.Waveform());
  m.Waveform = pulse ? -waveform : waveform;
  m.Divider = s.Divider();
  m.AmpLevelAnalog = s.Attenuation(TWaveform::Sine);
  m.AmpLevelSquare = s.Attenuation(TWaveform::Square);
}

}  // namespace control
