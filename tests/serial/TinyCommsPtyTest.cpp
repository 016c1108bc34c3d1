// The port component on a real line: pseudo-terminals with the test playing
// the device on the master side.

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

#include "serial/TinyComms.h"
#include "tests/support/PtyPair.h"
#include "tests/serial/ComPortError.h"

namespace serial {
namespace {

using test::MessageOf;

using namespace std::chrono_literals;
using test_support::MillisSince;
using Clock = std::chrono::steady_clock;

// Whether the failure of action tells that the device is gone.
bool DeviceLostIn(const std::function<void()>& action) {
  try {
    action();
  } catch (const EComPort& e) {
    return e.DeviceLost();
  }
  return false;
}

class TinyCommsPty : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyMainComPortSettings(Port);
    Port.SetPort(Pty.SlavePath());
    Port.SetPortPresent(true);
  }
  // Handlers capture the test's locals, which are gone before the fixture.
  void TearDown() override {
    Port.OnOpen = nullptr;
    Port.OnClose = nullptr;
    Port.OnRxChar = nullptr;
  }

  test_support::TPtyPair Pty;
  TTinyComPort Port;
};

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmRSS:") {
      status >> value;
      return value;
    }
  }
  return 0;
}

TEST(TinyCommsOpen, NonexistentNameRaisesWithTheSystemText) {
  TTinyComPort port;
  port.SetPort("/dev/zolvek-no-such-port");
  port.SetPortPresent(true);
  EXPECT_EQ(MessageOf([&] { port.Open(); }), "Unable to open com port: No such file or directory");
  EXPECT_FALSE(port.Connected());
}

TEST(TinyCommsOpen, OrdinaryFailuresDoNotMeanALostDevice) {
  TTinyComPort port;
  port.SetPort("/dev/zolvek-no-such-port");
  port.SetPortPresent(true);
  EXPECT_FALSE(DeviceLostIn([&] { port.Open(); }));
}

TEST(TinyCommsOpen, NonTerminalCannotTakeTheLineSettings) {
  TTinyComPort port;
  port.SetPort("/dev/null");
  port.SetPortPresent(true);
  EXPECT_EQ(MessageOf([&] { port.Open(); }),
            "Unable to set com state: Inappropriate ioctl for device");
  EXPECT_FALSE(port.Connected());
}

TEST_F(TinyCommsPty, OpenOnOpenFiresCloseThenOpen) {
  std::vector<std::string> fired;
  Port.OnOpen = [&](TTinyComPort&) { fired.push_back("open"); };
  Port.OnClose = [&](TTinyComPort&) { fired.push_back("close"); };
  Port.Open();
  Port.Open();
  EXPECT_TRUE(Port.Connected());
  EXPECT_EQ(fired, (std::vector<std::string>{"open", "close", "open"}));
  EXPECT_EQ(Port.WriteStr("&", true), 1);
  EXPECT_EQ(Pty.Receive(1), "&");
}

TEST_F(TinyCommsPty, SecondOpenOfTheSameLineFailsCleanly) {
  Port.Open();
  TTinyComPort second;
  second.SetPort(Pty.SlavePath());
  second.SetPortPresent(true);
  EXPECT_EQ(MessageOf([&] { second.Open(); }), "Unable to open com port: Device or resource busy");
  EXPECT_FALSE(second.Connected());
  EXPECT_EQ(Port.WriteStr("ok", true), 2);
  EXPECT_EQ(Pty.Receive(2), "ok");
  Port.Close();
  EXPECT_NO_THROW(second.Open()) << "closing releases the line";
}

TEST_F(TinyCommsPty, EveryRateOfTheTableCanBeSet) {
  Port.Open();
  std::vector<int> withoutTermios2;
  for (int rate = br110; rate <= br115200; ++rate) {
    try {
      Port.SetBaudRate(static_cast<TBaudRate>(rate));
    } catch (const EComPort& error) {
      // qemu-user has no termios2: there the rates without a termios
      // constant cannot be set, the others still must.
      if (error.ErrorNumber() == ENOSYS) {
        withoutTermios2.push_back(BaudRateValue(TBaudRate(rate)));
        continue;
      }
      ADD_FAILURE() << BaudRateValue(TBaudRate(rate)) << ": " << error.what();
    }
  }
  EXPECT_TRUE(withoutTermios2.empty() || withoutTermios2 == (std::vector<int>{14400, 56000}));
  // 14400 and 56000 have no termios constant; the rest must reach the line.
  termios tio{};
  Port.SetBaudRate(br57600);
  ASSERT_EQ(::tcgetattr(Pty.Master(), &tio), 0);
  EXPECT_EQ(::cfgetospeed(&tio), B57600);
  if (!withoutTermios2.empty())
    GTEST_SKIP() << "no termios2 here (qemu-user): 14400 and 56000 unset";
}

