// What the virtual generator receives when the user works the real main
// window's controls while connected.

#include <QApplication>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <tuple>

#include "command/ControlPanel.h"
#include "tests/support/MainWindowFixture.h"
#include "command/DeviceLink.h"
#include "serial/PortList.h"
#include "ui/ImageView.h"

namespace control::test {
namespace {

class CommandsTest : public MainWindowFixture {
 protected:
  // Connected, Run pressed, its resync received; returns the command count.
  std::size_t RunConnected(sim::TFaults faults = {}) {
    ConnectDevice(faults);
    Form->RunBtn->click();
    EXPECT_TRUE(WaitForCommands(10));
    EXPECT_TRUE(WaitForTicks(4));
    return CommandCount();
  }

  std::int32_t FrequencyWord() {
    return Locked([](const TControlState&, const screen::TZOLScreenModel& s) {
      return s.Slots[screen::FrequencySlot].Word;
    });
  }

  // The device's tuning word follows the screen's Frequency slot.
  void ExpectDeviceOnFrequencySlot() {
    EXPECT_EQ(static_cast<std::int32_t>(Device->State().TuningWord), FrequencyWord());
  }

  // Turns the mouse wheel over the screen by `eighths` of a degree.
  void Wheel(int eighths) {
    const QPointF middle(Form->Image321->width() / 2.0, Form->Image321->height() / 2.0);
    QWheelEvent event(middle, Form->Image321->mapToGlobal(middle), QPoint(), QPoint(0, eighths),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Form->Image321, &event);
  }

