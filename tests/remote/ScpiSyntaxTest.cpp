// Syntax through a session: the path rules, short and long forms, numeric
// suffixes, units and every command error a malformed unit gives.

#include "tests/remote/SessionFixture.h"

namespace remote::test {
namespace {

const TLineCase Lines[] = {
    // Paths.
    {"OptionalSourceNode", {}, "SOUR:FREQ 2000;FREQ?", Grid(2000) + "\n", {}},
    {"SuffixOneAndDefaultNode", {}, "SOUR1:FREQ:CW 2000;:SOURCE01:FREQ?", Grid(2000) + "\n", {}},
    {"CaseIgnored", {}, "freq 2000;Freq?", Grid(2000) + "\n", {}},
    {"SemicolonKeepsTheParent", {"SWE:STAT ON"}, "FREQ:STAR 100;FREQ:STOP 1000", "", {-113}},
    {"CommonCommandsLeaveThePath", {}, "SWE:STAT ON;*OPC?;SPAC LIN;SPAC?", "1;LIN\n", {}},
    {"LineFeedResetsThePath", {"SWE:STAT ON;SPAC LIN"}, "SPAC?", "", {-113}},
    {"ColonRestartsAtTheRoot", {}, "OUTP ON;:FREQ?;:OUTP?", Grid(1000) + ";1\n", {}},
    {"SuffixOtherThanOne", {}, "SOUR2:FREQ 1000", "", {-114}},
    {"SuffixWhereNoneIsTaken", {}, "FREQ2 1000", "", {-114}},
    {"OutputSuffix", {}, "OUTP1:STAT ON;:OUTP?", "1\n", {}},
    {"NeitherShortNorLong", {}, "FREQU 1000", "", {-113}},
    {"UnknownCommonCommand", {}, "*FOO", "", {-113}},
    {"QueryOnlyHeader", {}, "VOLT 2", "", {-113}},
    {"SettingOnlyHeader", {}, "SWE:REST?", "", {-113}},
    // Recovery and empty units.
    {"NextUnitRunsAfterAnError", {}, "X;FREQ 2000;FREQ?", Grid(2000) + "\n", {-113}},
    {"EmptyUnitsIgnored", {}, ";;FREQ?;", Grid(1000) + "\n", {}},
    {"BlankLine", {}, " \t", "", {}},
    // Malformed units.
    {"InvalidCharacterInHeader", {}, "FR@Q 1", "", {-101}},
    {"HeaderEndingInColon", {}, "FREQ:", "", {-102}},
    {"DoubleColon", {}, "::FREQ?", "", {-102}},
    {"JunkAfterQueryMark", {}, "*IDN?X", "", {-102}},
    {"CommaAfterHeader", {}, "FREQ,1000", "", {-103}},
    {"MissingComma", {}, "FREQ 1000 2000", "", {-103}},
    {"TrailingComma", {}, "FREQ 1000,", "", {-102}},
    {"UnterminatedString", {}, "SYST:CONN \"sim0", "", {-102}},
    {"NonDecimalNumber", {}, "FREQ #H10", "", {-104}},
    {"StringForNumber", {}, "FREQ \"1000\"", "", {-104}},
    {"NumberForKeyword", {}, "FUNC 3", "", {-104}},
    {"UnknownKeyword", {}, "FUNC FOO", "", {-224}},
    {"SurplusParameterChangesNothing", {}, "FREQ 2000,3000;FREQ?", Grid(1000) + "\n", {-108}},
    {"MissingParameter", {}, "FREQ", "", {-109}},
    {"SurplusQueryParameterStillAnswers", {}, "FREQ? MIN,MAX", "0.1\n", {-108}},
    // Suffixes and values.
    {"SuffixOnUnitlessValue", {}, "VOLT:ATT 3 HZ", "", {-138}},
    {"SecondsForHertz", {}, "FREQ 1 S", "", {-131}},
    {"MultiplierWithoutUnit", {}, "FREQ 1 K", "", {-131}},
    {"UnknownMultiplier", {}, "FREQ 1 XHZ", "", {-131}},
    {"FractionalStep", {}, "VOLT:ATT 3.5", "", {-224}},
    {"StepOffTheList", {}, "VOLT:ATT 16", "", {-224}},
    {"HugeWholeNumber", {}, "VOLT:ATT 1E20", "", {-222}},
    {"ExponentOverflow", {}, "FREQ 1E999", "", {-222}},
    {"NegativeOverflow", {}, "FREQ -1E999", "", {-222}},
    {"ExponentUnderflowIsZero", {}, "FREQ 1E-999", "", {-222}},
    {"OverflowWithLeadingZeros", {}, "FREQ 0.001E400", "", {-222}},
    {"BooleanOtherThanOnOff", {}, "OUTP MAYBE", "", {-224}},
    {"BooleanWithSuffix", {}, "OUTP 1 HZ", "", {-138}},
};

TEST_P(ScpiLineTest, ReplyAndErrors) {
  for (const std::string& line : GetParam().Before) Send(line);
  ASSERT_EQ(Errors(), std::vector<int>{});
  EXPECT_EQ(Send(GetParam().Line), GetParam().Reply);
  EXPECT_EQ(Errors(), GetParam().Errors);
}

INSTANTIATE_TEST_SUITE_P(Syntax, ScpiLineTest, ::testing::ValuesIn(Lines), LineCaseName);

struct TValueCase {
  std::string Setting;  // sets one value; the query reads it back
  std::string Query;
  double Expected;  // what the generator holds, checked by the query
};

const TValueCase Values[] = {
    {"FREQ 1.5E3", "FREQ?", FakeSnap(1500)},
    {"FREQ 1.5e+3", "FREQ?", FakeSnap(1500)},
    {"FREQ +2000.", "FREQ?", FakeSnap(2000)},
    {"FREQ .5 KHZ", "FREQ?", FakeSnap(500)},
    {"FREQ 1500 Hz", "FREQ?", FakeSnap(1500)},
    {"FREQ 0.0015GHZ", "FREQ?", FakeSnap(1.5e6)},
    {"FREQ 1.5E-3 MAHZ", "FREQ?", FakeSnap(1500)},
    {"FREQ MAX", "FREQ?", FakeSnap(12.5e6)},
    {"FREQ MINIMUM", "FREQ?", FakeSnap(0.1)},
    {"FREQ 2000;FREQ DEF", "FREQ?", FakeSnap(1000)},
    {"FREQ:STEP 3", "FREQ:STEP?", FakeSnap(3)},
    {"FUNC PULS;PULS:PER 1 MS", "PULS:PER?", 16000 / 16e6},
    {"FUNC PULS;PULS:PER 100US", "PULS:PER?", 1600 / 16e6},
    {"FUNC PULS;PULS:PER 2E6 PS", "PULS:PER?", 32 / 16e6},
    {"FUNC PULS;PULS:WIDT 50000 NS", "PULS:WIDT?", 800 / 16e6},
    {"FUNC PULS;PULS:PRESC 64;PER 0.1", "PULS:PER?", 25000 * 64 / 16e6},
    {"SWE:STAT ON;TIME 5 S", "SWE:TIME?", 5},
    {"SWE:STAT ON;TIME 7000 MS", "SWE:TIME?", 7},
    {"SWE:STAT ON;TIME MAX", "SWE:TIME?", 100},
    {"VOLT:ATT MAX", "VOLT:ATT?", 15},
};

class ScpiValueTest : public TSessionFixture, public ::testing::WithParamInterface<TValueCase> {};

TEST_P(ScpiValueTest, UnitsAndNamedValuesReachTheGenerator) {
  Send(GetParam().Setting);
  ASSERT_EQ(Errors(), std::vector<int>{});
  const std::string reply = Send(GetParam().Query);
  EXPECT_EQ(reply, FormatReal(GetParam().Expected) + "\n");
}

INSTANTIATE_TEST_SUITE_P(Values, ScpiValueTest, ::testing::ValuesIn(Values));

}  // namespace
}  // namespace remote::test
