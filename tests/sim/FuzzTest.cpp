// Random byte strings (fixed seed) through the decoder and the whole device:
// nothing crashes, memory stays bounded, and every byte is accounted for.

#include "sim/Decoder.h"
#include "sim/Device.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace sim {
namespace {

// Random bytes biased toward command bytes so that commands really occur.
std::vector<std::uint8_t> RandomBytes(std::mt19937& random, std::size_t size) {
  static constexpr std::uint8_t kCommandBytes[] = {'L', 'Z', 'S', 's', '&', 'V',
                                                   'v', 'd', 'm', 'w', 'p'};
  std::vector<std::uint8_t> bytes(size);
  for (auto& byte : bytes) {
    const auto r = random();
    byte = (r & 3) == 0 ? kCommandBytes[(r >> 2) % sizeof kCommandBytes]
                        : static_cast<std::uint8_t>(r >> 8);
  }
  return bytes;
}

TEST(FuzzTest, DecoderAccountsForEveryByteAndHoldsAtMostOnePacket) {
  std::mt19937 random(424242);
  for (int round = 0; round < 2000; ++round) {
    const auto bytes = RandomBytes(random, random() % 512);
    TDecoder decoder;
    std::vector<TCommand> out;
    std::size_t fed = 0;
    while (fed < bytes.size()) {
      const std::size_t chunk = std::min<std::size_t>(1 + random() % 7, bytes.size() - fed);
      decoder.Feed(bytes.data() + fed, chunk, out);
      fed += chunk;
      ASSERT_LT(decoder.PendingSize(), 4u);
    }
    std::size_t decodedBytes = decoder.PendingSize();
    for (const TCommand& c : out) {
      ASSERT_GE(c.RawSize, 1u);
      ASSERT_LE(c.RawSize, 4u);
      decodedBytes += c.RawSize;
    }
    ASSERT_EQ(decodedBytes, bytes.size()) << "round " << round;
    // Decoding in one piece gives the same commands.
    TDecoder whole;
    std::vector<TCommand> again;
    whole.Feed(bytes.data(), bytes.size(), again);
    ASSERT_EQ(again.size(), out.size());
    for (std::size_t i = 0; i < out.size(); ++i) ASSERT_EQ(again[i].RawView(), out[i].RawView());
  }
}

TEST(FuzzTest, DeviceKeepsItsStateValidAndItsOutputBounded) {
  std::mt19937 random(77);
  TDevice device;
  std::vector<TLogEntry> entries;
  std::int64_t now = 0;
  for (int round = 0; round < 3000; ++round) {
    const auto bytes = RandomBytes(random, random() % 256);
    entries.clear();
    device.Receive(bytes.data(), bytes.size(), now += 1000, entries);
    const TDeviceState& s = device.State();
    ASSERT_LE(s.TuningWord, kWordMask);
    ASSERT_GE(s.AmpAnalog, 0);
    ASSERT_LE(s.AmpAnalog, 15);
    ASSERT_GE(s.AmpSquare, 0);
    ASSERT_LE(s.AmpSquare, 15);
    ASSERT_LE(device.Output().Size(), TOutputQueue::kCapacity);
    ASSERT_LT(device.DecoderPending(), 4u);
    for (const TLogEntry& e : entries) {
      // One JSON object a line, whatever bytes came in.
      const std::string line = FormatLogLine(e);
      ASSERT_EQ(line.rfind("{\"t_us\":", 0), 0u) << line;
      ASSERT_EQ(line.back(), '}') << line;
      for (const char ch : line) ASSERT_GE(static_cast<unsigned char>(ch), 0x20) << line;
    }
  }
  EXPECT_EQ(device.Output().Size(), TOutputQueue::kCapacity) << "never drained, so it filled up";
}

}  // namespace
}  // namespace sim
