// Frequency dialogs and arrow stepping of the real main window, without a
// device: titles, prompts, initial texts, checks and messages.

#include <QLabel>

#include "command/FrequencyText.h"
#include "platform/MultimediaTimer.h"
#include "tests/support/MainWindowFixture.h"

namespace control::test {
namespace {

class DialogTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    StopTicksAndClearFlags();
  }

  // A frequency setting as if typed, by the slot that shows it.
  void SetSlot(int slot, double f) {
    Locked([=](TSharedState& s) {
      const TFrequency asked = AskedFrequency(f);
      if (slot == screen::FrequencySlot) s.Settings.SetFrequency(asked);
      if (slot == screen::StartSlot) s.Settings.SetStart(asked);
      if (slot == screen::StopSlot) s.Settings.SetStop(asked);
      if (slot == screen::MarkerSlot) s.Settings.SetMarker(asked);
      s.Settings.UnmarkAll();
    });
    Form->WMRedraw();
  }
  void SetStep(double f) {
    Locked([=](TSharedState& s) { s.Settings.SetStep(f); });
  }

  double SlotFreq(int slot) { return Model().Slots[slot].Freq; }

  void Answer(const QString& text) { Dialogs->Answers.push_back(text); }

  void ExpectOneMessage(const char* text, const char* title, ui::TMsgIcon icon) {
    ASSERT_EQ(Dialogs->Messages.size(), 1u);
    EXPECT_EQ(Dialogs->Messages[0].Text, text);
    EXPECT_EQ(Dialogs->Messages[0].Title, title);
    EXPECT_EQ(Dialogs->Messages[0].Icon, icon);
    Dialogs->Messages.clear();
  }

  // Square wave with its divide-by-two on.
  void DivideSquare() {
    Form->SquareBtn->click();
    Form->DivGaugeBar->setValue(-1);
    ClearFlags();
  }

  static double Grid(double f) { return screen::TZOLScreenModel::SnapToGrid(f); }
};

TEST_F(DialogTest, SetAsksWithTheCurrentFrequency) {
  Answer("2000");
  Form->FSetBtn->click();
  ASSERT_EQ(Dialogs->Asked.size(), 1u);
  EXPECT_EQ(Dialogs->Asked[0].Title, "Enter frequency value");
  EXPECT_EQ(Dialogs->Asked[0].Prompt, "Frequency value in Hz:");
  EXPECT_EQ(Dialogs->Asked[0].Initial, "999.961");  // 1000 Hz on the grid
  EXPECT_EQ(SlotFreq(screen::FrequencySlot), Grid(2000));
  EXPECT_TRUE(Flags().FreqDirty);
  EXPECT_TRUE(Dialogs->Messages.empty());
}

TEST_F(DialogTest, SetAcceptsZeroAndValuesAboveTheTop) {
  Answer("0");
  Form->FSetBtn->click();
  EXPECT_EQ(SlotFreq(screen::FrequencySlot), 0.0);
  EXPECT_TRUE(Flags().FreqDirty);

  Answer(" 20000000 ");
  Form->FSetBtn->click();
  EXPECT_EQ(Model().Slots[screen::FrequencySlot].Word, screen::TopWord);
  EXPECT_TRUE(Dialogs->Messages.empty());
}

TEST_F(DialogTest, SetRejectsWhatIsNotANonNegativeNumber) {
  SetSlot(screen::FrequencySlot, 1234);
  const double before = SlotFreq(screen::FrequencySlot);
  for (const char* text : {"-1", "-0.5", "", "abc", "1,5", "nan", "inf", "-inf", "1e400"}) {
    SCOPED_TRACE(text);
    Answer(text);
    Form->FSetBtn->click();
    ExpectOneMessage("Invalid frequency value", "Error", ui::TMsgIcon::Error);
    EXPECT_EQ(SlotFreq(screen::FrequencySlot), before);
    EXPECT_FALSE(Flags().FreqDirty);
    EXPECT_TRUE(std::isfinite(SlotFreq(screen::FrequencySlot)));
  }
}

