// The screen model's grid arithmetic, scale mappings, slot operations and
// pulse codes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "screen/ZOLScreenModel.h"

namespace screen {
namespace {

constexpr double GridStep = 0.09313225746154785;
constexpr double TopFreq = 12499999.906867743;

void ExpectOnGrid(const TFreqSlot& slot) {
  EXPECT_EQ(slot.Freq, slot.Word * GridStep);
  EXPECT_GE(slot.Position, 0.0);
  EXPECT_LE(slot.Position, 1.0);
}

TEST(ScreenModelDefaults, SlotsTablesAndStep) {
  const TZOLScreenModel m;
  EXPECT_EQ(m.Slots[FrequencySlot].Word, 10737);
  EXPECT_DOUBLE_EQ(m.Slots[FrequencySlot].Freq, 999.9610483646393);
  EXPECT_DOUBLE_EQ(m.Slots[FrequencySlot].Position, 4.0 / LinearSpan);
  EXPECT_TRUE(m.Slots[FrequencySlot].Visible);
  EXPECT_EQ(m.Slots[FrequencySlot].Color, 0xFF0027u);

  EXPECT_EQ(m.Slots[StartSlot].Word, 1);
  EXPECT_DOUBLE_EQ(m.Slots[StartSlot].Freq, GridStep);
  EXPECT_EQ(m.Slots[StartSlot].Position, 0.0);
  EXPECT_FALSE(m.Slots[StartSlot].Visible);
  EXPECT_EQ(m.Slots[StartSlot].Color, 0x00C0C0u);

  EXPECT_EQ(m.Slots[StopSlot].Word, 0x7FFFFFF);
  EXPECT_DOUBLE_EQ(m.Slots[StopSlot].Freq, TopFreq);
  EXPECT_DOUBLE_EQ(m.Slots[StopSlot].Position, 1.0);
  EXPECT_EQ(m.Slots[StopSlot].Color, 0x00C0C0u);

  EXPECT_EQ(m.Slots[MarkerSlot].Word, 5369);
  EXPECT_DOUBLE_EQ(m.Slots[MarkerSlot].Freq, 500.0270903110504);
  EXPECT_NEAR(m.Slots[MarkerSlot].Position, 0.42907, 1e-5);
  EXPECT_EQ(m.Slots[MarkerSlot].Color, 0xE0E00Cu);

  EXPECT_DOUBLE_EQ(m.Step, 1.0244548320770264);
  EXPECT_EQ(m.StepShowTicks, 0);
  EXPECT_EQ(m.BackColor, 0x000080u);
  EXPECT_EQ(m.Waveform, 1);
  EXPECT_FLOAT_EQ(m.AnalogAmpTable[0], 0.123f);
  EXPECT_FLOAT_EQ(m.AnalogAmpTable[15], 0.650f);
  EXPECT_FLOAT_EQ(m.SquareAmpTable[14], 4.6825f);
  EXPECT_FLOAT_EQ(m.SquareAmpTable[15], 5.0f);
}

TEST(ScreenModelMappings, DecadeCoordAndFreq) {
  EXPECT_DOUBLE_EQ(DecadeCoord(1000), 3.0);
  EXPECT_DOUBLE_EQ(DecadeCoord(500), 2.0 + 4.0 / 9.0);
  EXPECT_DOUBLE_EQ(DecadeCoord(12500000), 7.0 + 0.25 / 9.0);
  EXPECT_DOUBLE_EQ(DecadeFreq(4.0), 1000.0);
  EXPECT_DOUBLE_EQ(DecadeFreq(4.5), 5500.0);
  for (double f : {0.1, 0.37, 2.0, 77.0, 9999.0, 3.3e6})
    EXPECT_NEAR(DecadeFreq(DecadeCoord(f) + 1.0), f, f * 1e-12) << f;
}

TEST(ScreenModelMappings, RoundHalfEven) {
  EXPECT_EQ(RoundHalfEven(0.5), 0.0);
  EXPECT_EQ(RoundHalfEven(1.5), 2.0);
  EXPECT_EQ(RoundHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
}

TEST(ScreenModelGrid, SnapToGridAndStep) {
  EXPECT_DOUBLE_EQ(TZOLScreenModel::SnapToGrid(0.0), GridStep);
  EXPECT_DOUBLE_EQ(TZOLScreenModel::SnapToGrid(-7.0), GridStep);
  EXPECT_DOUBLE_EQ(TZOLScreenModel::SnapToGrid(12500000.0), TopFreq);
  EXPECT_DOUBLE_EQ(TZOLScreenModel::SnapToGrid(12499999.96), TopFreq);
  EXPECT_DOUBLE_EQ(TZOLScreenModel::SnapToGrid(1000.0), 999.9610483646393);
  // Exactly half a grid step rounds to the even word.
  EXPECT_DOUBLE_EQ(TZOLScreenModel::SnapToGrid(2.5 * GridStep), 2 * GridStep);
  EXPECT_DOUBLE_EQ(TZOLScreenModel::SnapToGrid(3.5 * GridStep), 4 * GridStep);

  TZOLScreenModel m;
  m.SetStep(-3);
  EXPECT_DOUBLE_EQ(m.Step, 2.9802322387695312);
  m.SetStep(3);
  EXPECT_DOUBLE_EQ(m.Step, 32 * GridStep);
  m.SetStep(0);
  EXPECT_DOUBLE_EQ(m.Step, GridStep);
  m.SetStep(std::numeric_limits<double>::quiet_NaN());
  EXPECT_DOUBLE_EQ(m.Step, GridStep);
  m.SetStep(-std::numeric_limits<double>::infinity());
  EXPECT_DOUBLE_EQ(m.Step, TopFreq);
  m.ShowStep();
  EXPECT_EQ(m.StepShowTicks, 20);
}

TEST(ScreenModelSetSlotFreq, QuantisesAndPlaces) {
  TZOLScreenModel m;
  m.SetSlotFreq(1, 0.1);
  EXPECT_EQ(m.Slots[1].Word, 1);
  EXPECT_EQ(m.Slots[1].Position, 0.0);

  m.SetSlotFreq(0, 0);
  EXPECT_EQ(m.Slots[0].Word, 0);
  EXPECT_EQ(m.Slots[0].Freq, 0.0);
  EXPECT_EQ(m.Slots[0].Position, 0.0);

  // Half a grid step rounds to the even word 0.
  m.SetSlotFreq(0, GridStep / 2);
  EXPECT_EQ(m.Slots[0].Word, 0);
  m.SetSlotFreq(0, 0.0466);
  EXPECT_EQ(m.Slots[0].Word, 1);
  EXPECT_EQ(m.Slots[0].Position, 0.0);

  m.SetSlotFreq(2, 12499999.96);
  EXPECT_EQ(m.Slots[2].Word, 0x7FFFFFF);
  m.SetSlotFreq(2, 20000000);
  EXPECT_EQ(m.Slots[2].Word, 0x7FFFFFF);
  EXPECT_EQ(m.Slots[2].Position, 1.0);

  // Position follows the request, not the quantised frequency.
  m.SetSlotFreq(3, 5000.04);
  EXPECT_DOUBLE_EQ(m.Slots[3].Position, (DecadeCoord(5000.04) + 1) / LinearSpan);
  ExpectOnGrid(m.Slots[3]);
}

TEST(ScreenModelSetSlotFreq, LogScale) {
  TZOLScreenModel m;
  m.LogScale = true;
  m.SetSlotFreq(0, 1000);
  EXPECT_DOUBLE_EQ(m.Slots[0].Position, 4.0 / LogSpan);
  m.SetSlotFreq(0, 12500000);
  EXPECT_NEAR(m.Slots[0].Position, 1.0, 1e-15);
}

TEST(ScreenModelSetSlotFreq, IgnoresBadRequestsAndIndices) {
  TZOLScreenModel m;
  const TZOLScreenModel before = m;
  m.SetSlotFreq(0, -1);
  m.SetSlotFreq(0, std::numeric_limits<double>::quiet_NaN());
  m.SetSlotFreq(0, -std::numeric_limits<double>::infinity());
  m.SetSlotFreq(-1, 1000);
  m.SetSlotFreq(4, 1000);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(m.Slots[i].Word, before.Slots[i].Word);
    EXPECT_EQ(m.Slots[i].Freq, before.Slots[i].Freq);
    EXPECT_EQ(m.Slots[i].Position, before.Slots[i].Position);
  }
  m.SetSlotFreq(0, std::numeric_limits<double>::infinity());
  EXPECT_EQ(m.Slots[0].Word, 0x7FFFFFF);
  EXPECT_EQ(m.Slots[0].Position, 1.0);
  ExpectOnGrid(m.Slots[0]);
}

TEST(ScreenModelVisibility, ShowOperations) {
  TZOLScreenModel m;
  m.ShowRangeSlots(true);
  EXPECT_TRUE(m.Slots[1].Visible && m.Slots[2].Visible);
  m.ShowMarkerSlot(true);
  EXPECT_TRUE(m.Slots[3].Visible);
  m.ShowFrequencySlot(false);
  EXPECT_FALSE(m.Slots[0].Visible);
  m.ShowRangeSlots(false);
  EXPECT_FALSE(m.Slots[1].Visible || m.Slots[2].Visible);
}

TEST(ScreenModelLayout, GeometryAndColumns) {
  TZOLScreenModel m;
  m.BitmapWidth = 800;
  m.BitmapHeight = 200;
  m.UpdateLayout();
  EXPECT_EQ(m.ScaleLeft, 23);
  EXPECT_EQ(m.ScaleRight, 776);
  EXPECT_EQ(m.ScaleTop, 24);
  EXPECT_EQ(m.ScaleBottom, 175);
  EXPECT_EQ(m.ScaleWidth, 754);
  EXPECT_EQ(m.ScaleHeight, 152);
  EXPECT_DOUBLE_EQ(m.DecadeWidth, 754 / LinearSpan);
  EXPECT_EQ(m.PositionToX(m.Slots[0].Position), 399);
  EXPECT_EQ(m.PositionToX(0.0), 23);
  EXPECT_EQ(m.PositionToX(1.0), 777);
  // Halves go to the even column: 0.5 x 754 = 377 exactly, 1.5/754 -> 2.
  EXPECT_EQ(m.PositionToX(1.5 / 754), 25);
  EXPECT_EQ(m.PositionToX(2.5 / 754), 25);
  m.LogScale = true;
  m.UpdateLayout();
  EXPECT_DOUBLE_EQ(m.DecadeWidth, 754 / LogSpan);
}

TEST(ScreenModelPulse, CodesAndPrescalers) {
  for (auto [f, code] : std::initializer_list<std::pair<double, int>>{{1, 4},
                                                                      {10, 16},
                                                                      {100, 64},
                                                                      {500, 149},
                                                                      {1000, 256},
                                                                      {1e4, 1024},
                                                                      {1e5, 4096},
                                                                      {1e6, 16384},
                                                                      {3e6, 27307},
                                                                      {1e7, 65535},
                                                                      {1.25e7, 65535}})
    EXPECT_EQ(PulseCode(1, f), code) << f;
  EXPECT_EQ(PulseCode(3, 0.1), 3);
  EXPECT_EQ(PulseCode(1, 0.0), 1);
  EXPECT_EQ(PulseCode(3, 1.0), 4);
  EXPECT_EQ(PulseCode(5, 1.0), 5);
  EXPECT_EQ(PulseCode(1, std::numeric_limits<double>::quiet_NaN()), 1);
  EXPECT_EQ(PulseCode(1, std::numeric_limits<double>::infinity()), 0xFFFF);

  TZOLScreenModel m;
  // A stray divider never reads past the prescaler table.
  m.Divider = 9;
  EXPECT_EQ(m.Prescaler(), 1024);
  m.Divider = -1;
  EXPECT_EQ(m.Prescaler(), 1);
}

// A code is drawn at its own place: the frequency found there has that code.
TEST(ScreenModelPulse, EveryCodeHasAPlaceWhoseFrequencyGivesItBack) {
  for (int code = 1; code <= 0xFFFF; code += code < 64 ? 1 : 61)
    EXPECT_EQ(PulseCode(1, PulseCodeFrequency(code)), code) << code;
  EXPECT_EQ(PulseCode(1, PulseCodeFrequency(0xFFFF)), 0xFFFF);
  TZOLScreenModel m;
  m.ShowPulseCode(FrequencySlot, 4, 5e-6);
  EXPECT_DOUBLE_EQ(m.Slots[FrequencySlot].Position, (DecadeCoord(1.0) + 1.0) / LinearSpan);
  EXPECT_GE(m.Slots[FrequencySlot].Word, 1);
  EXPECT_EQ(m.Slots[FrequencySlot].Time, 5e-6);
  // A frequency shown there later carries no pulse time.
  m.SetSlotFreq(FrequencySlot, 1000);
  EXPECT_EQ(m.Slots[FrequencySlot].Time, 0.0);
}

TEST(ScreenModelPulse, DividerFactor) {
  TZOLScreenModel m;
  m.Divider = 1;
  EXPECT_EQ(m.DividerFactor(), 1);
  m.Waveform = 3;
  EXPECT_EQ(m.DividerFactor(), 2);
  m.Divider = 0;
  EXPECT_EQ(m.DividerFactor(), 1);
  m.Waveform = -3;
  m.Divider = 2;
  EXPECT_EQ(m.DividerFactor(), 1);
}

}  // namespace
}  // namespace screen
