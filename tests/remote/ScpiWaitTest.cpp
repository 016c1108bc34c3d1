// Waiting and holding: *OPC?, *WAI and *OPC against the tick, the wait
// after settings, sessions that go on meanwhile, a busy instrument, a
// command inside a connect, and the input and output limits of a session.

#include <memory>

#include "remote/ScpiErrors.h"
#include "tests/remote/SessionFixture.h"

namespace remote::test {
namespace {

using ScpiWaitTest = TSessionFixture;

TEST_F(ScpiWaitTest, OperationCompleteQueryAnswersOnlyAfterTheTick) {
  int wakes = 0;
  Session.OnWake = [&] { ++wakes; };
  Session.Receive("FREQ 2000;*OPC?;FREQ?\n");
  Session.Process();
  EXPECT_TRUE(Session.Waiting());
  EXPECT_FALSE(Session.HasReply());
  Device.Tick();
  EXPECT_EQ(wakes, 1);
  EXPECT_FALSE(Session.HasReply()) << "the rest of the line runs in Process, not in the callback";
  Session.Process();
  EXPECT_EQ(Replies(Session), "1;" + Grid(2000) + "\n");
}

TEST_F(ScpiWaitTest, WaitHoldsTheRestOfTheLineAndTheLinesAfterIt) {
  Session.Receive("*WAI;FREQ 3000\nFREQ 4000;FREQ?\n");
  Session.Process();
  EXPECT_EQ(Device.S.Frequency, FakeSnap(1000));
  Device.Tick();
  Session.Process();
  EXPECT_EQ(Replies(Session), Grid(4000) + "\n");
  EXPECT_TRUE(Session.Idle());
}

TEST_F(ScpiWaitTest, OtherSessionsRunWhileOneWaits) {
  TScpiSession other(Core);
  Session.Receive("*OPC?\n");
  Session.Process();
  ASSERT_TRUE(Session.Waiting());
  other.Receive("FREQ 2000;FREQ?\n");
  other.Process();
  EXPECT_EQ(Replies(other), Grid(2000) + "\n");
  EXPECT_TRUE(Session.Waiting());
}

TEST_F(ScpiWaitTest, OperationCompleteEventAfterTheTickUnlessCleared) {
  EXPECT_EQ(Send("*OPC;*ESR?"), "0\n");
  Device.Tick();
  EXPECT_EQ(Send("*ESR?"), "1\n");
  Send("*OPC;*CLS");
  Device.Tick();
  EXPECT_EQ(Send("*ESR?"), "0\n");
}

TEST_F(ScpiWaitTest, WaitAfterSettingsHoldsTheRepliesOfALineThatChangedSomething) {
  Session.WaitAfterSettings = true;
  int idles = 0;
  Session.OnIdle = [&] { ++idles; };
  Session.Receive("FREQ? MAX\n");
  Session.Process();
  EXPECT_EQ(Replies(Session), "1.25E+07\n") << "a line that changed nothing does not wait";
  Session.Receive("FREQ 2000;FREQ?\n");
  Session.Process();
  EXPECT_FALSE(Session.Idle());
  EXPECT_FALSE(Session.HasReply());
  Device.Tick();
  Session.Process();
  EXPECT_EQ(Replies(Session), Grid(2000) + "\n");
  EXPECT_EQ(idles, 2);
  Session.Receive("FREQ 1E9\n");  // refused: nothing to wait for
  Session.Process();
  EXPECT_TRUE(Session.Idle());
  EXPECT_EQ(idles, 3);
}

TEST_F(ScpiWaitTest, MessageWithoutLineFeedEndsAtItsEnd) {
  Session.ReceiveMessage("*IDN?");
  Session.ReceiveMessage("FREQ?\n");
  Session.Process();
  EXPECT_EQ(Replies(Session), Core.Identity() + "\n" + Grid(1000) + "\n");
}

TEST_F(ScpiWaitTest, NothingRunsWhileTheInstrumentIsBusy) {
  Device.BusyNow = true;
  Session.Receive("FREQ 2000\n");
  Session.Process();
  EXPECT_EQ(Device.S.Frequency, FakeSnap(1000));
  Device.BusyNow = false;
  Session.Process();
  EXPECT_EQ(Device.S.Frequency, FakeSnap(2000));
}

TEST_F(ScpiWaitTest, NoSessionRunsInsideAnotherOnesConnect) {
  TScpiSession other(Core);
  other.Receive("FREQ 2000\n");
  Device.DuringConnect = [&] {  // the handshake processes events
    other.Process();
    Device.BusyNow = false;  // even an instrument that does not tell
    other.Process();
  };
  EXPECT_EQ(Send("SYST:CONN \"sim0\";CONN?"), "\"sim0\",1\n");
  EXPECT_EQ(Device.S.Frequency, FakeSnap(1000));
  Device.DuringConnect = nullptr;
  other.Process();
  EXPECT_EQ(Device.S.Frequency, FakeSnap(2000));
}

TEST_F(ScpiWaitTest, WaitOfADestroyedSessionEndsInNothing) {
  auto gone = std::make_unique<TScpiSession>(Core);
  gone->Receive("*OPC?;FREQ 2000\n");
  gone->Process();
  gone.reset();
  Device.Tick();
  EXPECT_EQ(Device.S.Frequency, FakeSnap(1000));
  EXPECT_EQ(Send("*OPC?"), "1\n");
}

TEST_F(ScpiWaitTest, OverlongLineIsDiscardedUpToItsLineFeed) {
  const std::string overlong = "FREQ 2000;" + std::string(TScpiSession::MaxLine, ' ');
  Session.Receive(overlong.substr(0, 3000));
  Session.Receive(overlong.substr(3000) + ";FREQ?\nFREQ 3000;FREQ?\n");
  Session.Process();
  EXPECT_EQ(Replies(Session), Grid(3000) + "\n");
  const TError overrun = Core.Status().PopError();
  EXPECT_EQ(overrun.Code, error::InputBufferOverrun);
  EXPECT_EQ(FormatError(overrun), "-363,\"Input buffer overrun;line longer than 4096 bytes\"");
  EXPECT_EQ(Core.Status().ErrorCount(), 0u);
  const std::string longest =
      "FREQ 2000;" + std::string(TScpiSession::MaxLine - 16, ' ') + ";FREQ?";
  EXPECT_EQ(Send(longest), Grid(2000) + "\n") << "a line of MaxLine bytes is kept";
  EXPECT_EQ(Send(longest + "\r"), Grid(2000) + "\n") << "and with CR LF";
}

TEST_F(ScpiWaitTest, LongInputRunsInTurnsOfWholeLines) {
  std::string line = "*IDN?";
  while (line.size() < 4000) line += ";*IDN?";
  Session.Receive(line + "\n" + line + "\n");
  Session.Process();
  EXPECT_TRUE(Session.TurnEnded());
  EXPECT_EQ(Replies(Session).size(), (Core.Identity().size() + 1) * (line.size() + 1) / 6)
      << "one whole line";
  Session.Process();
  EXPECT_TRUE(Session.Idle());
}

TEST_F(ScpiWaitTest, WaitingSessionTakesInputOnlyUpToItsRoom) {
  Session.Receive("*WAI\n");
  Session.Process();
  const std::string empties(2 * TScpiSession::MaxInput, '\n');
  EXPECT_EQ(Session.Receive(empties), TScpiSession::MaxInput);
  EXPECT_EQ(Session.Room(), 0u);
  Device.Tick();
  Session.Process();
  EXPECT_EQ(Session.Room(), TScpiSession::MaxInput);
}

TEST_F(ScpiWaitTest, UncollectedRepliesStopProcessingUntilCollected) {
  std::string lines;
  for (int i = 0; i < 4000; ++i) lines += "*IDN?\n";
  std::size_t fed = 0;
  std::string replies;
  while (fed < lines.size() || !Session.Idle()) {
    fed += Session.Receive(std::string_view(lines).substr(fed));
    Session.Process();
    std::size_t held = 0;
    for (std::string reply; Session.HasReply(); held += reply.size()) {
      reply = Session.TakeReply();
      replies += reply;
    }
    ASSERT_LT(held, TScpiSession::MaxOutput + 64);
  }
  EXPECT_EQ(replies.size(), 4000 * (Core.Identity().size() + 1));
}

}  // namespace
}  // namespace remote::test
