// The command bytes as they reach the line.
#include "tests/core/test_core_fixture.h"

namespace control::test {
namespace {

TEST(EncodePacket, HighByteThenLowWordLowByteFirst) {
  EXPECT_EQ(EncodePacket(0x123456), Bytes({0x4C, 0x12, 0x56, 0x34}));
  // Only the low 24 bits travel.
  EXPECT_EQ(EncodePacket(0xFF000102), Bytes({0x4C, 0x00, 0x02, 0x01}));
}

TEST(EncodeTextCommand, LowByteFirstWithNullBytesKept) {
  EXPECT_EQ(EncodeTextCommand('w', 0x1234), Bytes({0x77, 0x34, 0x12}));
  EXPECT_EQ(EncodeTextCommand('w', 0), Bytes({0x77, 0x00, 0x00}));
  EXPECT_EQ(EncodeTextCommand('p', 0xFFFF), Bytes({0x70, 0xFF, 0xFF}));
}

// A code's time and the rate of the period, with each prescaler.
TEST(PulseTimes, FollowTheCodeAndThePrescaler) {
  TGeneratorSettings s;
  s.SetMode(TMode::Pulse);
  s.SetPeriodCode(255);
  for (auto [index, prescaler] : {std::pair{0, 1}, {2, 64}, {4, 1024}}) {
    s.SetDivider(index);
    EXPECT_DOUBLE_EQ(s.PulseTime(255), 256.0 * prescaler / 16e6) << prescaler;
    EXPECT_DOUBLE_EQ(s.PulseTime(0xFFFF), 65536.0 * prescaler / 16e6) << prescaler;
    EXPECT_DOUBLE_EQ(s.PulseRate(), 16e6 / (256.0 * prescaler)) << prescaler;
  }
  // Outside pulse mode the gauge is the square's divider, not a prescaler.
  s.SetMode(TMode::Normal);
  EXPECT_DOUBLE_EQ(s.PulseTime(255), 256.0 / 16e6);
}

class ProtocolTest : public CoreTest {
 protected:
  // Runs one update step under the lock and returns the line's bytes.
  template <typename Step>
  std::string Run(Step step) {
    {
      std::lock_guard<std::mutex> lock(Shared.Lock);
      step();
    }
    return Sent();
  }
};

TEST_F(ProtocolTest, AttenuationPackets) {
  Settings.SetAttenuation(TWaveform::Sine, 15);
  Settings.SetAttenuation(TWaveform::Square, 7);
  EXPECT_EQ(Run([&] { Cycle.Send(&TUpdateFlags::AmpAnalogDirty); }),
            Bytes({0x4C, 0x04, 0x0F, 0x00}));
  EXPECT_EQ(Run([&] { Cycle.Send(&TUpdateFlags::AmpSquareDirty); }),
            Bytes({0x4C, 0x02, 0x07, 0x00}));
}

TEST_F(ProtocolTest, WaveformCodeFollowsTheWaveformAndTheDivider) {
  Settings.SetWaveform(TWaveform::Square);
  Settings.SetDivider(0);
  EXPECT_EQ(Run([&] { Cycle.SendWaveform(false); }), Bytes({0x4C, 0x10, 0x28, 0x20}));
  Settings.SetDivider(1);
  EXPECT_EQ(Run([&] { Cycle.SendWaveform(false); }), Bytes({0x4C, 0x10, 0x20, 0x20}));
  Settings.SetWaveform(TWaveform::Triangle);
  EXPECT_EQ(Run([&] { Cycle.SendWaveform(false); }), Bytes({0x4C, 0x10, 0x02, 0x20}));
  Settings.SetWaveform(TWaveform::Sine);
  EXPECT_EQ(Run([&] { Cycle.SendWaveform(false); }), Bytes({0x4C, 0x10, 0x00, 0x20}));
  Settings.Mark(&TUpdateFlags::WaveDirty);
  EXPECT_EQ(Run([&] { Cycle.SendWaveform(true); }), "Z");
  EXPECT_FALSE(Settings.IsMarked(&TUpdateFlags::WaveDirty));
}

TEST_F(ProtocolTest, PulseModePackets) {
  Settings.SetMode(TMode::Pulse);
  EXPECT_EQ(Run([&] { Cycle.Send(&TUpdateFlags::PulseModeDirty); }),
            Bytes({0x4C, 0x01, 0x01, 0x00}));
  Settings.SetMode(TMode::Normal);
  EXPECT_EQ(Run([&] { Cycle.Send(&TUpdateFlags::PulseModeDirty); }),
            Bytes({0x4C, 0x01, 0x00, 0x00}));
}

TEST_F(ProtocolTest, FirstFrequencyIsCoarseAndFineThenSmallStepIsFineOnly) {
  Settings.SetFrequency(OnWord(0x0ABCDEF1));
  EXPECT_EQ(Run([&] { Cycle.SendFrequency(false); }),
            Bytes({0x4C, 0x4A, 0xDE, 0xBC, 0x4C, 0xC0, 0xF1, 0x00}));
  EXPECT_EQ(Shared.State.LastSentWord, 0x0ABCDEF1);
  EXPECT_FALSE(Settings.IsMarked(&TUpdateFlags::FreqDirty));

  Settings.StepFrequency(OnWord(0x0ABCDEF1 - 1000));
  EXPECT_EQ(Run([&] { Cycle.SendFrequency(false); }), Bytes({0x4C, 0xBF, 0x18, 0xFC}));
  EXPECT_EQ(Shared.State.LastSentWord, 0x0ABCDEF1 - 1000);
  EXPECT_FALSE(Settings.IsMarked(&TUpdateFlags::FreqStepDirty));
}

TEST_F(ProtocolTest, ForcedCoarseWithoutDirtyFlagAfterRestartValue) {
  // 0x7FFFFFFF is far from every word: coarse even for an arrow step.
  Settings.SweepFrequency(OnWord(0x0ABCDEF1));
  EXPECT_EQ(Tokens(Run([&] { Cycle.SendFrequency(false); })),
            (std::vector<std::string>{"coarse:4ABCDE", "fine:C000F1"}));
}

TEST_F(ProtocolTest, FineReachEndsAtPlus3FFFFFAndBeforeMinus400000) {
  Shared.State.LastSentWord = 0x05000000;
  Settings.SweepFrequency(OnWord(0x05000000 - 0x400000));
  EXPECT_EQ(Tokens(Run([&] { Cycle.SendFrequency(false); })),
            (std::vector<std::string>{"coarse:44C000", "fine:C00000"}));

  Shared.State.LastSentWord = 0x01000000;
  Settings.SweepFrequency(OnWord(0x01000000 + 0x3FFFFF));
  EXPECT_EQ(Run([&] { Cycle.SendFrequency(false); }), Bytes({0x4C, 0xFF, 0xFF, 0xFF}));

  Shared.State.LastSentWord = 0x01000000;
  Settings.SweepFrequency(OnWord(0x01000000 - 0x3FFFFF));
  EXPECT_EQ(Tokens(Run([&] { Cycle.SendFrequency(false); })),
            (std::vector<std::string>{"fine:800001"}));
}

TEST_F(ProtocolTest, UnchangedWordStillSendsFineZero) {
  Shared.State.LastSentWord = 0x00123456;
  Settings.SweepFrequency(OnWord(0x00123456));
  EXPECT_EQ(Tokens(Run([&] { Cycle.SendFrequency(false); })),
            (std::vector<std::string>{"fine:C00000"}));
}

TEST_F(ProtocolTest, MarkerCommandOnlyInSweepModeAndOnlyOnChange) {
  Shared.State.LastSentWord = 0x00100000;
  Settings.SweepFrequency(OnWord(0x00100000));
  EXPECT_EQ(Tokens(Run([&] { Cycle.SendFrequency(true); })),
            (std::vector<std::string>{"fine:C00000"}));
  EXPECT_FALSE(Shared.State.LastMarkerState);

  Settings.SetMode(TMode::Sweep);
  EXPECT_EQ(Tokens(Run([&] { Cycle.SendFrequency(true); })),
            (std::vector<std::string>{"fine:C00000", "S"}));
  EXPECT_TRUE(Shared.State.LastMarkerState);
  EXPECT_EQ(Tokens(Run([&] { Cycle.SendFrequency(true); })),
            (std::vector<std::string>{"fine:C00000"}));
  EXPECT_EQ(Tokens(Run([&] { Cycle.SendFrequency(false); })),
            (std::vector<std::string>{"fine:C00000", "s"}));
  EXPECT_FALSE(Shared.State.LastMarkerState);
}

TEST_F(ProtocolTest, PulseModeSendsThePeriodCodeOnly) {
  Settings.SetMode(TMode::Pulse);
  Settings.Mark(&TUpdateFlags::FreqStepDirty);
  Settings.SetPeriodCode(256);
  const std::string sent = Run([&] { Cycle.SendFrequency(true); });
  EXPECT_EQ(sent, Bytes({0x70, 0x00, 0x01}));
  EXPECT_FALSE(Settings.IsMarked(&TUpdateFlags::FreqDirty));
  EXPECT_FALSE(Settings.IsMarked(&TUpdateFlags::FreqStepDirty));
  EXPECT_EQ(Shared.State.LastSentWord, 0x7FFFFFFF);
  EXPECT_FALSE(Shared.State.LastMarkerState);
}

TEST_F(ProtocolTest, PulseWidthLowByteFirstWithNullBytesKept) {
  Settings.SetMode(TMode::Pulse);
  Settings.SetWidthCode(0x1234);
  EXPECT_EQ(Run([&] { Cycle.Send(&TUpdateFlags::PulseWidthDirty); }), Bytes({0x77, 0x34, 0x12}));
  Settings.SetWidthCode(0x0100);
  EXPECT_EQ(Run([&] { Cycle.Send(&TUpdateFlags::PulseWidthDirty); }), Bytes({0x77, 0x00, 0x01}));
  // Outside pulse mode the mark is consumed and nothing is sent.
  Settings.SetMode(TMode::Normal);
  Settings.SetWidthCode(0x0100);
  EXPECT_EQ(Run([&] { Cycle.Send(&TUpdateFlags::PulseWidthDirty); }), "");
  EXPECT_FALSE(Settings.IsMarked(&TUpdateFlags::PulseWidthDirty));
}

TEST_F(ProtocolTest, InvertAndDividerCommands) {
  Settings.SetInvert(false);
  EXPECT_EQ(Run([&] { Cycle.Send(&TUpdateFlags::InvertDirty); }), Bytes({0x6D, 0x00}));
  Settings.SetInvert(true);
  EXPECT_EQ(Run([&] { Cycle.Send(&TUpdateFlags::InvertDirty); }), Bytes({0x6D, 0x01}));
  Settings.SetMode(TMode::Pulse);
  Settings.SetDivider(4);
  EXPECT_EQ(Run([&] { Cycle.Send(&TUpdateFlags::PulseDivDirty); }), Bytes({0x64, 0x05}));
  Settings.SetDivider(0);
  EXPECT_EQ(Run([&] { Cycle.Send(&TUpdateFlags::PulseDivDirty); }), Bytes({0x64, 0x01}));
}

TEST_F(ProtocolTest, SendTextWithWaitReturnsWrittenAndLeavesNothingPending) {
  {
    std::lock_guard<std::mutex> lock(Shared.Lock);
    Cycle.SendText("Z", true);
  }
  WritePending();
  EXPECT_FALSE(Port.HasPending());
  EXPECT_EQ(Device.Receive(1), "Z");
}

TEST_F(ProtocolTest, OfflineEveryStepClearsItsFlagAndWritesNothing) {
  Shared.State.DeviceOnline = false;
  Settings.SetMode(TMode::Pulse);
  for (TMark mark :
       {&TUpdateFlags::PulseModeDirty, &TUpdateFlags::AmpSquareDirty, &TUpdateFlags::AmpAnalogDirty,
        &TUpdateFlags::PulseWidthDirty, &TUpdateFlags::InvertDirty, &TUpdateFlags::SweepRestart,
        &TUpdateFlags::FreqDirty, &TUpdateFlags::FreqStepDirty, &TUpdateFlags::WaveDirty,
        &TUpdateFlags::PulseDivDirty})
    Settings.Mark(mark);
  const std::string sent = Run([&] {
    Cycle.Send(&TUpdateFlags::AmpAnalogDirty);
    Cycle.Send(&TUpdateFlags::AmpSquareDirty);
    Cycle.Send(&TUpdateFlags::PulseModeDirty);
    Cycle.SendWaveform(false);
    Cycle.SendFrequency(true);
    Cycle.Send(&TUpdateFlags::PulseWidthDirty);
    Cycle.Send(&TUpdateFlags::InvertDirty);
    Cycle.Send(&TUpdateFlags::PulseDivDirty);
    Cycle.RestartSweep();
    Cycle.SendText("Z", true);
    Cycle.SendCode(0x040001);
  });
  EXPECT_EQ(sent, "");
  EXPECT_EQ(Settings.Marked(), TUpdateFlags{});
}

}  // namespace
}  // namespace control::test
