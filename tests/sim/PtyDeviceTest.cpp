// The virtual generator on a pseudo-terminal, driven as the program drives it.

#include "sim/Clock.h"
#include "sim/PtyDevice.h"
#include "tests/sim/SerialClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace sim {
namespace {

using namespace std::chrono_literals;
using test::TSerialClient;
using test::TTempDir;

class PtyDeviceTest : public ::testing::Test {
 protected:
  TPtyOptions Registered(const std::string& name = "simtest") {
    TPtyOptions options;
    options.PortName = name;
    options.RegistryDir = Registry.Path() + "/zolvek-ports";
    return options;
  }

  TTempDir Registry;
};

TEST_F(PtyDeviceTest, HandshakeThroughTheRegisteredLink) {
  TPtyDevice device(Registered());
  ASSERT_EQ(device.LinkPath(), Registry.Path() + "/zolvek-ports/simtest");
  EXPECT_EQ(std::filesystem::read_symlink(device.LinkPath()).string(), device.SlavePath());

  TSerialClient client(device.LinkPath());
  client.Write("&");
  EXPECT_EQ(client.ReadLine(2s), "Zolvek\r\n");
  client.Write("V");
  std::string first, last;
  for (int i = 0; i < 16; ++i) {
    last = client.ReadLine(2s);
    if (i == 0) first = last;
  }
  EXPECT_EQ(first, "0.3125\r\n");
  EXPECT_EQ(last, "5\r\n");
  client.Write("v");
  EXPECT_EQ(client.ReadLine(2s), "1.23\r\n");
  std::string rest;
  for (int i = 1; i < 16; ++i) rest += client.ReadLine(2s);
  EXPECT_EQ(rest,
            "1.3\r\n1.38\r\n1.46\r\n1.58\r\n1.7\r\n1.84\r\n2\r\n"
            "2.16\r\n2.37\r\n2.67\r\n3\r\n3.55\r\n4.14\r\n5.16\r\n6.5\r\n");
  ASSERT_TRUE(device.WaitForCommands(3, 2s));
  const auto commands = device.Commands();
  EXPECT_EQ(commands[0].Command.Kind, TCommandKind::Identify);
  EXPECT_EQ(commands[1].Command.Kind, TCommandKind::SquareTable);
  EXPECT_EQ(commands[2].Command.Kind, TCommandKind::AnalogTable);
}

TEST_F(PtyDeviceTest, RecordsCommandsAndStateWithPacketsSplitAcrossWrites) {
  TPtyDevice device;
  EXPECT_TRUE(device.LinkPath().empty());
  TSerialClient client(device.SlavePath());
  client.Write(std::string("\x4C\x4A", 2));
  std::this_thread::sleep_for(20ms);
  EXPECT_TRUE(device.Commands().empty());
  const std::int64_t beforeLastByte = MonotonicUs();
  client.Write(std::string("\xDE\xBC\x4C\xC0\xF1\x00\x4C\x10\x02\x20", 10));
  client.Write(std::string("w\x00\x00S", 4));
  ASSERT_TRUE(device.WaitForCommands(5, 2s));
  const auto commands = device.Commands();
  ASSERT_EQ(commands.size(), 5u);
  EXPECT_EQ(commands[0].Command.Kind, TCommandKind::Coarse);
  EXPECT_GE(commands[0].TimeUs, beforeLastByte) << "stamped when its last byte came";
  EXPECT_EQ(commands[3].Command.Kind, TCommandKind::PulseWidth);
  EXPECT_EQ(commands[3].Command.RawSize, 3);
  const TDeviceState state = device.State();
  EXPECT_EQ(state.TuningWord, 0x0ABCDEF1u);
  EXPECT_EQ(state.Waveform(), TWaveform::Triangle);
  EXPECT_TRUE(state.Running);
  EXPECT_TRUE(state.Marker);
  device.ClearCommands();
  EXPECT_TRUE(device.Commands().empty());
  EXPECT_FALSE(device.WaitForKind(TCommandKind::Stop, 20ms));
  client.Write("s&Z");
  EXPECT_TRUE(device.WaitForKind(TCommandKind::Stop, 2s));
  EXPECT_TRUE(device.WaitUntil([](const auto& records) { return records.size() == 3; }, 2s));
  EXPECT_FALSE(device.State().Running);
}

TEST_F(PtyDeviceTest, SurvivesTheProgramClosingAndReopeningThePort) {
  TPtyDevice device(Registered());
  // Opened first and kept open, so that only the client's close can clear the flag.
  TSerialClient probe(device.SlavePath());
  for (int round = 0; round < 3; ++round) {
    TSerialClient client(device.LinkPath());
    ::ioctl(client.Fd(), TIOCEXCL);  // as the program opens it: exclusive
    int exclusive = 0;
    ASSERT_EQ(::ioctl(probe.Fd(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
    client.Write("&");
    EXPECT_EQ(client.ReadLine(2s), "Zolvek\r\n") << round;
    client.Close();
    ASSERT_TRUE(device.WaitForCommands(static_cast<std::size_t>(round + 1), 2s));
    // The exclusive flag must not outlive the program's descriptor, or a
    // non-root program could not open the port again.
    for (int wait = 0; wait < 200 && exclusive != 0; ++wait) {
      std::this_thread::sleep_for(5ms);
      ASSERT_EQ(::ioctl(probe.Fd(), TIOCGEXCL, &exclusive), 0);
    }
    EXPECT_EQ(exclusive, 0) << round;
  }
  EXPECT_FALSE(device.HungUp());
}

TEST_F(PtyDeviceTest, SendQueuesBytesForTheProgram) {
  TPtyDevice device;
  TSerialClient client(device.SlavePath());
  device.Send(std::string("ab\0c", 4));
  EXPECT_EQ(client.ReadBytes(4, 2s), std::string("ab\0c", 4));
}

TEST_F(PtyDeviceTest, HangUpLooksLikeAPulledCableAndRemovesTheLink) {
  TPtyDevice device(Registered());
  TSerialClient client(device.LinkPath());
  client.Write("&");
  EXPECT_EQ(client.ReadLine(2s), "Zolvek\r\n");
  device.HangUp();
  EXPECT_TRUE(device.HungUp());
  EXPECT_TRUE(client.WaitForHangUp(2s));
  EXPECT_FALSE(std::filesystem::is_symlink(device.LinkPath()));
  device.HangUp();  // twice is harmless
}

TEST_F(PtyDeviceTest, HangUpFaultAfterNCommands) {
  TPtyOptions options = Registered();
  options.Faults.HangUpAfter = 2;
  TPtyDevice device(options);
  TSerialClient client(device.SlavePath());
  client.Write("Z");
  EXPECT_FALSE(device.WaitForHangUp(50ms));
  client.Write("S");
  EXPECT_TRUE(device.WaitForHangUp(2s));
  EXPECT_TRUE(client.WaitForHangUp(2s));
  EXPECT_FALSE(std::filesystem::is_symlink(device.LinkPath()));
  EXPECT_EQ(device.Commands().size(), 2u);
}

TEST_F(PtyDeviceTest, SlowRepliesTakeTheirTime) {
  TPtyOptions options;
  options.Faults.ByteDelay = 5ms;
  TPtyDevice device(options);
  TSerialClient client(device.SlavePath());
  const auto start = std::chrono::steady_clock::now();
  client.Write("&");
  EXPECT_EQ(client.ReadLine(2s), "Zolvek\r\n");
  EXPECT_GE(std::chrono::steady_clock::now() - start, 8 * 5ms);
}

TEST_F(PtyDeviceTest, LogLinesAreWrittenOnTheDeviceThread) {
  std::mutex mutex;
  std::vector<std::string> lines;
  TPtyOptions options;
  options.LogLine = [&](const std::string& line) {
    std::lock_guard lock(mutex);
    lines.push_back(line);
  };
  TPtyDevice device(options);
  TSerialClient client(device.SlavePath());
  client.Write(std::string("\x4C\x04\x0F\x00", 4));
  ASSERT_TRUE(device.WaitForCommands(1, 2s));
  device.Stop();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("\"raw\":\"4c040f00\",\"kind\":\"amp_analog\",\"value\":15"),
            std::string::npos)
      << lines[0];
}

TEST_F(PtyDeviceTest, RegistrationRefusesALiveNameReplacesAStaleOneAndStopRemovesIt) {
  std::string link;
  {
    TPtyDevice first(Registered("dup"));
    link = first.LinkPath();
    EXPECT_THROW(TPtyDevice second(Registered("dup")), std::runtime_error);
    EXPECT_TRUE(std::filesystem::is_symlink(link)) << "the refused one leaves the live link alone";
    EXPECT_THROW(TPtyDevice bad(Registered("a/b")), std::runtime_error);
  }
  EXPECT_FALSE(std::filesystem::is_symlink(link));
  std::filesystem::create_symlink("/dev/pts/does-not-exist", link);
  TPtyDevice fresh(Registered("dup"));
  EXPECT_EQ(std::filesystem::read_symlink(link).string(), fresh.SlavePath());
}

// The device must take a command within 1 ms of its last byte. Each command's
// record time is compared with the time just before its last byte was written.
// The stamp is the time the command's last byte was read: never before it
// was sent (the first came a millisecond earlier), never after the record
// could be seen. How soon after the byte a busy machine lets the device
// read it is the machine's, printed for a look.
TEST_F(PtyDeviceTest, StampsEachCommandWhenItsLastByteIsRead) {
  TPtyDevice device;
  TSerialClient client(device.SlavePath());
  constexpr int kCommands = 200;
  std::vector<std::int64_t> sentUs, seenUs;
  for (int i = 0; i < kCommands; ++i) {
    client.Write(std::string("\x4C\xC0\x01", 3));
    std::this_thread::sleep_for(1ms);
    sentUs.push_back(MonotonicUs());
    client.Write(std::string("\x00", 1));
    ASSERT_TRUE(device.WaitForCommands(static_cast<std::size_t>(i + 1), 2s));
    seenUs.push_back(MonotonicUs());
  }
  const auto commands = device.Commands();
  std::vector<std::int64_t> delays;
  for (int i = 0; i < kCommands; ++i) {
    const auto at = static_cast<std::size_t>(i);
    EXPECT_GE(commands[at].TimeUs, sentUs[at]) << "command " << i << " stamped at its first byte";
    EXPECT_LE(commands[at].TimeUs, seenUs[at]) << "command " << i << " stamped after it was seen";
    delays.push_back(commands[at].TimeUs - sentUs[at]);
  }
  std::sort(delays.begin(), delays.end());
  std::printf("last byte -> record: min %lld us, median %lld us, 95%% %lld us, max %lld us\n",
              static_cast<long long>(delays.front()), static_cast<long long>(delays[kCommands / 2]),
              static_cast<long long>(delays[kCommands * 95 / 100]),
              static_cast<long long>(delays.back()));
}

}  // namespace
}  // namespace sim
