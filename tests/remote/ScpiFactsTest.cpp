// The protocol facts a raw-socket client relies on, line by line through a
// session: replies, their joining, the error queue and the status bytes.

#include <optional>

#include "tests/remote/SessionFixture.h"

namespace remote::test {
namespace {

const std::string Id = std::string("Zolvek,DDS-12M5,none,") + ZOLVEK_VERSION + "\n";

struct TStep {
  std::string Line;
  std::string Reply;                       // every reply message, LF included
  std::optional<std::vector<int>> Errors;  // the whole queue after the line, if checked
};

struct TFact {
  const char* Name;
  std::vector<TStep> Steps;
};

const TFact Facts[] = {
    {"IdentityWithAndWithoutCarriageReturn", {{"*IDN?", Id, {{}}}, {"*IDN?\r", Id, {{}}}}},
    {"RepliesOfOneLineJoined", {{"*IDN?;*IDN?", Id.substr(0, Id.size() - 1) + ";" + Id, {{}}}}},
    {"UndefinedHeaderIsQueuedOnce",
     {{"IDN?", "", std::nullopt},
      {"SYST:ERR?", "-113,\"Undefined header\"\n", std::nullopt},
      {"SYST:ERR?", "0,\"No error\"\n", std::nullopt}}},
    {"MissingAndSurplusParameters", {{"*ESE", "", {{-109}}}, {"*IDN? 12", Id, {{-108}}}}},
    {"EventStatusReadAndCleared",
     {{"*CLS;*ESR?", "0\n", {{}}},
      {"IDN?", "", std::nullopt},
      {"*ESR?", "32\n", std::nullopt},
      {"*ESR?", "0\n", std::nullopt}}},
    {"OperationCompleteAndSelfTest", {{"*OPC?", "1\n", {{}}}, {"*TST?", "0\n", {{}}}}},
    {"FrequencyWithUnits",
     {{"FREQ 1.5 KHZ;FREQ?", Grid(1500) + "\n", {{}}},
      {"FREQ 1.5MAHZ;FREQ?", Grid(1.5e6) + "\n", {{}}},
      {"FREQ 1000;FREQ 1.5MHZ;FREQ?", Grid(1.5e6) + "\n", {{}}},
      {"FREQ 1000;FREQ 1.5mhz;FREQ?", Grid(1.5e6) + "\n", {{}}}}},
    {"FrequencyOnTheGridInFullPrecision", {{"FREQ 1000;FREQ?", "999.9610483646393\n", {{}}}}},
    {"FrequencyOutOfRangeKeepsTheOldValue",
     {{"FREQ 2000", "", {{}}}, {"FREQ 20MHZ", "", {{-222}}}, {"FREQ?", Grid(2000) + "\n", {{}}}}},
    {"FrequencyLimits", {{"FREQ? MAX", "1.25E+07\n", {{}}}, {"FREQ? MIN", "0.1\n", {{}}}}},
    {"FunctionShortAndLongFormsOnly",
     {{"FUNC SQU;FUNC?", "SQU\n", {{}}},
      {"FUNCTION TRIANGLE;FUNC?", "TRI\n", {{}}},
      {"FUNCT SQU", "", {{-113}}}}},
    {"OutputAndRestartAtTheRoot",
     {{"OUTP ON;OUTP?", "1\n", {{}}},
      {"SWE:STAT ON", "", {{}}},
      {"SWE:SPAC LIN;:SWE:SPAC?", "LIN\n", {{}}},
      {"SWE:SPAC LOG;:SWE:SPAC?", "LOG\n", {{}}}}},
    {"SemicolonStaysOnTheParentNode",
     {{"SWE:STAT ON", "", {{}}},
      {"FREQ:STAR 100;STOP 1000", "", {{}}},
      {"FREQ:STOP?;STAR?", Grid(1000) + ";" + Grid(100) + "\n", {{}}}}},
};

class ScpiFactsTest : public TSessionFixture, public ::testing::WithParamInterface<TFact> {};

TEST_P(ScpiFactsTest, RepliesAndErrorsLineByLine) {
  for (const TStep& step : GetParam().Steps) {
    EXPECT_EQ(Send(step.Line), step.Reply) << step.Line;
    if (step.Errors) {
      EXPECT_EQ(Errors(), *step.Errors) << step.Line;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Facts, ScpiFactsTest, ::testing::ValuesIn(Facts),
                         [](const auto& info) { return std::string(info.param.Name); });

using ScpiQueueTest = TSessionFixture;

TEST_F(ScpiQueueTest, OverflowTurnsTheNewestEntryIntoQueueOverflow) {
  std::string line = "X";
  for (std::size_t i = 1; i < TStatusRegisters::QueueLength + 5; ++i) line += ";X";
  Send(line);
  for (std::size_t i = 1; i < TStatusRegisters::QueueLength; ++i)
    ASSERT_EQ(Send("SYST:ERR?"), "-113,\"Undefined header\"\n") << i;
  EXPECT_EQ(Send("SYST:ERR?"), "-350,\"Queue overflow\"\n");
  EXPECT_EQ(Send("SYST:ERR?"), "0,\"No error\"\n");
}

TEST_F(ScpiQueueTest, StatusByteSummarisesWithoutBeingCleared) {
  Send("*ESE 32;X");
  EXPECT_EQ(Send("*STB?"), "36\n");  // error queue and event summary
  EXPECT_EQ(Send("*STB?"), "36\n");
  EXPECT_EQ(Send("*SRE 32;*SRE?;*STB?"),
            "32;116\n");  // a reply already waits: MAV, and the request bit
  EXPECT_EQ(Send("*CLS;*STB?"), "0\n");
  EXPECT_EQ(Send("*SRE 255;*SRE?;*ESE?"), "191;32\n");  // bit 6 of the mask is ignored
}

TEST_F(ScpiQueueTest, ErrorsInOrderWithTheirClassBits) {
  Send("*ESE 256;FREQ 1 S;FREQ:STAR 100");
  EXPECT_EQ(Errors(), (std::vector<int>{-222, -131, -221}));
  EXPECT_EQ(Send("*ESR?"), "48\n");  // command and execution errors
}

}  // namespace
}  // namespace remote::test
