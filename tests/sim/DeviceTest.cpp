// The device's answers, its fault modes and its log lines, without a terminal.

#include "sim/Device.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sim {
namespace {

struct TDeviceHarness {
  explicit TDeviceHarness(TFaults faults = {}) : Device(std::move(faults)) {}

  std::vector<TLogEntry> Send(const std::string& bytes, std::int64_t nowUs = 1000) {
    std::vector<TLogEntry> out;
    Device.Receive(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), nowUs, out);
    return out;
  }

  // Everything the device may send up to `untilUs`, taken as a line would.
  std::string Drain(std::int64_t nowUs = 1000, std::int64_t untilUs = 1000) {
    std::string sent;
    for (std::int64_t t = nowUs; t <= untilUs; ++t) {
      std::uint8_t buffer[256];
      std::size_t count;
      while ((count = Device.Output().Peek(buffer, sizeof buffer, t)) > 0) {
        sent.append(reinterpret_cast<const char*>(buffer), count);
        Device.Output().Consume(count, t);
      }
    }
    return sent;
  }

  TDevice Device;
};

const std::string kSquareTable =
    "0.3125\r\n0.625\r\n0.9375\r\n1.25\r\n1.5625\r\n1.875\r\n2.1875\r\n2.5\r\n"
    "2.8125\r\n3.125\r\n3.4375\r\n3.75\r\n4.0625\r\n4.375\r\n4.6825\r\n5\r\n";
const std::string kAnalogTable =
    "1.23\r\n1.3\r\n1.38\r\n1.46\r\n1.58\r\n1.7\r\n1.84\r\n2\r\n"
    "2.16\r\n2.37\r\n2.67\r\n3\r\n3.55\r\n4.14\r\n5.16\r\n6.5\r\n";

TEST(DeviceTest, AnswersIdentityAndBothTables) {
  TDeviceHarness h;
  h.Send("&");
  EXPECT_EQ(h.Drain(), "Zolvek\r\n");
  h.Send("V");
  EXPECT_EQ(h.Drain(), kSquareTable);
  h.Send("v");
  EXPECT_EQ(h.Drain(), kAnalogTable);
  h.Send("ZSsL\x04\x01");
  h.Send(std::string("\x00", 1));
  EXPECT_EQ(h.Drain(), "") << "no other command is answered";
}

TEST(DeviceTest, AnalogTableValuesAreTheDefaultVoltsTimesTen) {
  const double volts[16] = {0.123, 0.130, 0.138, 0.146, 0.158, 0.170, 0.184, 0.200,
                            0.216, 0.237, 0.267, 0.300, 0.355, 0.414, 0.516, 0.650};
  TTables tables;
  for (std::size_t i = 0; i < 16; ++i)
    EXPECT_NEAR(static_cast<float>(tables.AnalogTenths[i]) / 10.0f, volts[i], 1e-6) << i;
  EXPECT_EQ(tables.Square[14], 4.6825);
}

TEST(DeviceTest, NumbersUseAPointWhateverTheLocale) {
  EXPECT_EQ(FormatNumber(0.3125), "0.3125");
  EXPECT_EQ(FormatNumber(5.0), "5");
  EXPECT_EQ(FormatNumber(-1.5), "-1.5");
}

TEST(DeviceTest, SilentAtTheFirstIdentifies) {
  TFaults faults;
  faults.SilentIdentifies = 2;
  TDeviceHarness h(faults);
  h.Send("&");
  EXPECT_EQ(h.Drain(), "");
  h.Send("&");
  EXPECT_EQ(h.Drain(), "");
  h.Send("&");
  EXPECT_EQ(h.Drain(), "Zolvek\r\n");
}

TEST(DeviceTest, WrongIdentityAndIdentityWithoutLineFeed) {
  TFaults wrong;
  wrong.Identity = "ZOLVEK";
  TDeviceHarness a(wrong);
  a.Send("&");
  EXPECT_EQ(a.Drain(), "ZOLVEK\r\n");

  TFaults cut;
  cut.IdentityWithoutLineFeed = true;
  TDeviceHarness b(cut);
  b.Send("&");
  EXPECT_EQ(b.Drain(0, 100000), "Zolvek");
}

