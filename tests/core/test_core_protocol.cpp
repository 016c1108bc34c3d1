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
  Model.AmpLevelAnalog = 15;
  Model.AmpLevelSquare = 7;
  EXPECT_EQ(Run([&] { Cycle.SendAmpAnalog(); }), Bytes({0x4C, 0x04, 0x0F, 0x00}));
  EXPECT_EQ(Run([&] { Cycle.SendAmpSquare(); }), Bytes({0x4C, 0x02, 0x07, 0x00}));
}

TEST_F(ProtocolTest, WaveformCodeFollowsButtonsAndDividerGauge) {
  // The model's waveform must not matter.
  Model.Waveform = 1;
  Shared.Controls.SquareDown = true;
  Shared.Controls.DivGaugePos = 0;
  EXPECT_EQ(Run([&] { Cycle.SendWaveform(false); }), Bytes({0x4C, 0x10, 0x28, 0x20}));
  Shared.Controls.DivGaugePos = -1;
  EXPECT_EQ(Run([&] { Cycle.SendWaveform(false); }), Bytes({0x4C, 0x10, 0x20, 0x20}));
  Shared.Controls.SquareDown = false;
  Shared.Controls.TriDown = true;
  EXPECT_EQ(Run([&] { Cycle.SendWaveform(false); }), Bytes({0x4C, 0x10, 0x02, 0x20}));
  Shared.Controls.TriDown = false;
  EXPECT_EQ(Run([&] { Cycle.SendWaveform(false); }), Bytes({0x4C, 0x10, 0x00, 0x20}));
  Shared.State.Flags.WaveDirty = true;
  EXPECT_EQ(Run([&] { Cycle.SendWaveform(true); }), "Z");
  EXPECT_FALSE(Shared.State.Flags.WaveDirty);
}

TEST_F(ProtocolTest, PulseModePackets) {
  Shared.Controls.PulseDown = true;
  EXPECT_EQ(Run([&] { Cycle.SendPulseMode(); }), Bytes({0x4C, 0x01, 0x01, 0x00}));
  Shared.Controls.PulseDown = false;
  EXPECT_EQ(Run([&] { Cycle.SendPulseMode(); }), Bytes({0x4C, 0x01, 0x00, 0x00}));
}

TEST_F(ProtocolTest, FirstFrequencyIsCoarseAndFineThenSmallStepIsFineOnly) {
  Model.Slots[screen::FrequencySlot].Word = 0x0ABCDEF1;
  Shared.State.Flags.FreqDirty = true;
  EXPECT_EQ(Run([&] { Cycle.SendFrequency(false); }),
            Bytes({0x4C, 0x4A, 0xDE, 0xBC, 0x4C, 0xC0, 0xF1, 0x00}));
  EXPECT_EQ(Shared.State.LastSentWord, 0x0ABCDEF1);
  EXPECT_FALSE(Shared.State.Flags.FreqDirty);

  Model.Slots[screen::FrequencySlot].Word = 0x0ABCDEF1 - 1000;
  Shared.State.Flags.FreqStepDirty = true;
  EXPECT_EQ(Run([&] { Cycle.SendFrequency(false); }), Bytes({0x4C, 0xBF, 0x18, 0xFC}));
  EXPECT_EQ(Shared.State.LastSentWord, 0x0ABCDEF1 - 1000);
  EXPECT_FALSE(Shared.State.Flags.FreqStepDirty);
}

TEST_F(ProtocolTest, ForcedCoarseWithoutDirtyFlagAfterRestartValue) {
  // 0x7FFFFFFF is far from every word: coarse even for an arrow step.
  Model.Slots[screen::FrequencySlot].Word = 0x0ABCDEF1;
  EXPECT_EQ(Tokens(Run([&] { Cycle.SendFrequency(false); })),
            (std::vector<std::string>{"coarse:4ABCDE", "fine:C000F1"}));
}

TEST_F(ProtocolTest, FineReachEndsAtPlus3FFFFFAndBeforeMinus400000) {
  Shared.State.LastSentWord = 0x05000000;
  Model.Slots[screen::FrequencySlot].Word = 0x05000000 - 0x400000;
  EXPECT_EQ(Tokens(Run([&] { Cycle.SendFrequency(false); })),
            (std::vector<std::string>{"coarse:44C000", "fine:C00000"}));

  Shared.State.LastSentWord = 0x01000000;
  Model.Slots[screen::FrequencySlot].Word = 0x01000000 + 0x3FFFFF;
  EXPECT_EQ(Run([&] { Cycle.SendFrequency(false); }), Bytes({0x4C, 0xFF, 0xFF, 0xFF}));

  Shared.State.LastSentWord = 0x01000000;
  Model.Slots[screen::FrequencySlot].Word = 0x01000000 - 0x3FFFFF;
  EXPECT_EQ(Tokens(Run([&] { Cycle.SendFrequency(false); })),
            (std::vector<std::string>{"fine:800001"}));
}