  // Switched to pulse mode and running, its resync received.
  void RunPulseMode() {
    const std::size_t mark = RunConnected();
    Form->PulseBtn->click();
    EXPECT_TRUE(WaitForCommands(mark + 1));
    Form->RunBtn->click();
    // The stop of the mode change, then the pulse-mode resync.
    EXPECT_TRUE(WaitForCommands(mark + 10));
    EXPECT_TRUE(WaitForTicks(4));
  }
};

TEST_F(CommandsTest, RunPressedProbesIdentityThenSendsEverySetting) {
  ConnectDevice();
  const std::size_t mark = CommandCount();
  Form->RunBtn->click();
  EXPECT_EQ(Form->RunBtn->Caption(), "Run");
  EXPECT_EQ(Form->RunBtn->FontColor(), colors::Red);
  EXPECT_EQ(KindsAfter(mark, 6),
            (std::vector<Kind>{Kind::Identify, Kind::AmpAnalog, Kind::AmpSquare, Kind::Coarse,
                               Kind::Fine, Kind::ControlWord}));
  const auto commands = Received(mark);
  EXPECT_EQ(commands[1].Value, 0);
  EXPECT_EQ(commands[2].Value, 0);
  EXPECT_EQ(commands[5].Value, 0);  // sine
  ExpectDeviceOnFrequencySlot();
  EXPECT_TRUE(Device->State().Running);
}

TEST_F(CommandsTest, RunReleasedSendsOneStopOnly) {
  const std::size_t mark = RunConnected();
  Form->RunBtn->click();
  EXPECT_EQ(Form->RunBtn->FontColor(), colors::Purple);
  EXPECT_EQ(KindsAfter(mark, 1), std::vector<Kind>{Kind::Stop});
}

TEST_F(CommandsTest, FailedIdentityProbeGoesOfflineIntoDemonstration) {
  // Handshake "&", "V", "v", "Z": the device hangs up on the probe's "&".
  sim::TFaults faults;
  faults.HangUpAfter = 5;
  ConnectDevice(faults);
  Form->RunBtn->click();
  EXPECT_FALSE(Online());
  EXPECT_FALSE(Run->Port().Connected());
  EXPECT_FALSE(Form->ConnectBtn->isChecked());
  EXPECT_EQ(Form->ConnectBtn->FontColor(), colors::Purple);
  EXPECT_TRUE(Form->RunBtn->isChecked());
  EXPECT_EQ(Form->RunBtn->Caption(), "Demo");
  EXPECT_EQ(Form->RunBtn->FontColor(), colors::Red);
  EXPECT_TRUE(Dialogs->Messages.empty());
}

TEST_F(CommandsTest, FailedIdentityProbeIsToldAsTheGeneratorsLoss) {
  int lost = 0;
  Run->Control().Connection().DeviceLost = [&] { ++lost; };
  sim::TFaults faults;
  faults.HangUpAfter = 5;
  ConnectDevice(faults);
  Form->RunBtn->click();
  EXPECT_FALSE(Online());
  EXPECT_EQ(lost, 1) << "the remote clients hear of it as of a hang-up";
}

TEST_F(CommandsTest, WaveformAndAmplitudeChanges) {
  std::size_t mark = RunConnected();
  Form->TriBtn->click();
  EXPECT_EQ(KindsAfter(mark, 1), std::vector<Kind>{Kind::ControlWord});
  EXPECT_EQ(Received(mark)[0].Value, 2);

  mark = CommandCount();
  Form->AmpGaugeBar->setValue(-5);
  EXPECT_EQ(KindsAfter(mark, 1), std::vector<Kind>{Kind::AmpAnalog});
  EXPECT_EQ(Received(mark)[0].Value, 5);

  // Square remembers its own level (0): the gauge moves back and sends it.
  mark = CommandCount();
  Form->SquareBtn->click();
  EXPECT_EQ(Form->AmpGaugeBar->value(), 0);
  EXPECT_EQ(KindsAfter(mark, 2), (std::vector<Kind>{Kind::AmpSquare, Kind::ControlWord}));
  EXPECT_EQ(Received(mark)[0].Value, 0);
  EXPECT_EQ(Received(mark)[1].Value, 40);

  mark = CommandCount();
  Form->DivGaugeBar->setValue(-1);
  EXPECT_EQ(KindsAfter(mark, 1), std::vector<Kind>{Kind::ControlWord});
  EXPECT_EQ(Received(mark)[0].Value, 32);

  // Back to sine: the analog level 5 returns to the gauge and is sent again.
  mark = CommandCount();
  Form->SineBtn->click();
  EXPECT_EQ(Form->AmpGaugeBar->value(), -5);
  EXPECT_EQ(KindsAfter(mark, 2), (std::vector<Kind>{Kind::AmpAnalog, Kind::ControlWord}));
  EXPECT_EQ(Received(mark)[1].Value, 0);
}

TEST_F(CommandsTest, PulseModeStopsThenSendsPeriodWidthDividerAndInvert) {
  std::size_t mark = RunConnected();
  Form->PulseBtn->click();
  EXPECT_FALSE(Form->RunBtn->isChecked());
  EXPECT_EQ(KindsAfter(mark, 1), std::vector<Kind>{Kind::Stop});

  mark = CommandCount();
  Form->RunBtn->click();
  EXPECT_EQ(KindsAfter(mark, 9),
            (std::vector<Kind>{Kind::Identify, Kind::AmpAnalog, Kind::AmpSquare, Kind::Stop,
                               Kind::PulseMode, Kind::PulsePeriod, Kind::PulseWidth, Kind::Invert,
                               Kind::PulseDivider}));
  auto commands = Received(mark);
  const int period = Settings().PeriodCode(), width = Settings().WidthCode();
  EXPECT_EQ(commands[4].Value, 1);
  EXPECT_EQ(commands[5].Value, period);
  EXPECT_EQ(commands[6].Value, width);
  EXPECT_EQ(commands[7].Value, 0);
  EXPECT_EQ(commands[8].Value, 1);

  mark = CommandCount();
  Form->DivGaugeBar->setValue(-2);
  EXPECT_EQ(KindsAfter(mark, 1), std::vector<Kind>{Kind::PulseDivider});
  EXPECT_EQ(Received(mark)[0].Value, 3);

  mark = CommandCount();
  Form->InvertBtn->click();
  EXPECT_EQ(Form->InvertBtn->FontColor(), colors::Red);
  EXPECT_EQ(KindsAfter(mark, 1), std::vector<Kind>{Kind::Invert});
  EXPECT_EQ(Received(mark)[0].Value, 1);

  mark = CommandCount();
  Form->AmpGaugeBar->setValue(-12);
  EXPECT_EQ(KindsAfter(mark, 1), std::vector<Kind>{Kind::AmpSquare});
  EXPECT_EQ(Received(mark)[0].Value, 12);
}

TEST_F(CommandsTest, SweepPressedWhileConnectedSendsStopAtOnce) {
  ConnectDevice();
  const std::size_t mark = CommandCount();
  Form->SweepBtn->click();
  // Written and waited for inside the click, before any tick could send.
  EXPECT_TRUE(Device->WaitForCommands(mark + 1, 500ms));
  EXPECT_EQ(KindsAfter(mark, 1), std::vector<Kind>{Kind::Stop});
}

TEST_F(CommandsTest, SweepPressedWhileRunningStopsAndReleasesRun) {
  const std::size_t mark = RunConnected();
  Form->SweepBtn->click();
  EXPECT_FALSE(Form->RunBtn->isChecked());
  // Its own stop at once, then the stop of the resync of the released Run.
  EXPECT_EQ(KindsAfter(mark, 2), (std::vector<Kind>{Kind::Stop, Kind::Stop}));
}

TEST_F(CommandsTest, NothingIsSentWhileRunIsUp) {
  ConnectDevice();
  const std::size_t mark = CommandCount();
  Form->SquareBtn->click();
  Form->AmpGaugeBar->setValue(-3);
  Dialogs->Answers.push_back("2000");
  Form->FSetBtn->click();
  EXPECT_TRUE(WaitForTicks(6));
  EXPECT_EQ(CommandCount(), mark);
}

TEST_F(CommandsTest, ArrowPressStepsOnceWithOneFinePacket) {
  std::size_t mark = RunConnected();
  const std::int32_t before = FrequencyWord();
  QTest::mousePress(Form->FRightBtn, Qt::LeftButton);
  // Fewer than ten redraws: still the single step of the press.
  ProcessEventsFor(250ms);
  QTest::mouseRelease(Form->FRightBtn, Qt::LeftButton);
  EXPECT_EQ(KindsAfter(mark, 1), std::vector<Kind>{Kind::Fine});
  EXPECT_EQ(Received(mark)[0].Value, FrequencyWord() - before);
  EXPECT_GT(FrequencyWord(), before);
  ExpectDeviceOnFrequencySlot();

  // Down arrow, right button: nothing.
  mark = CommandCount();
  QTest::mousePress(Form->FLeftBtn, Qt::RightButton);
  QTest::mouseRelease(Form->FLeftBtn, Qt::RightButton);
  EXPECT_TRUE(WaitForTicks(4));
  EXPECT_EQ(CommandCount(), mark);
}

TEST_F(CommandsTest, HeldArrowRepeatsUntilReleased) {
  const std::size_t mark = RunConnected();
  const std::int32_t word = FrequencyWord();
  const std::uint64_t pressed = RedrawCount;
  QTest::mousePress(Form->FLeftBtn, Qt::LeftButton);
  // One step on the press, then one a redraw after ten redraws: 5 in 14.
  ASSERT_TRUE(WaitUntil([&] { return RedrawCount >= pressed + 14; }, 10s));
  QTest::mouseRelease(Form->FLeftBtn, Qt::LeftButton);
  EXPECT_TRUE(WaitForTicks(4));
  const std::size_t afterRelease = CommandCount();
  const double step = Model().Step;
  EXPECT_NEAR(word - FrequencyWord(), 5 * step / (25e6 / 268435456.0), 5.5) << "five steps down";
  EXPECT_GE(afterRelease - mark, 1u);
  for (Kind k : ReceivedKinds(mark)) EXPECT_EQ(k, Kind::Fine);
  EXPECT_TRUE(WaitForTicks(6));
  EXPECT_EQ(CommandCount(), afterRelease);
  ExpectDeviceOnFrequencySlot();
}

TEST_F(CommandsTest, QuickSecondClickOnAnArrowIsAStepToo) {
  const std::size_t mark = RunConnected();
  const std::int32_t before = FrequencyWord();
  // What the window system delivers for two clicks 80 ms apart: press,
  // release, double click, release.
  QTest::mouseClick(Form->FRightBtn, Qt::LeftButton);
  ProcessEventsFor(80ms);
  QTest::mouseDClick(Form->FRightBtn, Qt::LeftButton);
  QTest::mouseRelease(Form->FRightBtn, Qt::LeftButton);
  EXPECT_EQ(KindsAfter(mark, 2), (std::vector<Kind>{Kind::Fine, Kind::Fine}));
  const auto commands = Received(mark);
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0].Value + commands[1].Value, FrequencyWord() - before);
  ExpectDeviceOnFrequencySlot();
}

