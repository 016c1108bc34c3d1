// Connecting to the virtual generator through the real main window: the
// handshake, its failures, going offline and removed ports.

#include <atomic>
#include <filesystem>
#include <thread>

#include <QTimer>
#include <algorithm>

#include "tests/support/MainWindowFixture.h"

namespace control::test {
namespace {

using ConnectTest = MainWindowFixture;

std::vector<Kind> HandshakeKinds() {
  return {Kind::Identify, Kind::SquareTable, Kind::AnalogTable, Kind::Stop};
}

TEST_F(ConnectTest, HandshakeReadsTablesAndStopsTheDeviceFirst) {
  ConnectDevice();
  EXPECT_TRUE(WaitForTicks(4));
  EXPECT_EQ(ReceivedKinds(), HandshakeKinds());
  EXPECT_TRUE(Run->Port().Connected());
  EXPECT_TRUE(Form->ConnectBtn->isChecked());
  EXPECT_EQ(Form->ConnectBtn->FontColor(), colors::Red);
  EXPECT_TRUE(Form->RunBtn->isEnabled());
  EXPECT_FALSE(Form->RunBtn->isChecked());
  EXPECT_EQ(Form->RunBtn->Caption(), "Run");
  EXPECT_EQ(Form->RunBtn->FontColor(), colors::Purple);
  Locked([&](const TControlState& s, const screen::TZOLScreenModel& screen) {
    EXPECT_EQ(s.PortName, PortName);
    for (int i = 0; i < 16; ++i) {
      EXPECT_EQ(screen.SquareAmpTable[i], static_cast<float>(Device->Tables().Square[i]));
      EXPECT_EQ(screen.AnalogAmpTable[i],
                static_cast<float>(Device->Tables().AnalogTenths[i]) / 10.0f);
    }
  });
  EXPECT_TRUE(Dialogs->Messages.empty());
}

TEST_F(ConnectTest, SilentFirstIdentifyIsAcceptedOnTheSecondTryASecondLater) {
  sim::TFaults faults;
  faults.SilentIdentifies = 1;
  ConnectDevice(faults);
  const auto records = Device->Commands();
  ASSERT_GE(records.size(), 2u);
  EXPECT_EQ(records[0].Command.Kind, Kind::Identify);
  EXPECT_EQ(records[1].Command.Kind, Kind::Identify);
  // One read time-out (about a second) plus the pause of a second.
  EXPECT_GE(records[1].TimeUs - records[0].TimeUs, 1'900'000);
  EXPECT_TRUE(Online());
}

TEST_F(ConnectTest, IdentityPaddedWithBlanksIsAccepted) {
  sim::TFaults faults;
  faults.Identity = "   Zolvek \t";
  ConnectDevice(faults);
  EXPECT_TRUE(Online());
}

class WrongIdentityTest : public MainWindowFixture,
                          public ::testing::WithParamInterface<std::string> {};

TEST_P(WrongIdentityTest, FailsTwiceQuietlyAndClosesThePort) {
  sim::TFaults faults;
  faults.Identity = GetParam();
  StartDevice(faults);
  PressConnect();
  ExpectOffline();
  EXPECT_TRUE(WaitForTicks(6));
  EXPECT_EQ(ReceivedKinds(), (std::vector<Kind>{Kind::Identify, Kind::Identify}));
  EXPECT_TRUE(Dialogs->Messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Answers, WrongIdentityTest,
                         ::testing::Values("zolvek", "ZOLVEK", "Zolvek2", "-1", ""));

TEST_F(ConnectTest, IdentityWithoutLineFeedFails) {
  sim::TFaults faults;
  faults.IdentityWithoutLineFeed = true;
  StartDevice(faults);
  PressConnect();
  ExpectOffline();
  EXPECT_EQ(ReceivedKinds(), (std::vector<Kind>{Kind::Identify, Kind::Identify}));
}

struct TTableFaultCase {
  char Table;
  int Line;
  sim::TLineFault Fault;
};

void PrintTo(const TTableFaultCase& c, std::ostream* os) {
  *os << "table " << c.Table << " line " << c.Line << " fault " << static_cast<int>(c.Fault);
}

class TableFaultTest : public MainWindowFixture,
                       public ::testing::WithParamInterface<TTableFaultCase> {};

TEST_P(TableFaultTest, BadTableLineLeavesTheWindowOfflineWithOldTables) {
  const TTableFaultCase c = GetParam();
  sim::TFaults faults;
  faults.TableFault = {c.Table, c.Line, c.Fault};
  StartDevice(faults);
  const auto before = Locked([](const TControlState&, const screen::TZOLScreenModel& s) {
    return std::make_pair(s.SquareAmpTable, s.AnalogAmpTable);
  });
  PressConnect();
  ExpectOffline();
  EXPECT_TRUE(WaitForTicks(6));
  // Nothing follows the failed table: no stop command, no second request
  // after a failed first table.
  const std::vector<Kind> expected =
      c.Table == 'V' ? std::vector<Kind>{Kind::Identify, Kind::SquareTable}
                     : std::vector<Kind>{Kind::Identify, Kind::SquareTable, Kind::AnalogTable};
  EXPECT_EQ(ReceivedKinds(), expected);
  const auto after = Locked([](const TControlState&, const screen::TZOLScreenModel& s) {
    return std::make_pair(s.SquareAmpTable, s.AnalogAmpTable);
  });
  EXPECT_EQ(after, before);
  EXPECT_TRUE(Dialogs->Messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Lines, TableFaultTest,
                         ::testing::Values(TTableFaultCase{'V', 0, sim::TLineFault::MinusOne},
                                           TTableFaultCase{'V', 9, sim::TLineFault::Empty},
                                           TTableFaultCase{'V', 4, sim::TLineFault::Missing},
                                           TTableFaultCase{'v', 0, sim::TLineFault::NotANumber},
                                           TTableFaultCase{'v', 15, sim::TLineFault::MinusOne}));

TEST_F(ConnectTest, CancelledPortDialogReleasesConnect) {
  StartDevice();
  Dialogs->PortChoices.push_back(std::nullopt);
  Form->ConnectBtn->click();
  ExpectOffline();
  EXPECT_TRUE(WaitForTicks(3));
  EXPECT_TRUE(Received().empty());
  EXPECT_TRUE(Dialogs->Messages.empty());
}

TEST_F(ConnectTest, PortThatCannotBeOpenedShowsTheErrorAndKeepsConnectDown) {
  // A registered port whose target is a directory: listed, but not openable.
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  ASSERT_NE(runtime, nullptr);
  const std::filesystem::path registry = std::filesystem::path(runtime) / "zolvek-ports";
  const std::filesystem::path target = std::filesystem::path(runtime) / "not-a-port";
  std::filesystem::create_directories(registry);
  std::filesystem::create_directories(target);
  std::filesystem::create_directory_symlink(target, registry / "zvtbroken");

  Dialogs->PortChoices.push_back("zvtbroken");
  ::testing::internal::CaptureStderr();
  Form->ConnectBtn->click();
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(said, "zolvek: cannot open " + (registry / "zvtbroken").string() +
                      ": Is a directory; run zolvek-doctor for details\n")
      << "one line on standard error beside the unchanged message box";
  ASSERT_EQ(Dialogs->Messages.size(), 1u);
  EXPECT_EQ(Dialogs->Messages[0].Text, "Unable to open com port: Is a directory.");
  EXPECT_EQ(Dialogs->Messages[0].Title, "Zolvek");
  EXPECT_EQ(Dialogs->Messages[0].Icon, ui::TMsgIcon::Error);
  EXPECT_TRUE(Form->ConnectBtn->isChecked());
  EXPECT_FALSE(Run->Port().Connected());
  EXPECT_FALSE(Online());

  // The next click only releases the button: no dialog, no message.
  Form->ConnectBtn->click();
  EXPECT_FALSE(Form->ConnectBtn->isChecked());
  EXPECT_EQ(Dialogs->Messages.size(), 1u);
  std::filesystem::remove(registry / "zvtbroken");
}

TEST_F(ConnectTest, ReleasingConnectWhileOnlineSendsNothingAndClosesThePort) {
  ConnectDevice();
  const std::size_t mark = CommandCount();
  Form->ConnectBtn->click();
  ExpectOffline();
  EXPECT_TRUE(WaitForTicks(6));
  EXPECT_EQ(CommandCount(), mark);
}

TEST_F(ConnectTest, ReleasingConnectWhileTablesAreReadEndsTheHandshake) {
  StartDevice();
  // Both clicks land in the handshake's wait once the first table was asked
  // for: the release takes the window offline, the press that follows is
  // ignored (no second port dialog) because a handshake is still running.
  QTimer asked;
  QObject::connect(&asked, &QTimer::timeout, Form.get(), [&] {
    const auto kinds = ReceivedKinds();
    if (std::find(kinds.begin(), kinds.end(), Kind::SquareTable) == kinds.end()) return;
    asked.stop();
    Form->ConnectBtn->click();
    QTimer::singleShot(200ms, Form.get(), [this] { Form->ConnectBtn->click(); });
  });
  asked.start(5);
  PressConnect();
  ExpectOffline();
  EXPECT_EQ(Form->ConnectBtn->FontColor(), colors::Purple);
  EXPECT_TRUE(WaitForTicks(6));
  EXPECT_EQ(ReceivedKinds(), (std::vector<Kind>{Kind::Identify, Kind::SquareTable}));
  EXPECT_TRUE(Dialogs->Messages.empty());
  // A later press starts a fresh handshake.
  const std::size_t mark = CommandCount();
  PressConnect();
  EXPECT_TRUE(Online());
  EXPECT_EQ(KindsAfter(mark, 4), HandshakeKinds());
}

TEST_F(ConnectTest, RemovalOfAnotherPortChangesNothing) {
  ConnectDevice();
  Form->WMDeviceChange("ttyUSB7");
  Form->WMDeviceChange(PortName + "x");
  EXPECT_TRUE(Online());
  EXPECT_TRUE(Run->Port().Connected());
  EXPECT_TRUE(Form->ConnectBtn->isChecked());
}

TEST_F(ConnectTest, RemovalOfTheConnectedPortGoesOfflineQuietly) {
  ConnectDevice();
  Form->RunBtn->click();
  EXPECT_TRUE(WaitForTicks(4));
  Form->SquareBtn->click();  // raises flags the next tick would send

  Form->WMDeviceChange("  " + PortName + " ");
  ExpectOffline();
  EXPECT_EQ(Form->RunBtn->Caption(), "Run");
  EXPECT_EQ(Form->RunBtn->FontColor(), colors::Purple);
  EXPECT_FALSE(Flags().WaveDirty);
  EXPECT_TRUE(Dialogs->Messages.empty());
  // A write that a tick had already started may still be on its way.
  EXPECT_TRUE(WaitForTicks(2));
  const std::size_t mark = CommandCount();
  EXPECT_TRUE(WaitForTicks(6));
  EXPECT_EQ(CommandCount(), mark);

  // The name is kept: a later removal of the same port disconnects again,
  // which releases Run and clears the flags.
  EXPECT_EQ(
      Locked([](const TControlState& s, const screen::TZOLScreenModel&) { return s.PortName; }),
      PortName);
  Form->RunBtn->click();  // the demonstration
  ASSERT_TRUE(Form->RunBtn->isChecked());
  Form->WMDeviceChange(PortName);
  EXPECT_FALSE(Form->RunBtn->isChecked());
  // With Run up the tick leaves raised flags alone; a disconnect clears them.
  Locked([](TSharedState& s) { s.Settings.Mark(&TUpdateFlags::FreqDirty); });
  EXPECT_TRUE(WaitForTicks(3));
  ASSERT_TRUE(Flags().FreqDirty);
  Form->WMDeviceChange(PortName);
  EXPECT_FALSE(Flags().FreqDirty);
}

TEST_F(ConnectTest, DeviceHangingUpWhileOnlineTakesTheWindowOffline) {
  ConnectDevice();
  Form->RunBtn->click();
  EXPECT_TRUE(WaitForTicks(4));
  Device->HangUp();
  EXPECT_TRUE(WaitUntil([&] { return !Online() && !Run->Port().Connected(); }, 5000ms));
  EXPECT_TRUE(WaitForTicks(2));
  ExpectOffline();
  EXPECT_TRUE(Dialogs->Messages.empty());
}

// A misbehaving device never leaves the window stuck or half connected.
struct TBadDeviceCase {
  const char* Name;
  sim::TFaults Faults;
};

void PrintTo(const TBadDeviceCase& c, std::ostream* os) { *os << c.Name; }

class BadDeviceTest : public MainWindowFixture,
                      public ::testing::WithParamInterface<TBadDeviceCase> {};

TEST_P(BadDeviceTest, HandshakeEndsOfflineWithThePortClosed) {
  StartDevice(GetParam().Faults);
  const auto start = std::chrono::steady_clock::now();
  PressConnect();
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, 8s);
  ExpectOffline();
  EXPECT_TRUE(Dialogs->Messages.empty());
  // Still responsive: redraws go on.
  const std::uint64_t redraws = RedrawCount;
  EXPECT_TRUE(WaitUntil([&] { return RedrawCount > redraws + 2; }, 2000ms));
}

TEST_F(ConnectTest, FloodOfBytesWithoutLineEndsFailsTheHandshake) {
  // The device answers nothing itself; the stream never ends a line.
  sim::TFaults faults;
  faults.SilentIdentifies = 2;
  StartDevice(faults);
  std::atomic<bool> flooding{true};
  std::thread flood([&] {
    const std::string chunk(64, 'x');
    while (flooding) {
      Device->Send(chunk);
      std::this_thread::sleep_for(1ms);
    }
  });
  const auto start = std::chrono::steady_clock::now();
  PressConnect();
  const auto took = std::chrono::steady_clock::now() - start;
  flooding = false;
  flood.join();
  // Overlong lines end each read at once: only the pause between the tries.
  EXPECT_LT(took, 1900ms);
  ExpectOffline();
  EXPECT_EQ(ReceivedKinds(), (std::vector<Kind>{Kind::Identify, Kind::Identify}));
  const std::uint64_t redraws = RedrawCount;
  EXPECT_TRUE(WaitUntil([&] { return RedrawCount > redraws + 2; }, 2000ms));
}

sim::TFaults GarbageReplies() {
  sim::TFaults f;
  f.GarbageInReply = true;
  return f;
}
sim::TFaults GarbageBursts() {
  sim::TFaults f;
  f.GarbageEvery = 1ms;
  f.GarbageInReply = true;
  return f;
}
sim::TFaults HangUpAt(int commands) {
  sim::TFaults f;
  f.HangUpAfter = commands;
  return f;
}

INSTANTIATE_TEST_SUITE_P(Faults, BadDeviceTest,
                         ::testing::Values(TBadDeviceCase{"Garbage", GarbageReplies()},
                                           TBadDeviceCase{"GarbageBursts", GarbageBursts()},
                                           TBadDeviceCase{"HangUpOnIdentify", HangUpAt(1)},
                                           TBadDeviceCase{"HangUpOnFirstTable", HangUpAt(2)},
                                           TBadDeviceCase{"HangUpOnSecondTable", HangUpAt(3)}),
                         [](const ::testing::TestParamInfo<TBadDeviceCase>& info) {
                           return info.param.Name;
                         });

}  // namespace
}  // namespace control::test