// Settings that termios cannot give are refused by name, never dropped.
struct TRefusedSetting {
  const char* Name;
  std::function<void(TTinyComPort&)> Apply;
  const char* Why;
};

class TinyCommsRefused : public TinyCommsPty,
                         public ::testing::WithParamInterface<TRefusedSetting> {};

TEST_P(TinyCommsRefused, OpenRaisesWhatTheLineCannotDo) {
  GetParam().Apply(Port);
  EXPECT_EQ(MessageOf([&] { Port.Open(); }),
            std::string("Unable to set com state: ") + GetParam().Why);
  EXPECT_FALSE(Port.Connected());
}

INSTANTIATE_TEST_SUITE_P(
    LineSettings, TinyCommsRefused,
    ::testing::Values(
        TRefusedSetting{"OneAndAHalfStopBitsWithEightDataBits",
                        [](TTinyComPort& p) { p.SetStopBits(sbOne5StopBits); },
                        "1.5 stop bits need 5 data bits"},
        TRefusedSetting{"TwoStopBitsWithFiveDataBits",
                        [](TTinyComPort& p) {
                          p.SetDataBits(dbFive);
                          p.SetStopBits(sbTwoStopBits);
                        },
                        "2 stop bits cannot go with 5 data bits (the line would send 1.5)"},
        TRefusedSetting{"DsrFlow", [](TTinyComPort& p) { p.FlowControl().SetOutDsrFlow(true); },
                        "DSR output flow control is not available on this system"},
        TRefusedSetting{"DtrHandshake",
                        [](TTinyComPort& p) { p.FlowControl().SetControlDtr(dtrHandshake); },
                        "DTR handshaking is not available on this system"},
        TRefusedSetting{"CtsFlowAlone",
                        [](TTinyComPort& p) { p.FlowControl().SetOutCtsFlow(true); },
                        "CTS output flow control and RTS handshaking are available only together "
                        "on this system"},
        TRefusedSetting{"RtsHandshakeAlone",
                        [](TTinyComPort& p) { p.FlowControl().SetControlRts(rtsHandshake); },
                        "CTS output flow control and RTS handshaking are available only together "
                        "on this system"},
        TRefusedSetting{"RtsToggleWithoutDriverSupport",
                        [](TTinyComPort& p) { p.FlowControl().SetControlRts(rtsToggle); },
                        "RTS toggle is not supported by this port's driver"},
        TRefusedSetting{"ParityReplacementByANonZeroCharacter",
                        [](TTinyComPort& p) {
                          p.Parity().SetCheck(true);
                          p.Parity().SetReplace(true);
                          p.Parity().SetReplaceChar('?');
                        },
                        "parity errors can only be replaced by the character 0 on this system"},
        TRefusedSetting{"XonXoffInputWithOtherLimits",
                        [](TTinyComPort& p) { p.FlowControl().SetXonXoffIn(true); },
                        "input flow control limits are fixed at 128 bytes on this system "
                        "(ReadBufSize 512)"}),
    [](const auto& info) { return std::string(info.param.Name); });

// Settings that termios can give reach the line's flags.
struct THonouredSetting {
  const char* Name;
  std::function<void(TTinyComPort&)> Apply;
  tcflag_t CflagSet, CflagClear, IflagSet, IflagClear;
};

class TinyCommsHonoured : public TinyCommsPty,
                          public ::testing::WithParamInterface<THonouredSetting> {};

TEST_P(TinyCommsHonoured, TheLineCarriesTheSetting) {
  GetParam().Apply(Port);
  Port.Open();
  termios tio{};
  ASSERT_EQ(::tcgetattr(Pty.Master(), &tio), 0);
  const THonouredSetting& s = GetParam();
  EXPECT_EQ(tio.c_cflag & (s.CflagSet | s.CflagClear), s.CflagSet);
  EXPECT_EQ(tio.c_iflag & (s.IflagSet | s.IflagClear), s.IflagSet);
}

