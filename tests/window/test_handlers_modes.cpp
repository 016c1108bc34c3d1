// Run, sweep and pulse modes and the waveform controls of the real main
// window, without a device. The update tick is stopped so that the flags
// the handlers raise stay visible.

#include <QImage>
#include <QLabel>
#include <cstdlib>

#include "command/ControlPanel.h"
#include "platform/MultimediaTimer.h"
#include "tests/support/MainWindowFixture.h"

namespace control::test {
namespace {

enum class TMode { Normal, Sweep, Pulse };

class HandlerTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    StopTicksAndClearFlags();
  }

  // Every row of the mode table, for the given mode and selected waveform.
  void ExpectMode(TMode mode, int waveform) {
    const bool sweep = mode == TMode::Sweep;
    const bool pulse = mode == TMode::Pulse;
    TMainForm& f = *Form;
    SCOPED_TRACE(sweep ? "sweep" : pulse ? "pulse" : "normal");
    EXPECT_EQ(f.SweepBtn->isEnabled(), !pulse);
    EXPECT_EQ(f.SweepBtn->isChecked(), sweep);
    EXPECT_EQ(f.SweepBtn->FontColor(), sweep ? colors::Red : colors::Teal);
    EXPECT_EQ(f.PulseBtn->isEnabled(), !sweep);
    EXPECT_EQ(f.PulseBtn->isChecked(), pulse);
    EXPECT_EQ(f.PulseBtn->FontColor(), pulse ? colors::Red : colors::Teal);
    EXPECT_EQ(f.FSetBtn->isHidden(), sweep);
    EXPECT_EQ(f.FSetBtn->isEnabled(), !sweep && !pulse);
    for (ui::TSpeedButton* b : {f.FStartBtn, f.FstopBtn}) {
      EXPECT_EQ(b->isHidden(), !sweep);
      EXPECT_EQ(b->isEnabled(), sweep);
    }
    for (ui::TSpeedButton* b : {f.FLeftBtn, f.FRightBtn, f.FDeltaFBtn}) {
      EXPECT_EQ(b->isEnabled(), !pulse);
      EXPECT_EQ(b->FontColor(), sweep ? colors::Olive : colors::Arrow);
    }
    for (ui::TSpeedButton* b : {f.SineBtn, f.TriBtn, f.SquareBtn})
      EXPECT_EQ(b->isEnabled(), !pulse);
    EXPECT_EQ(f.InvertBtn->isEnabled(), pulse);
    EXPECT_EQ(f.DivGaugeBar->minimum(), pulse ? -4 : -1);
    EXPECT_EQ(f.DivGaugeBar->maximum(), 0);
    EXPECT_EQ(f.DivGaugeBar->value(), 0);
    EXPECT_EQ(f.DivGaugeBar->isEnabled(), pulse || waveform == 3);
    const screen::TZOLScreenModel m = Model();
    const int level = pulse || waveform == 3 ? m.AmpLevelSquare : m.AmpLevelAnalog;
    EXPECT_EQ(f.AmpGaugeBar->value(), -level);
    for (QWidget* w :
         std::initializer_list<QWidget*>{f.LinLogGauge, f.SweepDirBar, f.SwGaugeBar, f.Label1,
                                         f.Label2, f.Label3, f.Label4, f.SwTimeLabel}) {
      EXPECT_EQ(w->isEnabled(), sweep) << w->objectName().toStdString();
    }
    EXPECT_FALSE(f.RunBtn->isChecked());
    EXPECT_FALSE(f.SwRstBtn->isEnabled());
    EXPECT_FALSE(f.PauseBtn->isEnabled());
    EXPECT_EQ(m.Waveform, pulse ? -waveform : waveform);
    EXPECT_EQ(m.LogScale, sweep);
    EXPECT_EQ(m.Slots[screen::FrequencySlot].Visible, !sweep);
    EXPECT_EQ(m.Slots[screen::StartSlot].Visible, sweep);
    EXPECT_EQ(m.Slots[screen::StopSlot].Visible, sweep);
    EXPECT_EQ(m.Slots[screen::MarkerSlot].Visible, sweep || pulse);
  }
};