TEST_F(DialogTest, CancelChangesNothingAndShowsNothing) {
  const screen::TZOLScreenModel before = Model();
  Dialogs->Answers = {std::nullopt, std::nullopt};
  Form->FSetBtn->click();
  Form->FDeltaFBtn->click();
  Form->SweepBtn->click();
  Dialogs->Answers = {std::nullopt, std::nullopt};
  Form->FStartBtn->click();
  Form->FstopBtn->click();
  EXPECT_EQ(Dialogs->Asked.size(), 4u);
  EXPECT_TRUE(Dialogs->Messages.empty());
  const screen::TZOLScreenModel after = Model();
  for (int slot = 0; slot < 4; ++slot) EXPECT_EQ(after.Slots[slot].Freq, before.Slots[slot].Freq);
  EXPECT_EQ(after.Step, before.Step);
  EXPECT_FALSE(Flags().FreqDirty);
}

TEST_F(DialogTest, InvalidSetAfterACornerPressRevealsTheHiddenText) {
  const QString maker = About->Copyright->text();
  // Armed, then disarmed by a press elsewhere: nothing happens.
  Form->Image321MouseDown(Qt::LeftButton, 0, 0);
  Form->Image321MouseDown(Qt::LeftButton, 1, 0);
  Answer("-5");
  Form->FSetBtn->click();
  EXPECT_EQ(About->Copyright->text(), maker);

  Form->Image321MouseDown(Qt::LeftButton, 0, 0);
  Answer("-5");
  Form->FSetBtn->click();
  EXPECT_NE(About->Copyright->text(), maker);
  EXPECT_FALSE(About->Copyright->text().isEmpty());
  // Still armed: another invalid entry gives the same text again.
  const QString hidden = About->Copyright->text();
  Answer("x");
  Form->FSetBtn->click();
  EXPECT_EQ(About->Copyright->text(), hidden);
  EXPECT_TRUE(
      Locked([](const TControlState& s, const screen::TZOLScreenModel&) { return s.CornerArmed; }));
}

TEST_F(DialogTest, StepDialogSetsTheShownStepWithoutAFlag) {
  Answer("10");
  Form->FDeltaFBtn->click();
  ASSERT_EQ(Dialogs->Asked.size(), 1u);
  EXPECT_EQ(Dialogs->Asked[0].Title, "Enter frequency step");
  EXPECT_EQ(Dialogs->Asked[0].Prompt, "Frequency step in Hz:");
  EXPECT_EQ(Dialogs->Asked[0].Initial, "1.024");  // 1 Hz on the grid: 11 words
  EXPECT_EQ(Model().Step, Grid(10));
  EXPECT_EQ(Model().StepShowTicks, 20);
  const TUpdateFlags flags = Flags();
  EXPECT_FALSE(flags.FreqDirty || flags.FreqStepDirty || flags.ResyncAll);

  Answer("1e300");
  Form->FDeltaFBtn->click();
  EXPECT_TRUE(std::isfinite(Model().Step));
  EXPECT_EQ(Model().Step, Grid(2e7));
}

TEST_F(DialogTest, StepDialogRejectsNegativesAndText) {
  const double before = Model().Step;
  for (const char* text : {"-1", "", "step", "nan", "1e999"}) {
    SCOPED_TRACE(text);
    Answer(text);
    Form->FDeltaFBtn->click();
    ExpectOneMessage("Invalid frequency step value", "Error", ui::TMsgIcon::Error);
    EXPECT_EQ(Model().Step, before);
  }
}

