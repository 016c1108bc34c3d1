// The remote commands on the command path, without a device: the limits in
// the units the output shows, MIN, MAX and DEF that every control takes in
// every mode, the rules between settings told as out of range, and the
// oscilloscope's wave command all or nothing.

#include <cmath>
#include <string>
#include <vector>

#include "command/RemoteInstrument.h"
#include "remote/ScpiCore.h"
#include "remote/ScpiSession.h"
#include "tests/command/CommandPathFixture.h"

namespace control::test {
namespace {

constexpr int OutOfRange = -222;

class RemoteSettingsTest : public CommandPathTest {
 protected:
  TRemoteInstrument Instrument{Control, [](unsigned) {}};
  remote::TScpiCore Core{Instrument};
  remote::TScpiSession Session{Core};

  std::string Send(const std::string& line) {
    Session.Receive(line + "\n");
    Session.Process();
    std::string replies;
    while (Session.HasReply()) replies += Session.TakeReply();
    if (!replies.empty() && replies.back() == '\n') replies.pop_back();
    return replies;
  }
  double Number(const std::string& query) { return std::stod(Send(query)); }
  std::vector<int> Errors() {
    std::vector<int> codes;
    while (Core.Status().ErrorCount() > 0) codes.push_back(Core.Status().PopError().Code);
    return codes;
  }
};

TEST_F(RemoteSettingsTest, SweepLimitsOfTheDividedSquareAreInTheUnitsShown) {
  Send("*RST;:SWE:STAT ON;:FUNC SQU;:FUNC:SQU:DIV ON");
  ASSERT_EQ(Errors(), std::vector<int>{});
  // Up to Stop at the top of the grid, halved.
  EXPECT_NEAR(Number("FREQ:STAR? MAX"), 6.25e6, 0.05);
  EXPECT_EQ(Number("FREQ:STOP? MIN"), 0.05);
  Send("FREQ:STOP MAX;:FREQ:STAR 0.06");
  EXPECT_EQ(Errors(), std::vector<int>{}) << "the Start dialog takes 0.06 (0.12 Hz after x2)";
  EXPECT_NEAR(Number("FREQ:STAR?"), 0.06, 0.05);
  EXPECT_NEAR(Number("FREQ:STOP?"), 6.25e6, 0.05);
}

TEST_F(RemoteSettingsTest, APeriodLongerThanTheWidthIsTakenWhateverScaleTheMarkerWasSetOn) {
  Send("*RST;:SWE:STAT ON;:MARK:FREQ 500;:FUNC PULS;:PULS:PER 10.75E-6");
  EXPECT_EQ(Errors(), std::vector<int>{});
  EXPECT_NEAR(Number("PULS:PER?"), 10.75e-6, 1e-12);
  EXPECT_NEAR(Number("PULS:WIDT?"), 9.375e-6, 1e-12);
}

TEST_F(RemoteSettingsTest, AWidthBeyondThePeriodIsOutOfRange) {
  Send("*RST;:FUNC PULS;:PULS:PER 5E-6;:PULS:WIDT 8E-6");
  EXPECT_EQ(Errors(), std::vector<int>{OutOfRange});
  EXPECT_NEAR(Number("PULS:WIDT? MAX"), Number("PULS:PER?"), 1e-12);
  Send("PULS:WIDT MAX");
  EXPECT_EQ(Errors(), std::vector<int>{});
  EXPECT_EQ(Send("PULS:WIDT?"), Send("PULS:PER?"));
}

TEST_F(RemoteSettingsTest, TheScopesWaveCommandChangesNothingWhenAValueIsRefused) {
  Send("*RST");
  Send("C1:BSWV WVTP,SQUARE,FRQ,20MHZ");
  EXPECT_EQ(Errors(), std::vector<int>{OutOfRange});
  EXPECT_EQ(Send("FUNC?"), "SIN");
  EXPECT_NEAR(Number("FREQ?"), 1000.0, 0.1);
}

// The set-up of a state: the mode (N, S, P), the square's divider or the
// prescaler.
struct TState {
  const char* Name;
  char Mode;
  const char* Setup;
};

const TState States[] = {
    {"normal", 'N', "*RST;:FUNC SQU"},
    {"normal, divided", 'N', "*RST;:FUNC SQU;:FUNC:SQU:DIV ON"},
    {"sweep", 'S', "*RST;:SWE:STAT ON;:FUNC SQU"},
    {"sweep, divided", 'S', "*RST;:SWE:STAT ON;:FUNC SQU;:FUNC:SQU:DIV ON"},
    {"pulse /1", 'P', "*RST;:FUNC PULS;:PULS:PRESC 1"},
    {"pulse /8", 'P', "*RST;:FUNC PULS;:PULS:PRESC 8"},
    {"pulse /64", 'P', "*RST;:FUNC PULS;:PULS:PRESC 64"},
    {"pulse /256", 'P', "*RST;:FUNC PULS;:PULS:PRESC 256"},
    {"pulse /1024", 'P', "*RST;:FUNC PULS;:PULS:PRESC 1024"},
};

// A quantity, the modes whose controls take it, and whether it is read back
// on the synthesiser's grid: a frequency comes back as the nearest grid
// frequency, at most half a grid step beyond the limit asked for.
struct TQuantityCase {
  const char* Header;
  const char* Modes;
  bool OnTheGrid;
};

const TQuantityCase Quantities[] = {
    {"FREQ", "N", true},      {"FREQ:STEP", "NS", true}, {"FREQ:STAR", "S", true},
    {"FREQ:STOP", "S", true}, {"MARK:FREQ", "S", true},  {"VOLT:ATT", "NSP", false},
    {"SWE:TIME", "S", false}, {"PULS:PER", "P", false},  {"PULS:WIDT", "P", false},
};

TEST_F(RemoteSettingsTest, MinMaxAndDefaultAreTakenAndReadBackWithinTheLimitsInEveryState) {
  constexpr double HalfGridStep = 25e6 / 268435456.0 / 2;
  for (const TState& state : States) {
    for (const TQuantityCase& q : Quantities) {
      const bool available = std::string(q.Modes).find(state.Mode) != std::string::npos;
      for (const char* value : {"MIN", "MAX", "DEF"}) {
        Send(state.Setup);
        ASSERT_EQ(Errors(), std::vector<int>{}) << state.Name;
        const std::string header = q.Header;
        const std::string where = std::string(state.Name) + ": " + header + " " + value;
        Send(header + " " + value);
        if (!available) {
          EXPECT_EQ(Errors(), std::vector<int>{-221}) << where;
          continue;
        }
        EXPECT_EQ(Errors(), std::vector<int>{}) << where;
        const double low = Number(header + "? MIN");
        const double high = Number(header + "? MAX");
        const double read = Number(header + "?");
        const double slack = q.OnTheGrid ? HalfGridStep : 0.0;
        EXPECT_LE(low, high) << where;
        EXPECT_GE(read, low - slack) << where;
        EXPECT_LE(read, high + slack) << where;
      }
    }
  }
}

}  // namespace
}  // namespace control::test