TEST_F(HandlerTest, ModeTableHoldsInEveryModeAndWaveform) {
  ExpectMode(TMode::Normal, 1);
  for (ui::TSpeedButton* wave : {Form->SineBtn, Form->TriBtn, Form->SquareBtn}) {
    wave->click();
    const int w = wave->Tag;
    Form->SweepBtn->click();
    ExpectMode(TMode::Sweep, w);
    Form->SweepBtn->click();
    ExpectMode(TMode::Normal, w);
    Form->PulseBtn->click();
    ExpectMode(TMode::Pulse, w);
    Form->PulseBtn->click();
    ExpectMode(TMode::Normal, w);
  }
}

// Pixels near the button's font colour in its picture as the style draws it.
int PixelsInFontColour(ui::TSpeedButton& button) {
  const QImage image = button.grab().toImage();
  const QColor font = button.FontColor();
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - font.red()) + std::abs(c.green() - font.green()) +
              std::abs(c.blue() - font.blue()) <
          60)
        ++count;
    }
  }
  return count;
}

TEST_F(HandlerTest, DisabledButtonsAreDrawnInTheDisabledLook) {
  Form->show();
  // Invert at start, Set in pulse mode, Pulse in sweep mode: disabled, so
  // none of their caption is drawn in their font colour; enabled, it is.
  auto expectLooks = [](ui::TSpeedButton& button, bool enabled) {
    SCOPED_TRACE(button.objectName().toStdString());
    ASSERT_EQ(button.isEnabled(), enabled);
    if (enabled)
      EXPECT_GT(PixelsInFontColour(button), 0);
    else
      EXPECT_EQ(PixelsInFontColour(button), 0);
  };
  expectLooks(*Form->InvertBtn, false);
  expectLooks(*Form->FSetBtn, true);
  Form->PulseBtn->click();
  expectLooks(*Form->InvertBtn, true);
  expectLooks(*Form->FSetBtn, false);
  Form->PulseBtn->click();
  expectLooks(*Form->PulseBtn, true);
  Form->SweepBtn->click();
  expectLooks(*Form->PulseBtn, false);
}

TEST_F(HandlerTest, RunWithoutDeviceIsTheDemonstration) {
  Form->RunBtn->click();
  EXPECT_EQ(Form->RunBtn->Caption(), "Demo");
  EXPECT_EQ(Form->RunBtn->FontColor(), colors::Red);
  EXPECT_FALSE(Form->SwRstBtn->isEnabled());
  EXPECT_FALSE(Form->PauseBtn->isEnabled());
  EXPECT_TRUE(Flags().ResyncAll);
  EXPECT_FALSE(State().SweepStarted);

  ClearFlags();
  Form->RunBtn->click();
  EXPECT_EQ(Form->RunBtn->Caption(), "Run");
  EXPECT_EQ(Form->RunBtn->FontColor(), colors::Purple);
  EXPECT_TRUE(Flags().ResyncAll);
}

TEST_F(HandlerTest, SweepControlsWorkOnlyWhileRunningInSweepMode) {
  Form->SweepBtn->click();
  EXPECT_FALSE(Form->SwRstBtn->isEnabled());
  Form->RunBtn->click();
  EXPECT_TRUE(Form->SwRstBtn->isEnabled());
  EXPECT_TRUE(Form->PauseBtn->isEnabled());

  Form->PauseBtn->click();
  EXPECT_EQ(Form->PauseBtn->FontColor(), colors::Red);
  // Releasing Run releases Pause too.
  Form->RunBtn->click();
  EXPECT_FALSE(Form->PauseBtn->isChecked());
  EXPECT_EQ(Form->PauseBtn->FontColor(), colors::Teal);
  EXPECT_FALSE(Form->SwRstBtn->isEnabled());
  EXPECT_FALSE(Form->PauseBtn->isEnabled());
}

TEST_F(HandlerTest, ModeChangeReleasesRun) {
  Form->RunBtn->click();
  ClearFlags();
  Form->PulseBtn->click();
  EXPECT_FALSE(Form->RunBtn->isChecked());
  EXPECT_EQ(Form->RunBtn->Caption(), "Run");
  EXPECT_EQ(Form->RunBtn->FontColor(), colors::Purple);
  EXPECT_TRUE(Flags().ResyncAll);
}

