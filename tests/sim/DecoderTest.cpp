// Decoding of the byte stream the program sends to the generator.

#include "sim/Decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sim {
namespace {

std::vector<TCommand> Decode(const std::vector<std::uint8_t>& bytes) {
  TDecoder decoder;
  std::vector<TCommand> out;
  decoder.Feed(bytes.data(), bytes.size(), out);
  EXPECT_EQ(decoder.PendingSize(), 0u);
  return out;
}

TCommand DecodeOne(const std::vector<std::uint8_t>& bytes) {
  const auto out = Decode(bytes);
  EXPECT_EQ(out.size(), 1u);
  return out.empty() ? TCommand{} : out.front();
}

TEST(DecoderTest, PacketsCarryHighByteFirstThenLowSixteenBitsLowByteFirst) {
  const TCommand coarse = DecodeOne({0x4C, 0x4A, 0xDE, 0xBC});
  EXPECT_EQ(coarse.Kind, TCommandKind::Coarse);
  EXPECT_EQ(coarse.Value, 0xABCDE);
  EXPECT_EQ(coarse.RawView(), std::string("\x4C\x4A\xDE\xBC"));

  const TCommand fine = DecodeOne({0x4C, 0xC0, 0xF1, 0x00});
  EXPECT_EQ(fine.Kind, TCommandKind::Fine);
  EXPECT_EQ(fine.Value, 0xF1);

  const TCommand down = DecodeOne({0x4C, 0xBF, 0x18, 0xFC});
  EXPECT_EQ(down.Kind, TCommandKind::Fine);
  EXPECT_EQ(down.Value, -1000);
}

TEST(DecoderTest, FineValueRangeEndsAreSignedDifferences) {
  EXPECT_EQ(DecodeOne({0x4C, 0x80, 0x00, 0x00}).Value, -0x400000);
  EXPECT_EQ(DecodeOne({0x4C, 0xFF, 0xFF, 0xFF}).Value, 0x3FFFFF);
  EXPECT_EQ(DecodeOne({0x4C, 0xC0, 0x00, 0x00}).Value, 0);
}

TEST(DecoderTest, SettingPacketsOfTheProtocolExamples) {
  const TCommand analog = DecodeOne({0x4C, 0x04, 0x0F, 0x00});
  EXPECT_EQ(analog.Kind, TCommandKind::AmpAnalog);
  EXPECT_EQ(analog.Value, 15);

  const TCommand square = DecodeOne({0x4C, 0x02, 0x03, 0x00});
  EXPECT_EQ(square.Kind, TCommandKind::AmpSquare);
  EXPECT_EQ(square.Value, 3);

  const TCommand squareWave = DecodeOne({0x4C, 0x10, 0x28, 0x20});
  EXPECT_EQ(squareWave.Kind, TCommandKind::ControlWord);
  EXPECT_EQ(squareWave.Value, 40);

  const TCommand triangle = DecodeOne({0x4C, 0x10, 0x02, 0x20});
  EXPECT_EQ(triangle.Kind, TCommandKind::ControlWord);
  EXPECT_EQ(triangle.Value, 2);

  const TCommand pulseOn = DecodeOne({0x4C, 0x01, 0x01, 0x00});
  EXPECT_EQ(pulseOn.Kind, TCommandKind::PulseMode);
  EXPECT_EQ(pulseOn.Value, 1);
}

TEST(DecoderTest, PacketsNoCommandUsesAreUnknownPackets) {
  for (const std::vector<std::uint8_t>& bytes :
       {std::vector<std::uint8_t>{0x4C, 0x04, 0x10, 0x00},  // attenuation 16
        {0x4C, 0x10, 0x05, 0x20},                           // control code 5
        {0x4C, 0x10, 0x28, 0x00},                           // 0x2000 missing
        {0x4C, 0x01, 0x02, 0x00},                           // pulse mode 2
        {0x4C, 0x50, 0x00, 0x00},                           // above the coarse range
        {0x4C, 0x00, 0x00, 0x00}}) {
    const TCommand c = DecodeOne(bytes);
    EXPECT_EQ(c.Kind, TCommandKind::UnknownPacket) << std::hex << c.Value;
    EXPECT_EQ(c.Value, (bytes[1] << 16) | (bytes[3] << 8) | bytes[2]);
  }
}

TEST(DecoderTest, TextCommandsWithNullBytesAsData) {
  const auto out = Decode({'w', 0x34, 0x12, 'w', 0x00, 0x00, 'p', 0xFF, 0xFF, 'd', 0x05, 'm', 0x00,
                           'Z', 'S', 's', '&', 'V', 'v'});
  ASSERT_EQ(out.size(), 11u);
  EXPECT_EQ(out[0].Kind, TCommandKind::PulseWidth);
  EXPECT_EQ(out[0].Value, 0x1234);
  EXPECT_EQ(out[1].Kind, TCommandKind::PulseWidth);
  EXPECT_EQ(out[1].Value, 0);
  EXPECT_EQ(out[1].RawSize, 3);
  EXPECT_EQ(out[2].Kind, TCommandKind::PulsePeriod);
  EXPECT_EQ(out[2].Value, 0xFFFF);
  EXPECT_EQ(out[3].Kind, TCommandKind::PulseDivider);
  EXPECT_EQ(out[3].Value, 5);
  EXPECT_EQ(out[4].Kind, TCommandKind::Invert);
  EXPECT_EQ(out[4].Value, 0);
  const TCommandKind single[] = {TCommandKind::Stop,        TCommandKind::MarkerSet,
                                 TCommandKind::MarkerClear, TCommandKind::Identify,
                                 TCommandKind::SquareTable, TCommandKind::AnalogTable};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(out[5 + i].Kind, single[i]) << i;
}

TEST(DecoderTest, CommandsSplitAcrossReadsAreJoined) {
  const std::vector<std::uint8_t> stream = {0x4C, 0x4A, 0xDE, 0xBC, 'w', 0x34, 0x12,
                                            0x4C, 0xBF, 0x18, 0xFC, 'd', 0x03};
  // Every way of cutting the stream into two reads, and byte by byte.
  for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
    TDecoder decoder;
    std::vector<TCommand> out;
    decoder.Feed(stream.data(), cut, out);
    decoder.Feed(stream.data() + cut, stream.size() - cut, out);
    ASSERT_EQ(out.size(), 4u) << cut;
    EXPECT_EQ(out[0].Value, 0xABCDE);
    EXPECT_EQ(out[1].Value, 0x1234);
    EXPECT_EQ(out[2].Value, -1000);
    EXPECT_EQ(out[3].Value, 3);
  }
  TDecoder decoder;
  std::vector<TCommand> out;
  for (const std::uint8_t byte : stream) {
    decoder.Feed(&byte, 1, out);
    EXPECT_LT(decoder.PendingSize(), 4u);
  }
  EXPECT_EQ(out.size(), 4u);
}