TEST_F(CommandsTest, DisabledArrowsInPulseModeSendNothing) {
  RunPulseMode();
  const auto period = [this] { return Settings().PeriodCode(); };
  const int periodBefore = period();
  const std::size_t mark = CommandCount();
  // Held past the repeat delay: neither the press nor the repeat steps.
  for (ui::TSpeedButton* arrow : {Form->FLeftBtn, Form->FRightBtn}) {
    ASSERT_FALSE(arrow->isEnabled());
    QTest::mousePress(arrow, Qt::LeftButton);
    ProcessEventsFor(700ms);
    QTest::mouseRelease(arrow, Qt::LeftButton);
    QTest::mouseDClick(arrow, Qt::LeftButton);
    QTest::mouseRelease(arrow, Qt::LeftButton);
  }
  EXPECT_TRUE(WaitForTicks(4));
  EXPECT_EQ(CommandCount(), mark);
  EXPECT_EQ(period(), periodBefore);
  EXPECT_EQ(Model().StepShowTicks, 0);
}

TEST_F(CommandsTest, WheelNotchIsOneArrowStepWithOneFinePacket) {
  std::size_t mark = RunConnected();
  const std::int32_t before = FrequencyWord();
  Wheel(120);
  EXPECT_EQ(KindsAfter(mark, 1), std::vector<Kind>{Kind::Fine});
  EXPECT_EQ(Received(mark)[0].Value, FrequencyWord() - before);
  EXPECT_GT(FrequencyWord(), before);
  EXPECT_GT(Model().StepShowTicks, 0);
  ExpectDeviceOnFrequencySlot();
  // Towards the user: the down arrow's step, back where it was.
  mark = CommandCount();
  Wheel(-120);
  EXPECT_EQ(KindsAfter(mark, 1), std::vector<Kind>{Kind::Fine});
  EXPECT_EQ(FrequencyWord(), before);
  ExpectDeviceOnFrequencySlot();
}