TEST_F(HandlerTest, SweepModeResetsTheMarkerStateAndShowsTheLogScale) {
  Locked([](TControlState& s, screen::TZOLScreenModel&) { s.LastMarkerState = true; });
  Form->SweepBtn->click();
  EXPECT_FALSE(State().LastMarkerState);
  EXPECT_TRUE(Model().LogScale);
}

TEST_F(HandlerTest, PulseHalvesAMarkerAboveTheOutputFrequency) {
  auto setMarker = [this](auto of) {
    Locked([&](TSharedState& s) { s.Settings.SetMarker(of(s.Settings)); });
  };
  auto marker = [this] { return Run->Control().Settings().Marker().GridHz(); };
  Locked([](TSharedState& s) { s.Settings.SetFrequency(AskedFrequency(1000)); });
  setMarker([](const TGeneratorSettings&) { return AskedFrequency(3000); });
  Form->PulseBtn->click();
  TGeneratorSettings s = Run->Control().Settings();
  EXPECT_EQ(marker(), screen::TZOLScreenModel::SnapToGrid(s.Frequency().GridHz() / 2));
  EXPECT_EQ(s.WidthCode(), screen::PulseCode(1, marker())) << "the width is the marker";

  Form->PulseBtn->click();
  setMarker([](const TGeneratorSettings&) { return AskedFrequency(700); });
  Form->PulseBtn->click();
  EXPECT_EQ(marker(), screen::TZOLScreenModel::SnapToGrid(700));

  // A marker equal to the output frequency stays.
  Form->PulseBtn->click();
  setMarker([](const TGeneratorSettings& now) { return now.Frequency(); });
  Form->PulseBtn->click();
  s = Run->Control().Settings();
  EXPECT_EQ(marker(), s.Frequency().GridHz());
}

TEST_F(HandlerTest, DividerGaugeReturnsToZeroOnEveryModeChange) {
  Form->SquareBtn->click();
  Form->DivGaugeBar->setValue(-1);
  ClearFlags();
  Form->PulseBtn->click();
  EXPECT_EQ(Model().Divider, 0);
  EXPECT_TRUE(Flags().PulseDivDirty);

  Form->DivGaugeBar->setValue(-3);
  EXPECT_EQ(Model().Divider, 3);
  ClearFlags();
  Form->PulseBtn->click();
  EXPECT_EQ(Model().Divider, 0);
  EXPECT_TRUE(Flags().WaveDirty);
  EXPECT_FALSE(Flags().PulseDivDirty);
  EXPECT_EQ(Form->DivGaugeBar->minimum(), -1);
}

TEST_F(HandlerTest, PulseWithTriangleUsesTheSquareLevelAndRestoresTheAnalogOne) {
  Form->TriBtn->click();
  Form->AmpGaugeBar->setValue(-4);
  Locked([](TSharedState& s) { s.Settings.SetAttenuation(TWaveform::Square, 11); });
  Form->PulseBtn->click();
  EXPECT_EQ(Model().Waveform, -2);
  EXPECT_EQ(Form->AmpGaugeBar->value(), -11);
  EXPECT_EQ(Model().AmpLevelAnalog, 4);
  Form->PulseBtn->click();
  EXPECT_EQ(Model().Waveform, 2);
  EXPECT_EQ(Form->AmpGaugeBar->value(), -4);
  EXPECT_EQ(Model().AmpLevelSquare, 11);
}

TEST_F(HandlerTest, SweepTimeLabelRightAlignsTheSeconds) {
  Form->SweepBtn->click();
  Form->SwGaugeBar->setValue(1);
  EXPECT_EQ(Form->SwTimeLabel->text(), "Sweep time   1 s");
  Form->SwGaugeBar->setValue(10);
  EXPECT_EQ(Form->SwTimeLabel->text(), "Sweep time  10 s");
  Form->SwGaugeBar->setValue(100);
  EXPECT_EQ(Form->SwTimeLabel->text(), "Sweep time 100 s");
  // A mode change refreshes it too.
  Form->SwTimeLabel->setText("x");
  Form->SweepBtn->click();
  EXPECT_EQ(Form->SwTimeLabel->text(), "Sweep time 100 s");
}

