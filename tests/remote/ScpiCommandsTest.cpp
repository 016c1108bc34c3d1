// The command set through a session: each command reaches its setting,
// each query answers in its format, and the instrument's outcomes (mode
// conflicts, ranges, failures) become their SCPI errors.

#include "tests/remote/SessionFixture.h"

namespace remote::test {
namespace {

const std::string Version = ZOLVEK_VERSION;

const TLineCase Commands[] = {
    {"RunOn", {}, "OUTP ON;OUTP?", "1\n", {}},
    {"RunOff", {"OUTP ON"}, "OUTP OFF;OUTP?", "0\n", {}},
    {"PolarityOutsidePulseMode", {}, "OUTP:POL INV", "", {-221}},
    {"PolarityInverted", {"FUNC PULS"}, "OUTP:POL INV;POL?", "INV\n", {}},
    {"PolarityNormal", {"FUNC PULS", "OUTP:POL INV"}, "OUTP:POL NORMAL;POL?", "NORM\n", {}},
    {"FunctionSine", {"FUNC SQU"}, "FUNC SINUSOID;FUNC?", "SIN\n", {}},
    {"FunctionShape", {}, "FUNC:SHAP TRI;:FUNC?", "TRI\n", {}},
    {"FunctionPulse", {}, "FUNC PULSE;FUNC?", "PULS\n", {}},
    {"SineLeavesPulseMode", {"FUNC PULS"}, "FUNC SIN;FUNC?", "SIN\n", {}},
    {"PulseLeavesSweepMode", {"SWE:STAT ON"}, "FUNC PULS;:SWE:STAT?;:FUNC?", "0;PULS\n", {}},
    {"SweepLeavesPulseMode", {"FUNC PULS"}, "SWE:STAT ON;:FUNC?", "SIN\n", {}},
    {"ModeChangeReleasesRun", {"OUTP ON"}, "SWE:STAT ON;:OUTP?", "0\n", {}},
    {"DividerOfSquare", {"FUNC SQU"}, "FUNC:SQU:DIV ON;DIV?", "1\n", {}},
    {"DividerOfSine", {}, "FUNC:SQU:DIV ON", "", {-221}},
    {"FrequencyInSweepMode", {"SWE:STAT ON"}, "FREQ 2000", "", {-221}},
    {"FrequencyInPulseMode", {"FUNC PULS"}, "FREQ 2000", "", {-221}},
    {"StartOutsideSweepMode", {}, "FREQ:STAR 100", "", {-221}},
    {"StopBelowRange", {"SWE:STAT ON"}, "FREQ:STOP 0.05", "", {-222}},
    {"Marker", {"SWE:STAT ON"}, "MARK:FREQ 700 HZ;FREQ?", Grid(700) + "\n", {}},
    {"StepInPulseMode", {"FUNC PULS"}, "FREQ:STEP 10", "", {-221}},
    {"StepLimit", {}, "FREQ:STEP? MIN", Grid(0) + "\n", {}},
    {"AttenuationOfSine", {}, "VOLT:ATT 5;ATT?;:VOLT?", "5;0.17\n", {}},
    {"AttenuationOfSquare",
     {"VOLT:ATT 5", "FUNC SQU"},
     "VOLT:ATT 9;:VOLT:AMPL?;:VOLT:ATT?",
     "3.125;9\n",
     {}},
    {"SweepTimeOutsideSweepMode", {}, "SWE:TIME 5", "", {-221}},
    {"SweepTimeOutOfRange", {"SWE:STAT ON"}, "SWE:TIME 200", "", {-222}},
    {"SweepTimeFraction", {"SWE:STAT ON"}, "SWE:TIME 2.5", "", {-224}},
    {"Spacing", {"SWE:STAT ON"}, "SWE:SPAC LINEAR;SPAC?", "LIN\n", {}},
    {"Direction", {"SWE:STAT ON"}, "SWE:DIR BOTH;DIR?;DIR DOWN;DIR?", "BOTH;DOWN\n", {}},
    {"PauseWithoutRun", {"SWE:STAT ON"}, "SWE:PAUS ON", "", {-221}},
    {"PauseWhileRunning", {"SWE:STAT ON", "OUTP ON"}, "SWE:PAUS ON;PAUS?", "1\n", {}},
    {"RestartWhileRunning", {"SWE:STAT ON", "OUTP ON"}, "SWE:REST", "", {}},
    {"RestartTakesNoParameter", {"SWE:STAT ON", "OUTP ON"}, "SWE:REST 1", "", {-108}},
    {"PrescalerOutsidePulseMode", {}, "PULS:PRESC 8", "", {-221}},
    {"PrescalerOffTheList", {"FUNC PULS"}, "PULS:PRESC 3", "", {-224}},
    {"PrescalerLimits", {}, "PULS:PRESC? MIN;PRESC? MAX", "1;1024\n", {}},
    {"PeriodTooLong", {"FUNC PULS"}, "PULS:PER 10", "", {-222}},
    {"PeriodLimitFollowsThePrescaler",
     {"FUNC PULS", "PULS:PRESC 8"},
     "PULS:PER? MAX",
     Real(65536 * 8 / 16e6) + "\n",
     {}},
    {"Connect", {}, "SYST:CONN \"sim0\";CONN?", "\"sim0\",1\n", {}},
    {"ConnectFails", {}, "SYST:CONN 'nowhere';CONN?", "\"\",0\n", {-200}},
    {"Disconnect", {"SYST:CONN \"sim0\""}, "SYST:CONN OFF;CONN?", "\"sim0\",0\n", {}},
    {"ConnectOn", {}, "SYST:CONN ON", "", {-224}},
    {"ConnectNoName", {}, "SYST:CONN \"\"", "", {-224}},
    {"ConnectNumber", {}, "SYST:CONN 5", "", {-104}},
    {"IdentityNamesThePort",
     {"SYST:CONN \"sim0\""},
     "*IDN?",
     "Zolvek,DDS-12M5,sim0," + Version + "\n",
     {}},
    {"ScpiVersion", {}, "SYST:VERS?", "1999.0\n", {}},
    {"ErrorCount", {}, "X;X;:SYST:ERR:COUN?", "2\n", {-113, -113}},
    {"ErrorNext", {}, "X;:SYST:ERR:NEXT?", "-113,\"Undefined header\"\n", {}},
    {"ResetRestoresSettingsNotErrors",
     {"OUTP ON", "FREQ 2000"},
     "X;*RST;FREQ?;:OUTP?",
     Grid(1000) + ";0\n",
     {-113}},
};

INSTANTIATE_TEST_SUITE_P(Commands, ScpiLineTest, ::testing::ValuesIn(Commands), LineCaseName);

using ScpiOutcomeTest = TSessionFixture;

TEST_F(ScpiOutcomeTest, RefusedSettingsChangeNothing) {
  Send("SWE:STAT ON;:FUNC SQU;:VOLT:ATT 4");
  const TFakeSettings before = Device.S;
  Send(
      "FREQ 2000;:FREQ:STAR 1E9;:SWE:TIME 0;:PULS:PRESC 8;:FUNC:SQU:DIV 2,3;:VOLT:ATT -1;:SWE:DIR "
      "SIDEWAYS");
  EXPECT_EQ(Errors(), (std::vector<int>{-221, -222, -222, -221, -108, -224, -224}));
  EXPECT_TRUE(Device.S == before);
}

}  // namespace
}  // namespace remote::test
