// Reading the device's replies: lines, the identity check, calibration values.
#include "core/DeviceReplies.h"

#include <chrono>
#include <thread>

#include "tests/core/test_core_fixture.h"

namespace control::test {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

class RepliesTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    Shared.State.DeviceOnline = false;
  }
  // Answers the identify command once, as a generator would.
  std::thread Responder(const std::string& answer) {
    return std::thread([this, answer] {
      if (Device.Receive(1) == "&") Device.Send(answer);
    });
  }
};

TEST_F(RepliesTest, ReadLineStripsPaddingAndEndsAtLineFeed) {
  Device.Send("  \t-1.25 \r\nnext\n");
  EXPECT_EQ(ReadLine(Port), "-1.25");
  EXPECT_EQ(ReadLine(Port), "next");
}

TEST_F(RepliesTest, ReadLineKeepsNullBytesInsideTheLine) {
  Device.Send(std::string("a\0b\n", 4));
  EXPECT_EQ(ReadLine(Port), std::string("a\0b", 3));
}

TEST_F(RepliesTest, ReadLineWithoutLineFeedFailsAfterTheReadTimeout) {
  Device.Send("Zolv");
  const auto before = Clock::now();
  EXPECT_EQ(ReadLine(Port), "");
  // The one-byte read gives up after 10 ms + 1000 ms.
  EXPECT_GE(Clock::now() - before, 900ms);
}

TEST_F(RepliesTest, ReadLineRefusesLinesLongerThanTheLimit) {
  Device.Send(std::string(MaxReplyLine, 'x') + "\n");
  EXPECT_EQ(ReadLine(Port), std::string(MaxReplyLine, 'x'));
  Device.Send(std::string(MaxReplyLine + 1, 'y') + "\n");
  const auto before = Clock::now();
  EXPECT_EQ(ReadLine(Port), "");
  // Refused as soon as the limit passed, not after a time-out.
  EXPECT_LT(Clock::now() - before, 800ms);
}

TEST_F(RepliesTest, ReadLineOnAClosedPortIsEmpty) {
  Device.Send("Zolvek\n");
  Port.Close();
  EXPECT_EQ(ReadLine(Port), "");
}

TEST_F(RepliesTest, ReadLineAfterHangUpIsEmpty) {
  Device.CloseMaster();
  EXPECT_EQ(ReadLine(Port), "");
}

TEST_F(RepliesTest, IdentifyAcceptsTheIdentityWithLineEndAndPadding) {
  std::thread device = Responder("Zolvek\r\n");
  EXPECT_TRUE(Identify(Port, "Zolvek"));
  device.join();
  device = Responder("   Zolvek  \r\n");
  EXPECT_TRUE(Identify(Port, "Zolvek"));
  device.join();
}

TEST_F(RepliesTest, IdentifyComparesCaseSensitively) {
  std::thread device = Responder("ZOLVEK\r\n");
  EXPECT_FALSE(Identify(Port, "Zolvek"));
  device.join();
}

TEST_F(RepliesTest, IdentifyDiscardsStaleInputBeforeAsking) {
  // An old answer waiting in the queue must not count as the reply.
  Device.Send("Zolvek\r\n");
  std::this_thread::sleep_for(50ms);
  std::thread device = Responder("Other\r\n");
  EXPECT_FALSE(Identify(Port, "Zolvek"));
  device.join();
}

TEST_F(RepliesTest, IdentifyFailsOnSilenceAndOnAClosedPort) {
  EXPECT_FALSE(Identify(Port, "Zolvek"));
  EXPECT_EQ(Device.Receive(1), "&");
  Port.Close();
  EXPECT_FALSE(Identify(Port, "Zolvek"));
}

TEST(ParseCalibrationValue, NumbersWithAPointWhateverTheLocale) {
  EXPECT_EQ(ParseCalibrationValue("0.3125"), 0.3125f);
  EXPECT_EQ(ParseCalibrationValue("5"), 5.0f);
  EXPECT_EQ(ParseCalibrationValue("4.6825"), 4.6825f);
  EXPECT_EQ(ParseCalibrationValue("+2.5"), 2.5f);
  EXPECT_EQ(ParseCalibrationValue("1e-1"), 0.1f);
  EXPECT_EQ(ParseCalibrationValue("-1"), -1.0f);
}

TEST(ParseCalibrationValue, AnythingElseIsTheFailureMark) {
  for (const char* text : {"", "abc", "1.5x", "0,5", "nan", "NaN", "inf", "-inf", "infinity",
                           "1e39", "+", "+-1", " 1", "1 ", "0x10"}) {
    EXPECT_EQ(ParseCalibrationValue(text), -1.0f) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace control::test
