// Siglent's generator dialect as an oscilloscope's Bode plot sends it,
// through a session over the fake generator: the identity, the set-up
// line, the basic wave's keys, the output, and the errors of what the
// generator cannot do.

#include "remote/ScpiErrors.h"
#include "tests/remote/SessionFixture.h"

namespace remote::test {
namespace {

using ScpiSiglentTest = TSessionFixture;

TEST_F(ScpiSiglentTest, IdentityQueryAnswersAsAnSdgGenerator) {
  const std::string reply = Send("IDN-SGLT-PRI?");
  EXPECT_EQ(reply.rfind("IDN-SGLT-PRI SDG", 0), 0u) << reply;
  EXPECT_EQ(reply.back(), '\n');
  EXPECT_EQ(Send("IDN-SGLT-PRI?;*IDN?"),
            reply.substr(0, reply.size() - 1) + ";" + Core.Identity() + "\n");
}

TEST_F(ScpiSiglentTest, SetUpLineOfTheBodePlotSetsSineFrequencyAmplitudeAndOutput) {
  Device.S.Waveform = Square;
  EXPECT_EQ(Send("C1:OUTP LOAD,50;BSWV WVTP,SINE,PHSE,0,FRQ,50000,AMP,2.1,OFST,0;OUTP ON"), "");
  EXPECT_EQ(Errors(), std::vector<int>{});
  EXPECT_EQ(Device.S.Waveform, Sine);
  EXPECT_EQ(Device.S.Frequency, FakeSnap(50000));
  EXPECT_EQ(Device.S.AttenuationAnalog, 15)
      << "the sine's highest calibrated amplitude lies nearest 2.1 V";
  EXPECT_TRUE(Device.S.Run);
}

TEST_F(ScpiSiglentTest, PointsOfTheSweepAndOutputOff) {
  Send("C1:OUTP ON");
  Send("C1:BSWV FRQ,10.8890427");
  EXPECT_EQ(Device.S.Frequency, FakeSnap(10.8890427));
  EXPECT_NEAR(Device.S.Frequency, 10.8890427, 0.1);
  Send("C1:OUTP OFF");
  EXPECT_FALSE(Device.S.Run);
  EXPECT_EQ(Errors(), std::vector<int>{});
}

struct TAmplitudeCase {
  const char* Name;
  std::string Line;
  int Waveform;
  int AnalogStep;
  int SquareStep;
};

class ScpiSiglentAmplitudeTest : public TSessionFixture,
                                 public ::testing::WithParamInterface<TAmplitudeCase> {};

TEST_P(ScpiSiglentAmplitudeTest, AmplitudeTakesTheNearestCalibratedStepOfTheNewWaveform) {
  Send(GetParam().Line);
  EXPECT_EQ(Errors(), std::vector<int>{});
  EXPECT_EQ(Device.S.Waveform, GetParam().Waveform);
  EXPECT_EQ(Device.S.AttenuationAnalog, GetParam().AnalogStep);
  EXPECT_EQ(Device.S.AttenuationSquare, GetParam().SquareStep);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ScpiSiglentAmplitudeTest,
    ::testing::Values(TAmplitudeCase{"SineTable", "C1:BSWV AMP,0.2", Sine, 7, 0},
                      TAmplitudeCase{"MillivoltsBetweenSteps", "C1:BSWV AMP,140MV", Sine, 2, 0},
                      TAmplitudeCase{"SquareTable", "C1:BSWV AMP,2.4V,WVTP,SQUARE", Square, 0, 7},
                      TAmplitudeCase{"RampIsTheTriangle", "C1:BSWV WVTP,RAMP,AMP,0", Triangle, 0,
                                     0},
                      TAmplitudeCase{"Maximum", "C1:BSWV AMP,MAX", Sine, 15, 0}),
    [](const auto& info) { return std::string(info.param.Name); });

// Lines that the generator refuses or ignores, and the query replies.
INSTANTIATE_TEST_SUITE_P(
    Siglent, ScpiLineTest,
    ::testing::Values(
        TLineCase{"SecondChannelIsNotThere",
                  {},
                  "C2:BSWV FRQ,2000;:FREQ?",
                  Grid(1000) + "\n",
                  {error::HeaderSuffixOutOfRange}},
        TLineCase{"NoiseCannotBeMade",
                  {},
                  "C1:BSWV WVTP,NOISE,FRQ,2000;:FREQ?",
                  Grid(1000) + "\n",
                  {error::IllegalParameterValue}},
        TLineCase{"KeyWithoutValue",
                  {},
                  "C1:BSWV FRQ,2000,AMP;:FREQ?",
                  Grid(1000) + "\n",
                  {error::MissingParameter}},
        TLineCase{"FrequencyOutOfRange",
                  {},
                  "C1:BSWV FRQ,20000000;:FREQ?",
                  Grid(1000) + "\n",
                  {error::DataOutOfRange}},
        TLineCase{"UnknownKeysIgnored",
                  {},
                  "C1:BSWV DUTY,20,FRQ,2000HZ,HLEV,1;:FREQ?",
                  Grid(2000) + "\n",
                  {}},
        TLineCase{"FrequencyInSweepModeConflicts",
                  {"SWE:STAT ON"},
                  "C1:BSWV FRQ,2000;:FREQ?",
                  Grid(1000) + "\n",
                  {error::SettingsConflict}},
        TLineCase{"LoadAcceptedAndIgnored", {}, "C1:OUTP LOAD,HZ;:OUTP?", "0\n", {}},
        TLineCase{
            "UnknownOutputItem", {}, "C1:OUTP BOGUS;:OUTP?", "0\n", {error::IllegalParameterValue}},
        TLineCase{"OutputQuery", {"OUTP ON"}, "C1:OUTP?", "C1:OUTP ON,PLRT,NOR\n", {}},
        TLineCase{"BasicWaveQuery",
                  {"FREQ 1000", "VOLT:ATT 7"},
                  "C1:BSWV?",
                  "C1:BSWV WVTP,SINE,FRQ," + Grid(1000) + "HZ,PERI," + Real(1.0 / FakeSnap(1000)) +
                      "S,AMP,0.2V,OFST,0V,PHSE,0\n",
                  {}},
        TLineCase{"BasicWaveQueryInPulseMode",
                  {"C1:BSWV WVTP,PULSE,FRQ,1000,WIDTH,0.0001"},
                  "C1:BSWV?",
                  "C1:BSWV WVTP,PULSE,FRQ,1000HZ,PERI,0.001S,AMP,0.3125V,OFST,0V,WIDTH,0.0001S\n",
                  {}},
        TLineCase{
            "LongFormOfTheBasicWave", {}, "c1:basic_wave frq,3000;:FREQ?", Grid(3000) + "\n", {}}),
    LineCaseName);

}  // namespace
}  // namespace remote::test