TEST_F(ProtocolTest, UnchangedWordStillSendsFineZero) {
  Shared.State.LastSentWord = 0x00123456;
  Model.Slots[screen::FrequencySlot].Word = 0x00123456;
  EXPECT_EQ(Tokens(Run([&] { Cycle.SendFrequency(false); })),
            (std::vector<std::string>{"fine:C00000"}));
}

TEST_F(ProtocolTest, MarkerCommandOnlyInSweepModeAndOnlyOnChange) {
  Shared.State.LastSentWord = 0x00100000;
  Model.Slots[screen::FrequencySlot].Word = 0x00100000;
  EXPECT_EQ(Tokens(Run([&] { Cycle.SendFrequency(true); })),
            (std::vector<std::string>{"fine:C00000"}));
  EXPECT_FALSE(Shared.State.LastMarkerState);

  Shared.Controls.SweepDown = true;
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
  Shared.Controls.PulseDown = true;
  Shared.Controls.SweepDown = true;
  Shared.State.Flags.FreqDirty = true;
  Shared.State.Flags.FreqStepDirty = true;
  Model.SetSlotFreq(screen::FrequencySlot, 1000.0);
  const int period = Model.PulsePeriodCode();
  const std::string sent = Run([&] { Cycle.SendFrequency(true); });
  EXPECT_EQ(sent, Bytes({0x70, period & 0xFF, period >> 8}));
  EXPECT_FALSE(Shared.State.Flags.FreqDirty);
  EXPECT_FALSE(Shared.State.Flags.FreqStepDirty);
  EXPECT_EQ(Shared.State.LastSentWord, 0x7FFFFFFF);
  EXPECT_FALSE(Shared.State.LastMarkerState);
}

TEST_F(ProtocolTest, PulseWidthLowByteFirstWithNullBytesKept) {
  Shared.Controls.PulseDown = true;
  // 141308.59375 Hz lies on the width code 0x1234.
  Model.Slots[screen::MarkerSlot].Freq = 141308.59375;
  ASSERT_EQ(Model.PulseWidthCode(), 0x1234);
  EXPECT_EQ(Run([&] { Cycle.SendPulseWidth(); }), Bytes({0x77, 0x34, 0x12}));
  Model.Slots[screen::MarkerSlot].Freq = 1000.0;
  ASSERT_EQ(Model.PulseWidthCode(), 0x0100);
  EXPECT_EQ(Run([&] { Cycle.SendPulseWidth(); }), Bytes({0x77, 0x00, 0x01}));
  // Outside pulse mode the flag is consumed and nothing is sent.
  Shared.Controls.PulseDown = false;
  Shared.State.Flags.PulseWidthDirty = true;
  EXPECT_EQ(Run([&] { Cycle.SendPulseWidth(); }), "");
  EXPECT_FALSE(Shared.State.Flags.PulseWidthDirty);
}

TEST_F(ProtocolTest, InvertAndDividerCommands) {
  Shared.Controls.InvertDown = false;
  EXPECT_EQ(Run([&] { Cycle.SendInvert(); }), Bytes({0x6D, 0x00}));
  Shared.Controls.InvertDown = true;
  EXPECT_EQ(Run([&] { Cycle.SendInvert(); }), Bytes({0x6D, 0x01}));
  Shared.Controls.DivGaugePos = -4;
  EXPECT_EQ(Run([&] { Cycle.SendPulseDivider(); }), Bytes({0x64, 0x05}));
  Shared.Controls.DivGaugePos = 0;
  EXPECT_EQ(Run([&] { Cycle.SendPulseDivider(); }), Bytes({0x64, 0x01}));
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
  Shared.Controls.PulseDown = true;
  Shared.Controls.SweepDown = true;
  TUpdateFlags& flags = Shared.State.Flags;
  flags = TUpdateFlags{false, true, true, true, true, true, true, true, true, true, true};
  const std::string sent = Run([&] {
    Cycle.SendAmpAnalog();
    Cycle.SendAmpSquare();
    Cycle.SendPulseMode();
    Cycle.SendWaveform(false);
    Cycle.SendFrequency(true);
    Cycle.SendPulseWidth();
    Cycle.SendInvert();
    Cycle.SendPulseDivider();
    Cycle.RestartSweep();
    Cycle.SendText("Z", true);
    Cycle.SendCode(0x040001);
  });
  EXPECT_EQ(sent, "");
  EXPECT_FALSE(flags.PulseModeDirty || flags.AmpSquareDirty || flags.AmpAnalogDirty ||
               flags.PulseWidthDirty || flags.InvertDirty || flags.SweepRestart ||
               flags.FreqDirty || flags.FreqStepDirty || flags.WaveDirty || flags.PulseDivDirty);
}

}  // namespace
}  // namespace control::test