TEST_F(CommandsTest, HighResolutionWheelStepsOnWholeNotchesOnly) {
  std::size_t mark = RunConnected();
  const std::int32_t before = FrequencyWord();
  Wheel(40);
  Wheel(40);
  EXPECT_TRUE(WaitForTicks(3));
  EXPECT_EQ(CommandCount(), mark);
  Wheel(40);
  EXPECT_EQ(KindsAfter(mark, 1), std::vector<Kind>{Kind::Fine});
  const std::int32_t oneStep = FrequencyWord() - before;
  EXPECT_GT(oneStep, 0);
  // 200: one notch and 80 kept, which the next 40 complete.
  mark = CommandCount();
  Wheel(200);
  EXPECT_EQ(KindsAfter(mark, 1), std::vector<Kind>{Kind::Fine});
  EXPECT_EQ(FrequencyWord() - before, 2 * oneStep);
  mark = CommandCount();
  Wheel(40);
  EXPECT_EQ(KindsAfter(mark, 1), std::vector<Kind>{Kind::Fine});
  EXPECT_EQ(FrequencyWord() - before, 3 * oneStep);
  ExpectDeviceOnFrequencySlot();
}

TEST_F(CommandsTest, ArrowPressedByAScreenReaderStepsOnce) {
  const std::size_t mark = RunConnected();
  const std::int32_t before = FrequencyWord();
  Form->FRightBtn->AssistivePress();
  EXPECT_EQ(KindsAfter(mark, 1), std::vector<Kind>{Kind::Fine});
  EXPECT_GT(FrequencyWord(), before);
  ExpectDeviceOnFrequencySlot();
}

