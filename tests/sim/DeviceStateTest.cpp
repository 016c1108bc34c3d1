// The device state that decoded commands change.

#include "sim/Decoder.h"
#include "sim/DeviceState.h"
#include "sim/StatusLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace sim {
namespace {

void Apply(TDeviceState& state, const std::vector<std::uint8_t>& bytes) {
  TDecoder decoder;
  std::vector<TCommand> out;
  decoder.Feed(bytes.data(), bytes.size(), out);
  for (const TCommand& command : out) state.Apply(command);
}

TEST(DeviceStateTest, CoarseThenFineLeaveTheTuningWord) {
  TDeviceState state;
  Apply(state, {0x4C, 0x4A, 0xDE, 0xBC});
  EXPECT_EQ(state.TuningWord, 0x0ABCDE00u);
  Apply(state, {0x4C, 0xC0, 0xF1, 0x00});
  EXPECT_EQ(state.TuningWord, 0x0ABCDEF1u);
  Apply(state, {0x4C, 0xBF, 0x18, 0xFC});
  EXPECT_EQ(state.TuningWord, 0x0ABCDEF1u - 1000);
}

TEST(DeviceStateTest, TuningWordStaysWithinTwentyEightBits) {
  TDeviceState state;
  Apply(state, {0x4C, 0x4F, 0xFF, 0xFF});  // coarse N = 0xFFFFF
  EXPECT_EQ(state.TuningWord, 0x0FFFFF00u);
  Apply(state, {0x4C, 0xFF, 0xFF, 0xFF});  // +0x3FFFFF wraps at 2^28
  EXPECT_EQ(state.TuningWord, (0x0FFFFF00u + 0x3FFFFFu) & 0x0FFFFFFFu);
  Apply(state, {0x4C, 0x40, 0x00, 0x00, 0x4C, 0x80, 0x00, 0x00});  // 0 - 0x400000
  EXPECT_EQ(state.TuningWord, (0u - 0x400000u) & 0x0FFFFFFFu);
}

TEST(DeviceStateTest, FrequencyFollowsTheSynthesiserGrid) {
  TDeviceState state;
  state.TuningWord = 10737;
  EXPECT_DOUBLE_EQ(state.FrequencyHz(), 999.9610483646393);
  state.TuningWord = 0x7FFFFFF;
  EXPECT_NEAR(state.FrequencyHz(), 12'499'999.906867743, 1e-6);
}

TEST(DeviceStateTest, ControlWordChoosesTheWaveform) {
  TDeviceState state;
  EXPECT_EQ(state.Waveform(), TWaveform::Sine);
  Apply(state, {0x4C, 0x10, 0x02, 0x20});
  EXPECT_EQ(state.Waveform(), TWaveform::Triangle);
  Apply(state, {0x4C, 0x10, 0x28, 0x20});
  EXPECT_EQ(state.Waveform(), TWaveform::Square);
  Apply(state, {0x4C, 0x10, 0x20, 0x20});
  EXPECT_EQ(state.Waveform(), TWaveform::SquareDivided);
  Apply(state, {0x4C, 0x01, 0x01, 0x00});
  EXPECT_EQ(state.Waveform(), TWaveform::Pulse);
  Apply(state, {0x4C, 0x01, 0x00, 0x00});
  EXPECT_EQ(state.Waveform(), TWaveform::SquareDivided);
  Apply(state, {0x4C, 0x10, 0x00, 0x20});
  EXPECT_EQ(state.Waveform(), TWaveform::Sine);
}

TEST(DeviceStateTest, WaveformCommandLeavesPulseMode) {
  // Pulse mode off, as the program does it: a mode change stops the output,
  // Run sends the attenuations, the frequency and the waveform.
  TDeviceState state;
  Apply(state, {'Z', 0x4C, 0x01, 0x01, 0x00, 'p', 0x00, 0x01, 'Z'});
  ASSERT_EQ(state.Waveform(), TWaveform::Pulse);
  ASSERT_FALSE(state.Running);
  const TCommand triangle{TCommandKind::ControlWord, 2, {0x4C, 0x10, 0x02, 0x20}, 4};
  EXPECT_EQ(state.Apply(triangle), "waveform triangle, pulse mode off");
  EXPECT_FALSE(state.PulseMode);
  EXPECT_EQ(state.Waveform(), TWaveform::Triangle);
  EXPECT_TRUE(state.Running);
  EXPECT_EQ(state.Apply(triangle), "waveform triangle") << "only the first one leaves it";
}

TEST(DeviceStateTest, StopAndRestart) {
  TDeviceState state;
  EXPECT_FALSE(state.Running);
  Apply(state, {0x4C, 0x10, 0x00, 0x20});
  EXPECT_TRUE(state.Running);
  Apply(state, {'Z', 0x4C, 0x04, 0x05, 0x00, 0x4C, 0x40, 0x01, 0x00, 'S', 'w', 1, 0});
  EXPECT_FALSE(state.Running) << "settings alone do not start the output";
  Apply(state, {0x4C, 0x10, 0x02, 0x20});
  EXPECT_TRUE(state.Running);
  Apply(state, {'Z', 0x4C, 0x01, 0x00, 0x00});
  EXPECT_FALSE(state.Running) << "pulse mode off does not start it";
  Apply(state, {0x4C, 0x01, 0x01, 0x00});
  EXPECT_TRUE(state.Running) << "pulse mode on does";
}

TEST(DeviceStateTest, PulseSettingsMarkerAndAttenuators) {
  TDeviceState state;
  Apply(state, {'w', 0x34, 0x12, 'p', 0x00, 0x01, 'd', 5, 'm', 1, 'S', 0x4C, 0x04, 0x0F, 0x00, 0x4C,
                0x02, 0x07, 0x00});
  EXPECT_EQ(state.PulseWidthCode, 0x1234);
  EXPECT_EQ(state.PulsePeriodCode, 0x0100);
  EXPECT_EQ(state.PulseDivider, 5);
  EXPECT_TRUE(state.Inverted);
  EXPECT_TRUE(state.Marker);
  EXPECT_EQ(state.AmpAnalog, 15);
  EXPECT_EQ(state.AmpSquare, 7);
  Apply(state, {'s', 'm', 0, 0x77, 0x00, 0x00});
  EXPECT_FALSE(state.Marker);
  EXPECT_FALSE(state.Inverted);
  EXPECT_EQ(state.PulseWidthCode, 0);
}

TEST(DeviceStateTest, UnknownInputChangesNothing) {
  TDeviceState state;
  Apply(state, {0x4C, 0x4A, 0xDE, 0xBC, 0x4C, 0x10, 0x28, 0x20});
  const TDeviceState before = state;
  Apply(state, {0x4C, 0x04, 0x10, 0x00, 0x4C, 0x10, 0x05, 0x20, 0x4C, 0x50, 0, 0, 0x00, 0xFF});
  EXPECT_EQ(state.TuningWord, before.TuningWord);
  EXPECT_EQ(state.ControlCode, before.ControlCode);
  EXPECT_EQ(state.AmpAnalog, before.AmpAnalog);
  EXPECT_EQ(state.Running, before.Running);
}

TEST(DeviceStateTest, StatusShowsFrequencyWaveformAmplitudeAndMarker) {
  TDeviceState state;
  TTables tables;
  Apply(state, {0x4C, 0x04, 0x0F, 0x00, 0x4C, 0x02, 0x01, 0x00, 'S'});
  state.TuningWord = 10737;
  EXPECT_DOUBLE_EQ(AmplitudeVolts(state, tables), 0.65);
  Apply(state, {0x4C, 0x10, 0x28, 0x20});
  EXPECT_DOUBLE_EQ(AmplitudeVolts(state, tables), 0.625);
  EXPECT_EQ(FormatStatus(state, tables), "running  999.961048 Hz  square  0.625 V  marker on");
}

}  // namespace
}  // namespace sim
