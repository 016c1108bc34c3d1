// The screen in words: the same readouts the picture shows, per mode.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "screen/ScreenDescription.h"
#include "tests/screen/ScreenStates.h"

namespace screen {
namespace {

struct TDescribed {
  const char* Name;
  std::function<void(TZOLScreenModel&)> Setup;
  std::string Text;
};

// Test names show the case's name, not its bytes.
void PrintTo(const TDescribed& described, std::ostream* out) { *out << described.Name; }

class ScreenDescriptionTest : public ::testing::TestWithParam<TDescribed> {};

TEST_P(ScreenDescriptionTest, ReadsLikeTheScreen) {
  TZOLScreenModel m;
  GetParam().Setup(m);
  EXPECT_EQ(DescribeScreen(m), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ScreenDescriptionTest,
    ::testing::Values(
        TDescribed{"Sine", [](TZOLScreenModel&) {},
                   "Frequency 1.0000 KHz. Sine, amplitude 0.06 V, 0.04 V rms."},
        TDescribed{"Triangle", [](TZOLScreenModel& m) { m.Waveform = 2; },
                   "Frequency 1.0000 KHz. Triangle, amplitude 0.12 V."},
        // The divided square halves every frequency, as its readouts do.
        TDescribed{"DividedSquare",
                   [](TZOLScreenModel& m) {
                     m.Waveform = 3;
                     m.Divider = 1;
                     m.AmpLevelSquare = 14;
                   },
                   "Frequency 500.00 Hz. Square divided by 2, amplitude 4.68 V."},
        // A level stored out of range reads as the picture shows it: 15.
        TDescribed{"SquareLevelClamped",
                   [](TZOLScreenModel& m) {
                     m.Waveform = 3;
                     m.AmpLevelSquare = 20;
                   },
                   "Frequency 1.0000 KHz. Square, amplitude 5.00 V."},
        TDescribed{"Pulse", [](TZOLScreenModel& m) { test::ShowPulse(m); },
                   "Pulse period 16.06 \u00B5S, width 9.375 \u00B5S, rate 62.26 KHz. "
                   "Amplitude 0.31 V."},
        TDescribed{"PulsePrescaled",
                   [](TZOLScreenModel& m) {
                     test::ShowPulse(m, 8);
                     m.Divider = 1;
                   },
                   "Pulse period 128.5 \u00B5S, width 75.00 \u00B5S, rate 7.782 KHz. Prescaler 8. "
                   "Amplitude 0.31 V."},
        TDescribed{"SweepWithStep",
                   [](TZOLScreenModel& m) {
                     test::ShowSweep(m);
                     m.SetStep(10);  // 9.965 Hz on the grid
                     m.ShowStep();
                   },
                   "Frequency 1.0000 KHz. Sine, amplitude 0.06 V, 0.04 V rms. Sweep start "
                   "100.0 Hz, stop 100.0 KHz. Marker 5.000 KHz. Step 9.97 Hz."},
        // The step readout outside a sweep, after an arrow step.
        TDescribed{"Step", [](TZOLScreenModel& m) { m.ShowStep(); },
                   "Frequency 1.0000 KHz. Sine, amplitude 0.06 V, 0.04 V rms. Step 1.02 Hz."}),
    [](const ::testing::TestParamInfo<TDescribed>& info) { return info.param.Name; });

}  // namespace
}  // namespace screen
