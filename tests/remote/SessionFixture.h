#pragma once
// A session over a core over the fake generator, and helpers that send
// lines the way a client does.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "remote/ScpiCore.h"
#include "remote/ScpiFormat.h"
#include "remote/ScpiSession.h"
#include "tests/remote/FakeInstrument.h"

namespace remote::test {

class TSessionFixture : public ::testing::Test {
 protected:
  TFakeInstrument Device;
  TScpiCore Core{Device};
  TScpiSession Session{Core};

  // Sends the line with its LF, ticks until the session is idle (at most
  // a hundred ticks) and answers every reply message that came back.
  std::string Send(std::string_view line) { return SendTo(Session, line); }

  std::string SendTo(TScpiSession& session, std::string_view line) {
    session.Receive(std::string(line) + "\n");
    session.Process();
    for (int tick = 0; tick < 100 && !session.Idle(); ++tick) {
      Device.Tick();
      session.Process();
    }
    return Replies(session);
  }

  static std::string Replies(TScpiSession& session) {
    std::string all;
    while (session.HasReply()) all += session.TakeReply();
    return all;
  }

  // Empties the error queue and answers its codes, oldest first.
  std::vector<int> Errors() {
    std::vector<int> codes;
    while (Core.Status().ErrorCount() > 0) codes.push_back(Core.Status().PopError().Code);
    return codes;
  }
};

// One line after some set-up lines: its replies and the errors it queues.
struct TLineCase {
  const char* Name;
  std::vector<std::string> Before;  // sent first, without errors
  std::string Line;
  std::string Reply;
  std::vector<int> Errors;
};

class ScpiLineTest : public TSessionFixture, public ::testing::WithParamInterface<TLineCase> {};

inline std::string LineCaseName(const ::testing::TestParamInfo<TLineCase>& info) {
  return info.param.Name;
}

// The reply to a frequency query: the grid frequency in full precision.
inline std::string Grid(double hertz) { return FormatReal(FakeSnap(hertz)); }
inline std::string Real(double value) { return FormatReal(value); }

}  // namespace remote::test
