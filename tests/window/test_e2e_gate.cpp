// Inputs beside the mouse keep to the controls' rules, end to end against
// the virtual generator: a value stored only after its warning, a dialog
// answered after the mode changed, a screen reader's move of a disabled
// gauge, an arrow disabled while held, the remote control connecting while
// online, and the modes' state after a connection.

#include <QAccessible>
#include <QTest>
#include <algorithm>

#include "command/GeneratorControl.h"
#include "command/RemoteInstrument.h"
#include "tests/support/MainWindowFixture.h"
#include "app/EventWait.h"

namespace control::test {
namespace {

class GateTest : public MainWindowFixture {
 protected:
  std::size_t RunConnected() {
    ConnectDevice();
    Form->RunBtn->click();
    EXPECT_TRUE(WaitForCommands(10));
    EXPECT_TRUE(WaitForTicks(4));
    return CommandCount();
  }

  std::size_t CountOf(Kind kind, std::size_t from) const {
    const auto kinds = ReceivedKinds(from);
    return static_cast<std::size_t>(std::count(kinds.begin(), kinds.end(), kind));
  }

  double SlotFreq(int slot) { return Model().Slots[slot].Freq; }

  TRemoteInstrument Remote() {
    return TRemoteInstrument(Run->Control(), app::WaitProcessingEvents);
  }
};

TEST_F(GateTest, StartAboveStopIsStoredOnlyOnceItsWarningIsClosed) {
  ConnectDevice();
  Form->SweepBtn->click();
  Dialogs->Answers.push_back("1000");
  Form->FstopBtn->click();
  Form->RunBtn->click();
  ASSERT_TRUE(WaitForTicks(4));
  const double start = SlotFreq(screen::StartSlot);
  const double above = 2000.0;
  std::size_t mark = 0;
  double startWhileWarned = 0.0;
  Dialogs->WhileOpen = [&](const QString& title) {
    if (title != "Warning") return;
    mark = CommandCount();
    // The user reads the warning for a while; the sweep goes on meanwhile.
    EXPECT_TRUE(WaitForTicks(6));
    startWhileWarned = SlotFreq(screen::StartSlot);
  };
  Dialogs->Answers.push_back(QString::number(above, 'f', 3));
  Form->FStartBtn->click();
  ASSERT_EQ(Dialogs->Messages.size(), 1u);
  EXPECT_EQ(Dialogs->Messages[0].Text, "Start value is higher than stop value");
  EXPECT_EQ(startWhileWarned, start) << "stored before the warning was closed";
  const std::int32_t aboveWord = Model().Slots[screen::StartSlot].Word;
  for (const sim::TCommand& c : Received(mark))
    EXPECT_FALSE(c.Kind == Kind::Coarse && c.Value == (aboveWord >> 8))
        << "a restart at the typed start";
  EXPECT_NEAR(SlotFreq(screen::StartSlot), above, 0.1) << "stored after the warning";
}

TEST_F(GateTest, SetAnsweredAfterTheModeChangedChangesNothing) {
  ConnectDevice();
  const double frequency = SlotFreq(screen::FrequencySlot);
  Dialogs->WhileOpen = [&](const QString& title) {
    if (title == "Enter frequency value") Run->Control().Modes().SetPulse(true);
  };
  Dialogs->Answers.push_back("2000");
  Form->FSetBtn->click();
  EXPECT_EQ(SlotFreq(screen::FrequencySlot), frequency) << "the typed value became the period";
  ASSERT_EQ(Dialogs->Messages.size(), 1u) << "the user is told";
  EXPECT_EQ(Dialogs->Messages[0].Title, "Error");
  const std::size_t mark = CommandCount();
  Form->RunBtn->click();
  ASSERT_TRUE(Device->WaitForKind(Kind::PulsePeriod, 3000ms));
  ASSERT_TRUE(WaitForTicks());
  EXPECT_EQ(Device->State().PulsePeriodCode, Settings().PeriodCode());
  EXPECT_EQ(CountOf(Kind::PulsePeriod, mark), 1u) << "only the resync's period";
}

TEST_F(GateTest, ScreenReaderCannotSetADisabledGauge) {
  ConnectDevice();
  ASSERT_FALSE(Form->DivGaugeBar->isEnabled()) << "sine: the divider is disabled";
  QAccessibleInterface* gauge = QAccessible::queryAccessibleInterface(Form->DivGaugeBar);
  ASSERT_NE(gauge, nullptr);
  ASSERT_NE(gauge->valueInterface(), nullptr);
  gauge->valueInterface()->setCurrentValue(-1);
  EXPECT_EQ(Model().Divider, 0);
  EXPECT_EQ(Form->DivGaugeBar->value(), 0) << "the gauge shows its position again";
  EXPECT_TRUE(gauge->state().readOnly);
  Form->SquareBtn->click();
  EXPECT_FALSE(gauge->state().readOnly);
  const std::size_t mark = CommandCount();
  Form->RunBtn->click();
  ASSERT_TRUE(Device->WaitForKind(Kind::ControlWord, 3000ms));
  ASSERT_TRUE(WaitForTicks());
  EXPECT_EQ(Device->State().ControlCode, 40) << "the plain square, not the divided one";
  EXPECT_GT(CommandCount(), mark);
}

TEST_F(GateTest, ArrowDisabledWhileHeldStopsRepeating) {
  RunConnected();
  QTest::mousePress(Form->FRightBtn, Qt::LeftButton);
  ASSERT_TRUE(WaitForTicks(2));
  Run->Control().Modes().SetPulse(true);
  ASSERT_FALSE(Form->FRightBtn->isEnabled());
  QTest::mouseRelease(Form->FRightBtn, Qt::LeftButton);
  Form->RunBtn->click();
  ASSERT_TRUE(Device->WaitForKind(Kind::PulseDivider, 3000ms));
  const std::size_t mark = CommandCount();
  // Long enough for the repeat's delay to run out and steps to follow.
  EXPECT_TRUE(WaitForTicks(16));
  EXPECT_EQ(CountOf(Kind::PulsePeriod, mark), 0u) << "the held arrow went on stepping";
  EXPECT_EQ(State().RepeatTag, -1);
}

TEST_F(GateTest, ConnectAfterASweepLeavesPauseAsTheModesHaveIt) {
  StartDevice();
  Form->SweepBtn->click();
  Form->RunBtn->click();
  Form->PauseBtn->click();
  ASSERT_TRUE(Form->PauseBtn->isChecked());
  PressConnect();
  ASSERT_TRUE(Online());
  EXPECT_FALSE(Form->PauseBtn->isChecked()) << "released with Run";
  EXPECT_FALSE(Form->PauseBtn->isEnabled());
  EXPECT_FALSE(Form->SwRstBtn->isEnabled());
  Form->SweepBtn->click();
  TRemoteInstrument remote = Remote();
  EXPECT_EQ(remote.Set(TSetting::Pause, 1), remote::TOutcome::SettingsConflict);
  EXPECT_EQ(remote.Restart(), remote::TOutcome::SettingsConflict);
  EXPECT_FALSE(Locked([](TSharedState& s) { return s.Settings.Pause(); }));
}

class RemoteConnectTest : public GateTest {
 protected:
  // A second generator beside the fixture's.
  void StartSecondDevice(sim::TFaults faults = {}) {
    sim::TPtyOptions options;
    options.PortName = PortName + "_second";
    options.Faults = faults;
    Second = std::make_unique<sim::TPtyDevice>(options);
    SecondName = options.PortName;
  }