TEST(DecoderTest, GarbageBytesAreReportedSinglyAndDecodingResumesAtTheNextCommand) {
  const auto out = Decode({0x00, 0xFF, '\n', 'Q', 0x4C, 0x04, 0x0F, 0x00, 0x13, 'Z'});
  ASSERT_EQ(out.size(), 7u);
  for (std::size_t i : {0u, 1u, 2u, 3u, 5u}) {
    EXPECT_EQ(out[i].Kind, TCommandKind::UnknownByte) << i;
    EXPECT_EQ(out[i].RawSize, 1u);
  }
  EXPECT_EQ(out[0].Value, 0x00);
  EXPECT_EQ(out[3].Value, 'Q');
  EXPECT_EQ(out[4].Kind, TCommandKind::AmpAnalog);
  EXPECT_EQ(out[6].Kind, TCommandKind::Stop);
}

TEST(DecoderTest, IncompleteCommandIsHeldUntilItsLastByte) {
  TDecoder decoder;
  std::vector<TCommand> out;
  const std::uint8_t head[] = {0x4C, 0x10, 0x02};
  decoder.Feed(head, sizeof head, out);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(decoder.PendingSize(), 3u);
  const std::uint8_t tail = 0x20;
  decoder.Feed(&tail, 1, out);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].Kind, TCommandKind::ControlWord);
  EXPECT_EQ(decoder.PendingSize(), 0u);
}

}  // namespace
}  // namespace sim