TEST_F(HandlerTest, SweepDirectionAndRestart) {
  Form->SweepBtn->click();
  Form->SweepDirBar->setValue(2);
  EXPECT_FALSE(State().SweepUp);
  Form->SweepDirBar->setValue(1);
  EXPECT_FALSE(State().SweepUp);
  Form->SweepDirBar->setValue(0);
  EXPECT_TRUE(State().SweepUp);
  Form->SweepDirBar->setValue(1);
  EXPECT_TRUE(State().SweepUp);

  Locked([](TControlState& s, screen::TZOLScreenModel&) { s.SweepStarted = true; });
  Run->Control().Sweep().SwRstBtnClick();
  EXPECT_TRUE(Flags().SweepRestart);
  EXPECT_FALSE(State().SweepStarted);
}

TEST_F(HandlerTest, SquareLoadsItsRememberedLevel) {
  Form->AmpGaugeBar->setValue(-5);
  Locked([](TSharedState& s) { s.Settings.SetAttenuation(TWaveform::Square, 9); });
  ClearFlags();
  Form->SquareBtn->click();
  EXPECT_EQ(Form->AmpGaugeBar->value(), -9);
  EXPECT_EQ(Model().AmpLevelSquare, 9);
  EXPECT_EQ(Model().AmpLevelAnalog, 5);
  EXPECT_TRUE(Flags().AmpSquareDirty);
  EXPECT_FALSE(Flags().AmpAnalogDirty);
  EXPECT_TRUE(Flags().WaveDirty);
  EXPECT_TRUE(Form->DivGaugeBar->isEnabled());
  EXPECT_EQ(Form->SquareBtn->FontColor(), colors::Red);
  EXPECT_EQ(Form->SineBtn->FontColor(), colors::Navy);
  EXPECT_EQ(Form->TriBtn->FontColor(), colors::Navy);
}

TEST_F(HandlerTest, SineToTriangleKeepsTheGauge) {
  Form->AmpGaugeBar->setValue(-6);
  ClearFlags();
  Form->TriBtn->click();
  EXPECT_EQ(Form->AmpGaugeBar->value(), -6);
  const TUpdateFlags flags = Flags();
  EXPECT_TRUE(flags.WaveDirty);
  EXPECT_FALSE(flags.AmpAnalogDirty);
  EXPECT_FALSE(flags.AmpSquareDirty);
  EXPECT_EQ(Model().Waveform, 2);
  EXPECT_FALSE(Form->DivGaugeBar->isEnabled());
}

TEST_F(HandlerTest, DisabledDividerKeepsItsValue) {
  Form->SquareBtn->click();
  Form->DivGaugeBar->setValue(-1);
  EXPECT_EQ(Model().Divider, 1);
  Form->TriBtn->click();
  EXPECT_FALSE(Form->DivGaugeBar->isEnabled());
  EXPECT_EQ(Form->DivGaugeBar->value(), -1);
  EXPECT_EQ(Model().Divider, 1);
  Form->SquareBtn->click();
  EXPECT_TRUE(Form->DivGaugeBar->isEnabled());
  EXPECT_EQ(Model().Divider, 1);
}

TEST_F(HandlerTest, GaugesInPulseModeMarkThePulseSettings) {
  Form->PulseBtn->click();
  ClearFlags();
  Form->AmpGaugeBar->setValue(-12);
  EXPECT_EQ(Model().AmpLevelSquare, 12);
  EXPECT_TRUE(Flags().AmpSquareDirty);
  Form->DivGaugeBar->setValue(-3);
  EXPECT_EQ(Model().Divider, 3);
  EXPECT_TRUE(Flags().PulseDivDirty);
  EXPECT_FALSE(Flags().WaveDirty);

  for (TColor expected : {colors::Red, colors::Teal, colors::Red}) {
    ClearFlags();
    Form->InvertBtn->click();
    EXPECT_EQ(Form->InvertBtn->FontColor(), expected);
    EXPECT_TRUE(Flags().InvertDirty);
  }
}

}  // namespace
}  // namespace control::test