TEST_F(CommandsTest, WheelInPulseModeDoesNothing) {
  RunPulseMode();
  const int periodBefore = Settings().PeriodCode();
  const std::size_t mark = CommandCount();
  Wheel(120);
  Wheel(-360);
  EXPECT_TRUE(WaitForTicks(4));
  EXPECT_EQ(CommandCount(), mark);
  EXPECT_EQ(Settings().PeriodCode(), periodBefore);
  EXPECT_EQ(Model().StepShowTicks, 0);
}

TEST_F(CommandsTest, SetSendsCoarseAndFine) {
  const std::size_t mark = RunConnected();
  Dialogs->Answers.push_back("2000");
  Form->FSetBtn->click();
  EXPECT_EQ(KindsAfter(mark, 2), (std::vector<Kind>{Kind::Coarse, Kind::Fine}));
  EXPECT_EQ(FrequencyWord(), static_cast<std::int32_t>(std::nearbyint(2000 * 268435456.0 / 25e6)));
  ExpectDeviceOnFrequencySlot();
}

TEST_F(CommandsTest, DragOnTheScaleMovesTheDeviceFrequency) {
  const std::size_t mark = RunConnected();
  const auto [x, y] = Locked([](const TControlState&, const screen::TZOLScreenModel& s) {
    return std::make_pair(s.PositionToX(s.Slots[screen::FrequencySlot].Position),
                          s.BitmapHeight - 28);
  });
  const std::int32_t before = FrequencyWord();
  emit Form->Image321->MousePressed(Qt::LeftButton, x, y);
  for (int dx = 10; dx <= 100; dx += 10) {
    emit Form->Image321->MouseMoved(x + dx, y);
    ProcessEventsFor(20ms);
  }
  emit Form->Image321->MouseReleased(Qt::LeftButton, x + 100, y);
  EXPECT_TRUE(WaitForCommands(mark + 2));
  EXPECT_TRUE(WaitForTicks(4));
  EXPECT_GT(FrequencyWord(), before);
  const auto kinds = ReceivedKinds(mark);
  ASSERT_GE(kinds.size(), 2u);
  EXPECT_EQ(kinds.size() % 2, 0u);
  for (std::size_t i = 0; i < kinds.size(); i += 2) {
    EXPECT_EQ(kinds[i], Kind::Coarse);
    EXPECT_EQ(kinds[i + 1], Kind::Fine);
  }
  ExpectDeviceOnFrequencySlot();
}

TEST_F(CommandsTest, PressOnTheScaleJumpsThePulsePeriod) {
  ConnectDevice();
  Form->PulseBtn->click();
  const std::size_t beforeRun = CommandCount();
  Form->RunBtn->click();
  ASSERT_TRUE(WaitForCommands(beforeRun + 9));
  EXPECT_TRUE(WaitForTicks(4));
  const std::size_t mark = CommandCount();
  const auto [x, y] = Locked([](const TControlState&, const screen::TZOLScreenModel& s) {
    return std::make_pair(s.PositionToX(0.8), s.BitmapHeight - 28);
  });
  emit Form->Image321->MousePressed(Qt::LeftButton, x, y);
  emit Form->Image321->MouseReleased(Qt::LeftButton, x, y);
  EXPECT_EQ(KindsAfter(mark, 1), std::vector<Kind>{Kind::PulsePeriod});
  EXPECT_EQ(Received(mark)[0].Value, Settings().PeriodCode());
}

