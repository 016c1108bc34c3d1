// Thousands of random and mutated lines (fixed seed) through two sessions:
// nothing crashes, every reply stays within what the line asked for, and
// the generator is always left in a state the window could be in.

#include <algorithm>
#include <random>

#include "tests/remote/SessionFixture.h"

namespace remote::test {
namespace {

const char* const Seeds[] = {
    "*IDN?;*OPC?;*WAI;*ESR?;*STB?;*CLS;*RST;*TST?;*ESE 32;*SRE?",
    "SOUR1:FREQ:CW 1.5 KHZ;FREQ?;:FREQ? MAX;STEP 10 HZ",
    "SWE:STAT ON;TIME 5 S;SPAC LOG;DIR BOTH;PAUS ON;REST;:FREQ:STAR 100;STOP 1E3",
    "FUNC PULS;:PULS:PER 1 MS;WIDT 100 US;PRESC 64;:OUTP:POL INV",
    "OUTP ON;:VOLT:ATT 7;:VOLT?;:FUNC SQU;:FUNC:SQU:DIV ON;:MARK:FREQ 2 MAHZ",
    "SYST:ERR?;:SYST:CONN \"sim0\";:SYST:CONN?;:SYST:CONN OFF;:SYST:VERS?",
};

constexpr char Alphabet[] =
    "*:;?,\"' .+-E#()0123456789ABCDEFHIKLMNOPQRSTUVWXYZabcdefhiklmnopqrstuvwxyz\t\r\x01\x7f\xc3";

std::string Mutated(std::mt19937& random) {
  std::string line = Seeds[random() % std::size(Seeds)];
  const int edits = static_cast<int>(random() % 8);
  for (int i = 0; i < edits; ++i) {
    const std::size_t at = random() % (line.size() + 1);
    const char c = Alphabet[random() % (sizeof Alphabet - 1)];
    switch (random() % 4) {
      case 0:
        line.insert(at, 1, c);
        break;
      case 1:
        if (at < line.size()) line.erase(at, 1 + random() % 6);
        break;
      case 2:
        if (at < line.size()) line[at] = c;
        break;
      default:
        line.insert(at, Seeds[random() % std::size(Seeds)]);
        break;
    }
  }
  return line;
}

std::string Noise(std::mt19937& random) {
  std::string line(random() % 300, ' ');
  for (char& c : line)
    c = (random() % 3) ? Alphabet[random() % (sizeof Alphabet - 1)]
                       : static_cast<char>(random() % 256);
  return line;
}

using ScpiRandomTest = TSessionFixture;

TEST_F(ScpiRandomTest, RandomLinesLeaveEverythingValid) {
  std::mt19937 random(20260514);
  TScpiSession other(Core);
  for (int round = 0; round < 6000; ++round) {
    std::string line = (round % 3) ? Mutated(random) : Noise(random);
    std::erase(line, '\n');
    TScpiSession& session = (round % 2) ? Session : other;
    const std::string replies = SendTo(session, line);
    // A reply message per line at most, each answer well under 100 bytes.
    const auto queries = static_cast<std::size_t>(std::count(line.begin(), line.end(), '?'));
    ASSERT_LE(replies.size(), 100 * queries) << line;
    ASSERT_LE(std::count(replies.begin(), replies.end(), '\n'), 1) << line;
    ASSERT_TRUE(Device.Valid()) << line;
    ASSERT_LE(Core.Status().ErrorCount(), TStatusRegisters::QueueLength);
    ASSERT_TRUE(session.Idle()) << line;
  }
}

}  // namespace
}  // namespace remote::test