  void TearDown() override {
    GateTest::TearDown();
    Second.reset();
  }

  std::unique_ptr<sim::TPtyDevice> Second;
  std::string SecondName;
};

TEST_F(RemoteConnectTest, ThePortAlreadyOnlineChangesNothing) {
  const std::size_t mark = RunConnected();
  EXPECT_EQ(Remote().Connect(" " + PortName + "\t"), remote::TOutcome::Done);
  EXPECT_TRUE(WaitForTicks(4));
  EXPECT_TRUE(Online());
  EXPECT_TRUE(Form->RunBtn->isChecked());
  EXPECT_EQ(CommandCount(), mark) << "a second handshake on the live device";
}

TEST_F(RemoteConnectTest, APortThatCannotBeUsedLeavesTheWorkingConnection) {
  const std::size_t mark = RunConnected();
  TRemoteInstrument remote = Remote();
  EXPECT_EQ(remote.Connect("no_such_port"), remote::TOutcome::IllegalValue);
  EXPECT_EQ(remote.Connect("../" + PortName), remote::TOutcome::IllegalValue);
  EXPECT_TRUE(WaitForTicks(2));
  EXPECT_TRUE(Online());
  EXPECT_EQ(remote.PortName(), PortName);
  EXPECT_EQ(remote.Get(TSetting::Run), 1);
  EXPECT_TRUE(Run->Port().Connected());
  EXPECT_EQ(CommandCount(), mark) << "the old device was stopped";
}

TEST_F(RemoteConnectTest, ASweepNeverReachesTheNextDeviceDuringItsHandshake) {
  RunConnected();
  Form->SweepBtn->click();
  Form->RunBtn->click();
  ASSERT_TRUE(WaitForTicks(4));
  sim::TFaults silentOnce;
  silentOnce.SilentIdentifies = 1;
  StartSecondDevice(silentOnce);
  EXPECT_EQ(Remote().Connect(SecondName), remote::TOutcome::Done);
  EXPECT_EQ(Received().back().Kind, Kind::Stop) << "the old device stopped";
  ASSERT_TRUE(Second->WaitForKind(Kind::AnalogTable, 3000ms));
  const auto commands = Second->Commands();
  ASSERT_GE(commands.size(), 2u);
  EXPECT_EQ(commands[0].Command.Kind, Kind::Identify);
  EXPECT_EQ(commands[1].Command.Kind, Kind::Identify) << "a command between the two identifies";
}

TEST_F(RemoteConnectTest, AFailedHandshakeIsOfflineAtOnce) {
  RunConnected();
  sim::TFaults wrong;
  wrong.Identity = "Other";
  StartSecondDevice(wrong);
  TRemoteInstrument remote = Remote();
  EXPECT_EQ(remote.Connect(SecondName), remote::TOutcome::Failed);
  EXPECT_FALSE(remote.Online());
  EXPECT_EQ(remote.Get(TSetting::Run), 0);
  EXPECT_FALSE(Run->Port().Connected());
  EXPECT_EQ(Received().back().Kind, Kind::Stop) << "the old device stopped";
}

}  // namespace
}  // namespace control::test
