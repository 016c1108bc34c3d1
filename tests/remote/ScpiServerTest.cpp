// The raw SCPI socket over real loopback connections: replies in one
// write, the client limit, an overlong line, a client that never reads,
// clients that vanish, and input held while a connect processes events.

#include <gtest/gtest.h>

#include <QTimer>
#include <memory>
#include <vector>

#include "remote/ScpiCore.h"
#include "remote/ScpiFormat.h"
#include "remote/ScpiServer.h"
#include "tests/remote/FakeInstrument.h"
#include "tests/remote/RawClient.h"

namespace remote::test {
namespace {

class ScpiServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Server.Listen({"127.0.0.1", 0})) << Server.ErrorString().toStdString();
    QObject::connect(&Ticker, &QTimer::timeout, [this] { Device.Tick(); });
    Ticker.start(10);
  }

  // A connected client, once the server has taken it (if it has room).
  std::unique_ptr<TRawClient> Client(int receiveBuffer = 0) {
    const int before = Server.ClientCount();
    auto client = std::make_unique<TRawClient>(Server.Port(), receiveBuffer);
    EXPECT_TRUE(client->Connected);
    EXPECT_TRUE(PumpUntil(
        [&] { return before >= TScpiServer::MaxClients || Server.ClientCount() > before; }));
    return client;
  }

  std::string Identity() const { return Core.Identity() + "\n"; }

  TFakeInstrument Device;
  TScpiCore Core{Device};
  TScpiServer Server{Core};
  QTimer Ticker;
};

TEST_F(ScpiServerTest, ListenRefusesWhatIsNoAddressOrIsTaken) {
  TScpiServer other(Core);
  EXPECT_FALSE(other.Listen({"sim0", 5025}));
  EXPECT_FALSE(other.ErrorString().isEmpty());
  EXPECT_FALSE(other.Listen({"127.0.0.1", Server.Port()}));
  EXPECT_TRUE(other.Listen({"::1", 0}) || other.Listen({"127.0.0.2", 0}));
}

TEST_F(ScpiServerTest, EachReplyMessageArrivesWhole) {
  auto client = Client();
  std::string queries = "*IDN?";
  for (int i = 0; i < 99; ++i) queries += ";*IDN?";
  ASSERT_TRUE(client->Send(queries + "\r\n"));
  const std::string reply = client->ReadWhatIsThere();
  EXPECT_EQ(reply.size(), 100 * Identity().size());
  EXPECT_EQ(reply.back(), '\n');
  ASSERT_TRUE(client->Send("FREQ 2000;*OPC?;FREQ?\n"));
  EXPECT_EQ(client->ReadLine(), "1;" + FormatReal(FakeSnap(2000)) + "\n");
}

TEST_F(ScpiServerTest, NinthClientTakesThePlaceOfTheClientIdleLongestOnceItPassedTheGrace) {
  Server.Admission().Rules.Grace = 300;
  std::vector<std::unique_ptr<TRawClient>> clients;
  for (int i = 0; i < TScpiServer::MaxClients; ++i) {
    clients.push_back(Client());
    ASSERT_TRUE(clients.back()->Send("*IDN?\n"));
    ASSERT_EQ(clients.back()->ReadLine(), Identity()) << i;
  }
  auto ninth = Client();
  ASSERT_TRUE(ninth->Send("*IDN?\n"));
  EXPECT_EQ(ninth->ReadLine(), Identity());
  EXPECT_TRUE(clients.front()->ClosedByServer());
  EXPECT_FALSE(clients.back()->ClosedByServer(50));
}

TEST_F(ScpiServerTest, NinthClientIsClosedAfterTheGraceWhileEveryClientWaits) {
  Server.Admission().Rules.Grace = 300;
  Ticker.stop();  // every *OPC? waits
  std::vector<std::unique_ptr<TRawClient>> clients;
  for (int i = 0; i < TScpiServer::MaxClients; ++i)
    ASSERT_TRUE((clients.emplace_back(Client()))->Send("*OPC?\n"));
  EXPECT_TRUE(Client()->ClosedByServer());
}