TEST_F(DialogTest, StartAndStopDialogsCheckTheRange) {
  Form->SweepBtn->click();
  Answer("100");
  Form->FStartBtn->click();
  Answer("5000");
  Form->FstopBtn->click();
  ASSERT_EQ(Dialogs->Asked.size(), 2u);
  EXPECT_EQ(Dialogs->Asked[0].Title, "Enter start frequency value");
  EXPECT_EQ(Dialogs->Asked[0].Prompt, "Start frequency value in Hz:");
  EXPECT_EQ(Dialogs->Asked[0].Initial, "0.093");
  EXPECT_EQ(Dialogs->Asked[1].Title, "Enter stop frequency value");
  EXPECT_EQ(Dialogs->Asked[1].Prompt, "Stop frequency value in Hz:");
  EXPECT_EQ(Dialogs->Asked[1].Initial, "12499999.907");
  EXPECT_EQ(SlotFreq(screen::StartSlot), Grid(100));
  EXPECT_EQ(SlotFreq(screen::StopSlot), Grid(5000));
  EXPECT_TRUE(Dialogs->Messages.empty());
  const TUpdateFlags flags = Flags();
  EXPECT_FALSE(flags.FreqDirty || flags.SweepRestart);

  for (const char* text : {"0.05", "12500000.5", "-3", "", "nan", "inf", "1e400"}) {
    SCOPED_TRACE(text);
    Answer(text);
    Form->FStartBtn->click();
    ExpectOneMessage("Invalid frequency value", "Error", ui::TMsgIcon::Error);
    EXPECT_EQ(SlotFreq(screen::StartSlot), Grid(100));
  }
  Answer("0.1");
  Form->FStartBtn->click();
  EXPECT_EQ(SlotFreq(screen::StartSlot), Grid(0.1));
  Answer("12500000");
  Form->FstopBtn->click();
  EXPECT_EQ(Model().Slots[screen::StopSlot].Word, screen::TopWord);
  EXPECT_TRUE(Dialogs->Messages.empty());
}

TEST_F(DialogTest, StartTakesTheTopOfTheScaleExactly) {
  Form->SweepBtn->click();
  Answer("12500000");
  Form->FStartBtn->click();
  // Above the top word's frequency, where Stop stands: a warning, stored.
  ExpectOneMessage("Start value is higher than stop value", "Warning", ui::TMsgIcon::Warning);
  EXPECT_EQ(Model().Slots[screen::StartSlot].Word, screen::TopWord);
}

TEST_F(DialogTest, CrossedLimitsWarnButAreStored) {
  Form->SweepBtn->click();
  SetSlot(screen::StartSlot, 100);
  SetSlot(screen::StopSlot, 1000);
  Answer("2000");
  Form->FStartBtn->click();
  ExpectOneMessage("Start value is higher than stop value", "Warning", ui::TMsgIcon::Warning);
  EXPECT_EQ(SlotFreq(screen::StartSlot), Grid(2000));

  Answer("50");
  Form->FstopBtn->click();
  ExpectOneMessage("Stop value is lower than start value", "Warning", ui::TMsgIcon::Warning);
  EXPECT_EQ(SlotFreq(screen::StopSlot), Grid(50));
}

TEST_F(DialogTest, DividedSquareHalvesWhatTheDialogsShowAndDoublesWhatIsTyped) {
  SetSlot(screen::FrequencySlot, 4000);
  DivideSquare();
  const screen::TZOLScreenModel m = Model();
  Answer("1000");
  Form->FSetBtn->click();
  EXPECT_EQ(Dialogs->Asked.back().Initial,
            QString::fromStdString(FormatDialogNumber(m.Slots[screen::FrequencySlot].Freq / 2)));
  EXPECT_EQ(SlotFreq(screen::FrequencySlot), Grid(2000));

  Answer("5");
  Form->FDeltaFBtn->click();
  EXPECT_EQ(Dialogs->Asked.back().Initial, QString::fromStdString(FormatDialogNumber(m.Step / 2)));
  EXPECT_EQ(Model().Step, Grid(10));

  // In sweep mode the square stays selected and divided.
  Form->SweepBtn->click();
  Form->DivGaugeBar->setValue(-1);
  Answer("0.05");  // 0.1 Hz at the output of the synthesiser: accepted
  Form->FStartBtn->click();
  EXPECT_TRUE(Dialogs->Messages.empty());
  EXPECT_EQ(SlotFreq(screen::StartSlot), Grid(0.1));
  Answer("6250001");  // above 12.5 MHz once doubled
  Form->FstopBtn->click();
  ExpectOneMessage("Invalid frequency value", "Error", ui::TMsgIcon::Error);
  EXPECT_EQ(Dialogs->Asked.back().Initial,
            QString::fromStdString(FormatDialogNumber(Model().Slots[screen::StopSlot].Freq / 2)));
}