TEST_F(CommandsTest, PulseModeDragLeftPastTheMarkerSendsTheWidthToo) {
  ConnectDevice();
  Form->PulseBtn->click();
  const std::size_t beforeRun = CommandCount();
  Form->RunBtn->click();
  ASSERT_TRUE(WaitForCommands(beforeRun + 9));
  EXPECT_TRUE(WaitForTicks(4));
  const auto [from, to, y] = Locked([](const TControlState&, const screen::TZOLScreenModel& s) {
    const double marker = s.Slots[screen::MarkerSlot].Position;
    return std::make_tuple(s.PositionToX(s.Slots[screen::FrequencySlot].Position),
                           s.PositionToX(marker * 0.7), s.BitmapHeight - 28);
  });
  const std::size_t mark = CommandCount();
  emit Form->Image321->MousePressed(Qt::LeftButton, from, y);
  emit Form->Image321->MouseMoved(to, y);
  emit Form->Image321->MouseReleased(Qt::LeftButton, to, y);
  const auto kinds = KindsAfter(mark, 2);
  ASSERT_GE(kinds.size(), 2u);
  EXPECT_EQ(kinds[0], Kind::PulsePeriod);
  EXPECT_EQ(kinds[1], Kind::PulseWidth);
  const auto [period, width, together] = Locked([](TSharedState& shared) {
    const screen::TZOLScreenModel& s = shared.Model;
    return std::make_tuple(shared.Settings.PeriodCode(), shared.Settings.WidthCode(),
                           s.Slots[screen::MarkerSlot].Word == s.Slots[screen::FrequencySlot].Word);
  });
  EXPECT_TRUE(together) << "the marker is pulled along with the output frequency";
  EXPECT_EQ(Device->State().PulsePeriodCode, period);
  EXPECT_EQ(Device->State().PulseWidthCode, width);
}

// Indexes where an upward ("s", coarse, fine, "S") or a downward
// ("S", coarse, fine, "s") sweep restart begins.
std::vector<std::size_t> RestartsIn(const std::vector<Kind>& kinds, bool upward) {
  const Kind first = upward ? Kind::MarkerClear : Kind::MarkerSet;
  const Kind last = upward ? Kind::MarkerSet : Kind::MarkerClear;
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i + 3 < kinds.size(); ++i) {
    if (kinds[i] == first && kinds[i + 1] == Kind::Coarse && kinds[i + 2] == Kind::Fine &&
        kinds[i + 3] == last) {
      found.push_back(i);
    }
  }
  return found;
}

std::size_t CountOf(const std::vector<Kind>& kinds, std::size_t from, std::size_t to, Kind kind) {
  return static_cast<std::size_t>(std::count(kinds.begin() + static_cast<std::ptrdiff_t>(from),
                                             kinds.begin() + static_cast<std::ptrdiff_t>(to),
                                             kind));
}

TEST_F(CommandsTest, LogSweepOfOneSecondTakesTwentyStepsAndCrossesTheMarkerOnce) {
  ConnectDevice();
  Form->SweepBtn->click();
  const std::size_t mark = CommandCount();
  Form->RunBtn->click();
  ProcessEventsFor(2400ms);
  const auto kinds = ReceivedKinds(mark);
  const auto restarts = RestartsIn(kinds, true);
  ASSERT_GE(restarts.size(), 2u);
  // One pass: the restart's fine command, twenty steps, then the next restart.
  EXPECT_EQ(CountOf(kinds, restarts[0], restarts[1], Kind::Fine), 21u);
  // The restart clears the marker before the pass and sets it for its start;
  // the pass clears it once where it reaches the marker's frequency.
  EXPECT_EQ(CountOf(kinds, restarts[0], restarts[1], Kind::MarkerClear), 2u);
  EXPECT_EQ(CountOf(kinds, restarts[0], restarts[1], Kind::MarkerSet), 1u);
  EXPECT_TRUE(RestartsIn(kinds, false).empty());
}