TEST_F(ScpiServerTest, OverlongLineIsAnErrorAndTheConnectionGoesOn) {
  auto client = Client();
  ASSERT_TRUE(client->Send("FREQ 2000;" + std::string(4990, ' ') + "\nSYST:ERR?;:FREQ?\n"));
  EXPECT_EQ(client->ReadLine(), "-363,\"Input buffer overrun;line longer than 4096 bytes\";" +
                                    FormatReal(FakeSnap(1000)) + "\n");
}

TEST_F(ScpiServerTest, ClientThatDoesNotReadIsDisconnected) {
  auto deaf = Client(4096);
  auto other = Client();
  std::string line = "*IDN?";
  while (line.size() < 4000) line += ";*IDN?";
  line += "\n";
  bool sending = true;
  for (int i = 0; i < 20000 && sending && Server.ClientCount() == 2; ++i)
    sending = deaf->Send(line);
  ASSERT_TRUE(PumpUntil([&] { return Server.ClientCount() == 1; }));
  ASSERT_TRUE(other->Send("*IDN?\n"));
  EXPECT_EQ(other->ReadLine(), Identity());
}

TEST_F(ScpiServerTest, ClientThatHangsUpHasItsWholeLinesCarriedOutUnanswered) {
  auto gone = Client();
  auto other = Client();
  ASSERT_TRUE(gone->Send("*OPC?;FREQ 3000;FREQ?\nFREQ 4000\nFREQ 5000"));
  ASSERT_TRUE(PumpUntil([&] { return !Device.Pending.empty(); }));
  Ticker.stop();
  gone->Close();
  PumpUntil([] { return false; }, 100);  // the hang-up arrives before the tick
  EXPECT_EQ(Device.S.Frequency, FakeSnap(1000));
  Ticker.start(10);
  ASSERT_TRUE(PumpUntil([&] { return Server.ClientCount() == 1; }));
  ASSERT_TRUE(other->Send("FREQ?\n"));
  EXPECT_EQ(other->ReadLine(), FormatReal(FakeSnap(4000)) + "\n")
      << "the unfinished line is dropped";
  EXPECT_EQ(other->ReadLine(200), "") << "nothing of the other client's replies arrives here";
}

TEST_F(ScpiServerTest, InputWaitsForAConnectThatProcessesEvents) {
  auto connecting = Client();
  auto other = Client();
  auto vanishing = Client();
  auto silent = Client();
  TFakeSettings duringConnect;
  Device.DuringConnect = [&] {
    EXPECT_TRUE(other->Send("FREQ 2000;FREQ?\n"));
    EXPECT_TRUE(vanishing->Send("FREQ:STEP 5\n"));
    vanishing->Close();
    silent->Close();
    PumpUntil([] { return false; }, 300);  // the handshake's waits process events
    duringConnect = Device.S;
  };
  ASSERT_TRUE(connecting->Send("SYST:CONN \"sim0\";CONN?\n"));
  EXPECT_EQ(connecting->ReadLine(), "\"sim0\",1\n");
  EXPECT_TRUE(duringConnect == TFakeSettings{}) << "nothing ran inside the connect";
  EXPECT_EQ(other->ReadLine(), FormatReal(FakeSnap(2000)) + "\n");
  ASSERT_TRUE(PumpUntil([&] { return Server.ClientCount() == 2; }));
  EXPECT_EQ(Device.S.Step, FakeSnap(5));
}

TEST_F(ScpiServerTest, ClientHangingUpInsideItsOwnConnect) {
  auto connecting = Client();
  Device.DuringConnect = [&] {
    connecting->Close();
    PumpUntil([] { return false; }, 200);
  };
  ASSERT_TRUE(connecting->Send("SYST:CONN \"sim0\";:FREQ 2000;FREQ?\n"));
  ASSERT_TRUE(PumpUntil([&] { return Device.IsOnline && Server.ClientCount() == 0; }));
  EXPECT_EQ(Device.S.Frequency, FakeSnap(2000));
}

TEST_F(ScpiServerTest, InputWaitsWhileTheWindowConnects) {
  auto client = Client();
  Device.BusyNow = true;
  ASSERT_TRUE(client->Send("FREQ 2000;FREQ?\n"));
  EXPECT_EQ(client->ReadLine(200), "");
  Device.BusyNow = false;
  EXPECT_EQ(client->ReadLine(), FormatReal(FakeSnap(2000)) + "\n");
}

}  // namespace
}  // namespace remote::test