TEST(DeviceTest, TableLineFaultsHitOnlyTheChosenTableAndLine) {
  struct TCase {
    TLineFault Fault;
    std::string Line;  // what line 3 becomes; "-" for cut off
  };
  for (const TCase& c :
       {TCase{TLineFault::MinusOne, "-1\r\n"}, TCase{TLineFault::Empty, "\r\n"},
        TCase{TLineFault::NotANumber, "x.y\r\n"}, TCase{TLineFault::Missing, ""}}) {
    for (const char table : {'V', 'v'}) {
      TFaults faults;
      faults.TableFault = {table, 3, c.Fault};
      TDeviceHarness h(faults);
      const std::string& good = table == 'V' ? kSquareTable : kAnalogTable;
      const std::string& other = table == 'V' ? kAnalogTable : kSquareTable;
      std::size_t lineStart = 0;
      for (int i = 0; i < 3; ++i) lineStart = good.find('\n', lineStart) + 1;
      const std::size_t lineEnd = good.find('\n', lineStart) + 1;
      const std::string expected = c.Fault == TLineFault::Missing
                                       ? good.substr(0, lineStart)
                                       : good.substr(0, lineStart) + c.Line + good.substr(lineEnd);
      h.Send(std::string(1, table));
      EXPECT_EQ(h.Drain(), expected) << table << int(c.Fault);
      h.Send(std::string(1, table == 'V' ? 'v' : 'V'));
      EXPECT_EQ(h.Drain(), other);
    }
  }
}

TEST(DeviceTest, SlowRepliesReleaseOneBytePerDelay) {
  TFaults faults;
  faults.ByteDelay = std::chrono::microseconds(1000);
  TDeviceHarness h(faults);
  h.Send("&", 0);
  EXPECT_EQ(h.Drain(0, 999), "");
  EXPECT_EQ(h.Device.NextWakeUs(), 1000);
  EXPECT_EQ(h.Drain(1000, 1000), "Z");
  EXPECT_EQ(h.Drain(1001, 1999), "");
  EXPECT_EQ(h.Drain(2000, 20000), "olvek\r\n");
  EXPECT_EQ(h.Device.NextWakeUs(), -1);
}

TEST(DeviceTest, GarbageBeforeAnswersAndPeriodically) {
  TFaults inReply;
  inReply.GarbageInReply = true;
  TDeviceHarness a(inReply);
  a.Send("&");
  const std::string reply = a.Drain();
  ASSERT_EQ(reply.size(), 8u + 8u);
  EXPECT_EQ(reply.substr(8), "Zolvek\r\n");
  EXPECT_EQ(reply.substr(0, 8).find('\n'), std::string::npos);

  TFaults periodic;
  periodic.GarbageEvery = std::chrono::milliseconds(10);
  TDeviceHarness b(periodic);
  b.Device.Tick(0);
  EXPECT_EQ(b.Drain(0, 0), "");
  EXPECT_EQ(b.Device.NextWakeUs(), 10000);
  b.Device.Tick(10000);
  EXPECT_EQ(b.Drain(10000, 10000).size(), 8u);
  b.Device.Tick(15000);
  EXPECT_EQ(b.Drain(15000, 15000), "");
  b.Device.Tick(20000);
  EXPECT_EQ(b.Drain(20000, 20000).size(), 8u);
}

TEST(DeviceTest, HangsUpAfterTheChosenNumberOfCommands) {
  TFaults faults;
  faults.HangUpAfter = 3;
  TDeviceHarness h(faults);
  EXPECT_EQ(h.Send(std::string("\xEE", 1) + "Z&").size(), 3u);  // garbage does not count
  EXPECT_FALSE(h.Device.HangUpDue());
  const auto entries = h.Send("VZZ");
  EXPECT_EQ(entries.size(), 1u) << "bytes after the last command are ignored";
  EXPECT_TRUE(h.Device.HangUpDue());
  EXPECT_TRUE(h.Device.Output().Empty());
  EXPECT_TRUE(h.Send("&").empty());
}

TEST(DeviceTest, LogEntriesCarryTimeRawBytesMeaningAndFrequency) {
  TDeviceHarness h;
  const auto entries = h.Send(std::string("\x4C\x4A\xDE\xBC\x4C\xC0\xF1\x00", 8), 123456);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].Record.TimeUs, 123456);
  EXPECT_DOUBLE_EQ(entries[1].FrequencyHz, 0x0ABCDEF1 * 25e6 / 268435456.0);
  const std::string line = FormatLogLine(entries[1]);
  EXPECT_EQ(line.rfind("{\"t_us\":123456,\"raw\":\"4cc0f100\",\"kind\":\"fine\",\"value\":241,"
                       "\"meaning\":\"fine +241, word 0xABCDEF1\",\"freq_hz\":16777776.27",
                       0),
            0u)
      << line;
  EXPECT_EQ(line.back(), '}');
  EXPECT_EQ(line.find('\n'), std::string::npos);
}

TEST(OutputQueueTest, DropsBytesBeyondItsCapacity) {
  TOutputQueue queue;
  queue.Push(std::string(TOutputQueue::kCapacity - 1, 'a'), 0);
  queue.Push("bcd", 0);
  EXPECT_EQ(queue.Size(), TOutputQueue::kCapacity);
  std::uint8_t last[TOutputQueue::kCapacity];
  ASSERT_EQ(queue.Peek(last, sizeof last, 0), TOutputQueue::kCapacity);
  EXPECT_EQ(last[TOutputQueue::kCapacity - 1], 'b');
}

}  // namespace
}  // namespace sim