TEST_F(CommandsTest, BothWaysSweepAlternatesItsPasses) {
  ConnectDevice();
  Form->SweepBtn->click();
  Form->SweepDirBar->setValue(1);
  const std::size_t mark = CommandCount();
  Form->RunBtn->click();
  ProcessEventsFor(2400ms);
  const auto kinds = ReceivedKinds(mark);
  const auto up = RestartsIn(kinds, true);
  const auto down = RestartsIn(kinds, false);
  ASSERT_GE(up.size(), 1u);
  ASSERT_GE(down.size(), 1u);
  // The first pass after Run keeps the direction it had (up); the next goes down.
  EXPECT_LT(up.front(), down.front());
  if (up.size() > 1) {
    EXPECT_GT(up[1], down.front());
  }
}

TEST_F(CommandsTest, PausedSweepHoldsItsFrequencyAndRestartsOnceToItsStart) {
  ConnectDevice();
  Form->SweepBtn->click();
  Form->RunBtn->click();
  ASSERT_TRUE(WaitForTicksWritten(6));
  Form->PauseBtn->click();
  // Every tick begun before the pause has written its steps, and the
  // device has read them.
  ASSERT_TRUE(WaitForTicksWritten(2));
  ASSERT_TRUE(WaitForDeviceCaughtUp());
  const std::size_t paused = CommandCount();
  const std::int32_t heldWord = FrequencyWord();
  ASSERT_TRUE(WaitForTicksWritten(6));
  ASSERT_TRUE(WaitForDeviceCaughtUp());
  EXPECT_EQ(CommandCount(), paused) << "a paused sweep sends nothing";
  EXPECT_EQ(FrequencyWord(), heldWord);

  Form->SwRstBtn->click();
  ASSERT_TRUE(WaitForCommands(paused + 4));
  ASSERT_TRUE(WaitForTicksWritten(2));
  ASSERT_TRUE(WaitForDeviceCaughtUp());
  const auto kinds = ReceivedKinds(paused);
  EXPECT_EQ(kinds,
            (std::vector<Kind>{Kind::MarkerClear, Kind::Coarse, Kind::Fine, Kind::MarkerSet}));
  const std::int32_t startWord = Locked([](const TControlState&, const screen::TZOLScreenModel& s) {
    return s.Slots[screen::StartSlot].Word;
  });
  EXPECT_EQ(FrequencyWord(), startWord);
  ExpectDeviceOnFrequencySlot();
}

TEST_F(CommandsTest, ClosingTheWindowStopsTheDevice) {
  ConnectDevice();
  const std::size_t mark = CommandCount();
  Form->close();
  EXPECT_TRUE(Device->WaitForCommands(mark + 1, 1000ms));
  EXPECT_EQ(ReceivedKinds(mark), std::vector<Kind>{Kind::Stop});
  EXPECT_FALSE(Run->Port().Connected());
}

TEST_F(CommandsTest, ClosingWithThePortOpenButOfflineWritesNothingAndClosesIt) {
  StartDevice();
  Run->Link().Open(serial::PortPathFor(PortName));
  ASSERT_TRUE(Run->Port().Connected());
  Form->close();
  EXPECT_FALSE(Device->WaitForCommands(1, 300ms)) << "offline: not even the stop command";
  EXPECT_FALSE(Run->Port().Connected());
}

}  // namespace
}  // namespace control::test