// A pseudo-terminal keeps CS8 and no parity whatever is set; the flags below survive it.
INSTANTIATE_TEST_SUITE_P(
    LineSettings, TinyCommsHonoured,
    ::testing::Values(THonouredSetting{"MainWindowSettings", [](TTinyComPort&) {}, 0,
                                       CSTOPB | CRTSCTS | HUPCL, 0,
                                       IXON | IXOFF | INPCK | IGNPAR | PARMRK},
                      THonouredSetting{"OneAndAHalfStopBitsWithFiveDataBits",
                                       [](TTinyComPort& p) {
                                         p.SetDataBits(dbFive);
                                         p.SetStopBits(sbOne5StopBits);
                                       },
                                       CSTOPB, 0, 0, 0},
                      THonouredSetting{"CtsFlowWithRtsHandshake",
                                       [](TTinyComPort& p) {
                                         p.SetReadBufSize(512);
                                         p.FlowControl().SetOutCtsFlow(true);
                                         p.FlowControl().SetControlRts(rtsHandshake);
                                       },
                                       CRTSCTS, 0, 0, 0},
                      THonouredSetting{"XonXoffBothWaysAtTheKernelsLimits",
                                       [](TTinyComPort& p) {
                                         p.SetReadBufSize(512);
                                         p.FlowControl().SetXonXoffIn(true);
                                         p.FlowControl().SetXonXoffOut(true);
                                       },
                                       0, 0, IXON | IXOFF, 0},
                      THonouredSetting{"ParityCheckAloneLetsBadBytesThrough",
                                       [](TTinyComPort& p) { p.Parity().SetCheck(true); }, 0, 0, 0,
                                       INPCK},
                      THonouredSetting{"ParityReplacementByZero",
                                       [](TTinyComPort& p) {
                                         p.Parity().SetCheck(true);
                                         p.Parity().SetReplace(true);
                                       },
                                       0, 0, INPCK, IGNPAR | PARMRK}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(TinyCommsPty, DiscardNullDropsNullBytesFromWhatIsRead) {
  Port.SetDiscardNull(true);
  Port.Open();
  Pty.Send(std::string("a\0b\0\0c", 6));
  std::string s;
  EXPECT_EQ(Port.ReadStr(s, 3, true), 3);
  EXPECT_EQ(s, "abc");
  Port.SetDiscardNull(false);
  Pty.Send(std::string("\0d", 2));
  EXPECT_EQ(Port.ReadStr(s, 2, true), 2);
  EXPECT_EQ(s, std::string("\0d", 2));
}

TEST_F(TinyCommsPty, WritesAreByteExactIncludingNullBytes) {
  Port.Open();
  const char packet[] = {'L', '\0', '\x12', '\xff'};
  EXPECT_EQ(Port.Write(packet, 4, false), 4);
  EXPECT_FALSE(Port.HasPending());
  EXPECT_EQ(Port.WriteStr(std::string("\0V\0", 3), true), 3);
  EXPECT_EQ(Pty.Receive(7), std::string("L\0\x12\xff\0V\0", 7));
}

TEST_F(TinyCommsPty, ReadsWhatArrivedAndInputCountSeesIt) {
  Port.Open();
  Pty.Send("Zolvek\r\n");
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(Port.InputCount(), 8);
  std::string s;
  const auto start = Clock::now();
  EXPECT_EQ(Port.ReadStr(s, 8, true), 8);
  EXPECT_LT(MillisSince(start), 200);
  EXPECT_EQ(s, "Zolvek\r\n");
  EXPECT_EQ(Port.InputCount(), 0);
  EXPECT_EQ(Port.ReadStr(s, 0, true), 0);
  EXPECT_EQ(s, "");
}

TEST_F(TinyCommsPty, OneByteReadOfNothingEndsAfterTheTotalTimeout) {
  Port.Open();
  std::string s;
  const auto start = Clock::now();
  EXPECT_EQ(Port.ReadStr(s, 1, true), 0);
  const auto elapsed = MillisSince(start);
  EXPECT_GE(elapsed, 1010);
  EXPECT_LT(elapsed, 1400);
  EXPECT_EQ(s.size(), 1u);
  EXPECT_FALSE(Port.HasPending());
}

TEST_F(TinyCommsPty, ALongReadEndsWhenTheLineFallsSilentForTheInterval) {
  Port.Open();
  std::string s;
  // Total time-out 10 * 1000 + 1000 ms; the 3000 ms gap after the last byte ends it first.
  std::thread device([&] {
    std::this_thread::sleep_for(100ms);
    Pty.Send("1.");
    std::this_thread::sleep_for(500ms);
    Pty.Send("25");
  });
  const auto start = Clock::now();
  const std::int32_t n = Port.ReadStr(s, 1000, true);
  const auto elapsed = MillisSince(start);
  device.join();
  EXPECT_EQ(n, 4);
  EXPECT_EQ(s.substr(0, 4), "1.25");
  EXPECT_EQ(s.size(), 1000u);
  // The device's clock starts before ours: its last byte comes at most 600 ms in.
  EXPECT_GE(elapsed, 500 + 3000);
  EXPECT_LT(elapsed, 600 + 3600);
}

TEST_F(TinyCommsPty, ImmediateTimeoutsReturnWhatIsThere) {
  Port.Timeouts().SetReadInterval(-1);
  Port.Timeouts().SetReadTotalMultiplier(0);
  Port.Timeouts().SetReadTotalConstant(0);
  Port.Open();
  std::string s;
  EXPECT_EQ(Port.ReadStr(s, 5, false), 0);
  Pty.Send("ab");
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(Port.ReadStr(s, 5, false), 2);
  EXPECT_EQ(s.substr(0, 2), "ab");
}

TEST_F(TinyCommsPty, PendingWriteCompletesWhenTheDeviceReads) {
  Port.Open();
  const std::string big = Pattern(1 << 20);
  EXPECT_EQ(Port.WriteStr(big, false), -1) << "a megabyte cannot fit the line's queue";
  EXPECT_TRUE(Port.HasPending());
  std::string received;
  std::thread device([&] { received = Pty.Receive(big.size(), 10000); });
  EXPECT_EQ(Port.WaitForPending(), static_cast<std::int32_t>(big.size()));
  device.join();
  EXPECT_TRUE(received == big) << "received " << received.size() << " bytes";
}

TEST_F(TinyCommsPty, TwoPendingWritesKeepTheirOrderOnTheLineAndAreTakenNewestFirst) {
  Port.Open();
  const std::string first = Pattern(300000);
  EXPECT_EQ(Port.WriteStr(first, false), -1);
  EXPECT_EQ(Port.WriteStr("tail", false), -1) << "queued behind the first";
  std::string received;
  std::thread device([&] { received = Pty.Receive(first.size() + 4, 10000); });
  EXPECT_EQ(Port.WaitForPending(), 4);
  EXPECT_EQ(Port.WaitForPending(), static_cast<std::int32_t>(first.size()));
  EXPECT_EQ(Port.WaitForPending(), -2);
  device.join();
  EXPECT_TRUE(received == first + "tail");
}

TEST_F(TinyCommsPty, AbortAllReleasesEverythingAndTheLineStaysUsable) {
  Port.Open();
  EXPECT_EQ(Port.WriteStr(Pattern(1 << 20), false), -1);
  EXPECT_EQ(Port.WriteStr("more", false), -1);
  std::string s;
  EXPECT_EQ(Port.ReadStr(s, 10, false), -1);
  Port.AbortAll();
  EXPECT_FALSE(Port.HasPending());
  EXPECT_EQ(Port.WaitForPending(), -2);
  // Drain what reached the line, then the port writes normally again.
  while (Pty.Receive(1 << 16, 100).size() > 0) {
  }
  EXPECT_EQ(Port.WriteStr("Z", true), 1);
  EXPECT_EQ(Pty.Receive(1), "Z");
}

TEST_F(TinyCommsPty, CloseWithPendingTransfersReleasesThem) {
  Port.Open();
  EXPECT_EQ(Port.WriteStr(Pattern(1 << 20), false), -1);
  std::string s;
  EXPECT_EQ(Port.ReadStr(s, 4, false), -1);
  Port.Close();
  EXPECT_FALSE(Port.HasPending());
  EXPECT_FALSE(Port.Connected());
}

TEST_F(TinyCommsPty, AbsentPortReleasesPendingWithoutTouchingTheLine) {
  Port.Open();
  std::string s;
  EXPECT_EQ(Port.ReadStr(s, 4, false), -1);
  Port.SetPortPresent(false);
  Port.Close();
  EXPECT_FALSE(Port.HasPending());
  Pty.Send("late");  // nothing may complete into the released read
  std::this_thread::sleep_for(20ms);
}

TEST_F(TinyCommsPty, HangUpDuringAPendingWriteRaisesTheSystemText) {
  Port.Open();
  EXPECT_EQ(Port.WriteStr(Pattern(1 << 20), false), -1);
  Pty.CloseMaster();
  EXPECT_EQ(MessageOf([&] { Port.WaitForPending(); }), "Operation failed: Input/output error");
  EXPECT_FALSE(Port.HasPending());
  EXPECT_EQ(MessageOf([&] { Port.WriteStr("Z", false); }), "Operation failed: Input/output error");
  EXPECT_TRUE(DeviceLostIn([&] { Port.WriteStr("Z", true); }));
  Port.Close();
}

TEST_F(TinyCommsPty, HangUpDuringAPendingReadRaisesTheSystemText) {
  Port.Open();
  std::string s;
  EXPECT_EQ(Port.ReadStr(s, 4, false), -1);
  std::thread device([&] {
    std::this_thread::sleep_for(50ms);
    Pty.CloseMaster();
  });
  const auto start = Clock::now();
  EXPECT_EQ(MessageOf([&] { Port.WaitForPending(); }), "Operation failed: Input/output error");
  EXPECT_LT(MillisSince(start), 900) << "the hang-up ends the read, not its time-out";
  device.join();
  EXPECT_EQ(MessageOf([&] { Port.ReadStr(s, 1, true); }), "Operation aborted: Input/output error");
  EXPECT_TRUE(DeviceLostIn([&] { Port.ReadStr(s, 1, true); }));
  Port.Close();
}

TEST_F(TinyCommsPty, FloodingDeviceDoesNotGrowMemory) {
  Port.SetEvents(EventBit(evRxChar));
  Port.SetSyncMethod(smNone);
  std::atomic<int> events{0};
  Port.OnRxChar = [&](TTinyComPort&, std::int32_t) { ++events; };
  Port.Open();
  std::atomic<bool> stop{false};
  std::thread device([&] {
    const std::string chunk(4096, 'x');
    ::fcntl(Pty.Master(), F_SETFL, ::fcntl(Pty.Master(), F_GETFL) | O_NONBLOCK);
    while (!stop) {
      if (::write(Pty.Master(), chunk.data(), chunk.size()) < 0) std::this_thread::sleep_for(1ms);
    }
  });
  const long before = ResidentKiB();
  std::int32_t maxQueued = 0;
  const auto start = Clock::now();
  std::string s;
  while (MillisSince(start) < 800) {
    maxQueued = std::max(maxQueued, Port.InputCount());
    std::this_thread::sleep_for(10ms);
  }
  for (int i = 0; i < 50; ++i) Port.ReadStr(s, 1000, true);
  stop = true;
  device.join();
  const long grown = ResidentKiB() - before;
  Port.Close();
  EXPECT_LT(maxQueued, 1 << 20) << "the kernel's queue bounds the input";
  EXPECT_LT(grown, 16 * 1024) << "KiB";
  EXPECT_LT(events.load(), 1000) << "unread input is sampled, not spun on";
}

TEST_F(TinyCommsPty, LineWithoutPermissionReportsPermissionDenied) {
  const passwd* nobody = ::getpwnam("nobody");
  if (nobody == nullptr) GTEST_SKIP() << "no user 'nobody' to drop to";
  ASSERT_EQ(::chmod(Pty.SlavePath().c_str(), 0600), 0);
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(pipeFds[0]);
    std::string message = "<setresuid failed>";
    if (::setresgid(nobody->pw_gid, nobody->pw_gid, nobody->pw_gid) == 0 &&
        ::setresuid(nobody->pw_uid, nobody->pw_uid, nobody->pw_uid) == 0) {
      TTinyComPort port;
      port.SetEvents(0);
      port.SetPort(Pty.SlavePath());
      port.SetPortPresent(true);
      message = MessageOf([&] { port.Open(); });
    }
    [[maybe_unused]] ssize_t n = ::write(pipeFds[1], message.data(), message.size());
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  std::string message;
  char buffer[256];
  ssize_t n;
  while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) message.append(buffer, n);
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (::geteuid() != 0 && message == "<setresuid failed>")
    GTEST_SKIP() << "not root: cannot drop to 'nobody'";
  EXPECT_EQ(message, "Unable to open com port: Permission denied");
}

}  // namespace
}  // namespace serial