TEST_F(DialogTest, DownStepNeverGoesBelowATenthOfAHertz) {
  SetSlot(screen::FrequencySlot, 0.5);
  SetStep(1.0);
  Run->Control().Frequency().StepFrequency(1);
  EXPECT_EQ(SlotFreq(screen::FrequencySlot), Grid(0.1));
  EXPECT_TRUE(Flags().FreqStepDirty);
  EXPECT_FALSE(Flags().FreqDirty);
  EXPECT_EQ(Model().StepShowTicks, 20);
}

TEST_F(DialogTest, ArrowPressStepsAtOnceAndRepeatsAfterTenRedraws) {
  const double start = SlotFreq(screen::FrequencySlot);
  const double step = Model().Step;
  Form->ControlMouseDown(2, Qt::RightButton);
  EXPECT_EQ(SlotFreq(screen::FrequencySlot), start);

  Form->ControlMouseDown(2, Qt::LeftButton);
  EXPECT_EQ(SlotFreq(screen::FrequencySlot), Grid(start + step));
  for (int i = 0; i < 10; ++i) Form->WMRedraw();
  EXPECT_EQ(SlotFreq(screen::FrequencySlot), Grid(start + step));
  Form->WMRedraw();
  EXPECT_EQ(SlotFreq(screen::FrequencySlot), Grid(Grid(start + step) + step));
  Form->ControlMouseUp(Qt::RightButton);  // not the left button: keeps repeating
  Form->WMRedraw();
  const double held = SlotFreq(screen::FrequencySlot);
  EXPECT_GT(held, Grid(Grid(start + step) + step) - 1e-9);
  Form->ControlMouseUp(Qt::LeftButton);
  Form->WMRedraw();
  Form->WMRedraw();
  EXPECT_EQ(SlotFreq(screen::FrequencySlot), held);
  EXPECT_EQ(
      Locked([](const TControlState& s, const screen::TZOLScreenModel&) { return s.RepeatTag; }),
      -1);
}

TEST_F(DialogTest, SweepArrowsMoveTheMarkerOntoTheLimitsExactly) {
  Form->SweepBtn->click();
  SetSlot(screen::StartSlot, 1000);
  SetSlot(screen::StopSlot, 2000);
  SetSlot(screen::MarkerSlot, 1950);
  SetStep(100);
  const double output = SlotFreq(screen::FrequencySlot);

  Run->Control().Frequency().StepFrequency(2);
  screen::TZOLScreenModel m = Model();
  EXPECT_EQ(m.Slots[screen::MarkerSlot].Freq, m.Slots[screen::StopSlot].Freq);
  EXPECT_EQ(m.Slots[screen::MarkerSlot].Word, m.Slots[screen::StopSlot].Word);
  EXPECT_EQ(m.Slots[screen::MarkerSlot].Position, m.Slots[screen::StopSlot].Position);
  Run->Control().Frequency().StepFrequency(2);
  EXPECT_EQ(Model().Slots[screen::MarkerSlot].Word, m.Slots[screen::StopSlot].Word);

  for (int i = 0; i < 15; ++i) Run->Control().Frequency().StepFrequency(1);
  m = Model();
  EXPECT_EQ(m.Slots[screen::MarkerSlot].Word, m.Slots[screen::StartSlot].Word);
  EXPECT_EQ(m.Slots[screen::MarkerSlot].Position, m.Slots[screen::StartSlot].Position);
  // The output frequency is the sweep's: the arrows leave it alone.
  EXPECT_EQ(SlotFreq(screen::FrequencySlot), output);
  EXPECT_FALSE(Flags().FreqStepDirty);
}

}  // namespace
}  // namespace control::test
