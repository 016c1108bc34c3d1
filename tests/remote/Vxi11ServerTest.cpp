// The VXI-11 server over real loopback sockets: the portmapper's answers
// over UDP and TCP and the rotating core port, the record limits and
// time-out, floods, a client that vanishes, and the note when no
// portmapper can serve.

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTimer>
#include <memory>
#include <vector>

#include "remote/Portmapper.h"
#include "remote/ScpiCore.h"
#include "remote/ScpiFormat.h"
#include "remote/Vxi11Server.h"
#include "tests/remote/FakeInstrument.h"
#include "tests/remote/RawClient.h"
#include "tests/remote/Vxi11Calls.h"

namespace remote::test {
namespace {

namespace proc = vxi11::proc;

// The lxi discovery packet: GETPORT of the core program over UDP, xid 0x3e8.
const std::string LxiGetPort = Words({0x3e8, 0, 2, 100000, 2, 3, 0, 0, 0, 0, 0x0607af, 1, 6, 0});

// A loopback port free for TCP and UDP right now.
std::uint16_t FreePort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

// One UDP exchange, waiting with the event loop running.
std::string Datagram(std::uint16_t port, const std::string& message) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  ::fcntl(fd, F_SETFL, O_NONBLOCK);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::sendto(fd, message.data(), message.size(), 0, reinterpret_cast<sockaddr*>(&address),
           sizeof address);
  std::string reply;
  PumpUntil([&] {
    char buffer[1024];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n > 0) reply.assign(buffer, static_cast<std::size_t>(n));
    return n > 0;
  });
  ::close(fd);
  return reply;
}

// The next record from the client's connection, its marker included.
std::string ReadRecord(TRawClient& client) {
  PumpUntil([&] {
    client.Buffer += client.ReadWhatIsThere(1);
    if (client.Buffer.size() < 4) return client.Ended;
    TXdrReader marker(client.Buffer);
    std::uint32_t word = 0;
    marker.Word(word);
    return client.Buffer.size() >= 4 + (word & 0x7FFFFFFF) || client.Ended;
  });
  std::string record = std::move(client.Buffer);
  client.Buffer.clear();
  return record;
}

std::string Message(const std::string& record) {
  return record.size() >= 4 ? record.substr(4) : std::string();
}

class Vxi11ServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QObject::connect(&Ticker, &QTimer::timeout, [this] { Device.Tick(); });
    Ticker.start(10);
  }

  // The core ports chosen by the system, the portmapper on a free port.
  void Start(std::uint16_t portmapperPort) {
    PortmapperPort = portmapperPort;
    TVxi11Options options{"127.0.0.1", 0, 10, portmapperPort, false, {}};
    options.Admission.Grace = 300;
    ASSERT_TRUE(Server.Listen(options)) << Server.ErrorString().toStdString();
    Server.CoreChannel().RecordTimeout = 300;
  }

  std::unique_ptr<TRawClient> Connect(std::uint16_t port) {
    auto client = std::make_unique<TRawClient>(port);
    EXPECT_TRUE(client->Connected);
    return client;
  }

  TReply Call(TRawClient& client, const std::string& message, int words = 0,
              bool withData = false) {
    EXPECT_TRUE(client.Send(RecordMarked(message)));
    return ParseReply(Message(ReadRecord(client)), words, withData);
  }

  std::int32_t Link(TRawClient& client) {
    const TReply reply = Call(client, CoreCall(proc::CreateLink, CreateLinkArgs()), 2);
    EXPECT_EQ(reply.Word.at(0), 0);
    return reply.Word.at(1);
  }

  std::uint32_t GetPortOverTcp() {
    auto client = Connect(PortmapperPort);
    const std::string record = (client->Send(RecordMarked(LxiGetPort)), ReadRecord(*client));
    return ParseReply(Message(record), 1).Word.at(0);
  }

  TFakeInstrument Device;
  TScpiCore Core{Device};
  TVxi11Server Server{Core};
  QTimer Ticker;
  std::uint16_t PortmapperPort = 0;
};

TEST_F(Vxi11ServerTest, GetPortOverUdpAndTcpAnswersTheCorePort) {
  Start(FreePort());
  ASSERT_EQ(Server.Finding(), TVxi11Server::TFinding::OwnPortmapper);
  const std::string udp = Datagram(PortmapperPort, LxiGetPort);
  ASSERT_EQ(udp.size(), 28u);
  EXPECT_EQ(udp.substr(0, 24), Words({0x3e8, 1, 0, 0, 0, 0}));
  EXPECT_EQ(udp.substr(24), Words({Server.CorePort()}));
  auto client = Connect(PortmapperPort);
  ASSERT_TRUE(client->Send(RecordMarked(LxiGetPort)));
  EXPECT_EQ(ReadRecord(*client), Words({0x8000001c}) + udp);
}

TEST_F(Vxi11ServerTest, GetAddrAnswersAUniversalAddressAndOtherVersionsAMismatch) {
  Start(FreePort());
  auto client = Connect(PortmapperPort);
  TXdrWriter args;
  args.Word(vxi11::CoreProgram);
  args.Word(1);
  for (const char* text : {"tcp", "", "libtirpc"}) args.Opaque(text);
  const TReply address =
      Call(*client, CallMessage(9, portmap::Program, 4, 3, args.Data()), 0, true);
  EXPECT_EQ(address.Data, portmap::UniversalAddress("127.0.0.1", Server.CorePort()));
  const TReply mismatch = Call(*client, CallMessage(9, portmap::Program, 5, 3, args.Data()), 2);
  EXPECT_EQ(mismatch.Stat, static_cast<std::uint32_t>(TAcceptStat::ProgramMismatch));
  EXPECT_EQ(mismatch.Word, (std::vector<std::int32_t>{2, 4}));
}

TEST_F(Vxi11ServerTest, TheCorePortMovesOnAfterEachDestroyLinkAndWraps) {
  Start(FreePort());
  const std::vector<std::uint16_t> ports = Server.CorePorts();
  ASSERT_EQ(ports.size(), 10u);
  for (std::size_t i = 0; i <= ports.size(); ++i) {
    const std::uint32_t port = GetPortOverTcp();
    ASSERT_EQ(port, ports[i % ports.size()]) << i;
    auto client = Connect(static_cast<std::uint16_t>(port));
    const std::int32_t link = Link(*client);
    EXPECT_EQ(Call(*client, CoreCall(proc::DestroyLink, LinkArgs(link)), 1).Word.at(0), 0);
  }
}

TEST_F(Vxi11ServerTest, ARecordInFragmentsIsOneCall) {
  Start(FreePort());
  auto client = Connect(Server.CorePort());
  const std::string call = CoreCall(proc::CreateLink, CreateLinkArgs());
  ASSERT_TRUE(client->Send(Words({20}) + call.substr(0, 20) + Words({0}) +
                           Words({0x80000000u | static_cast<std::uint32_t>(call.size() - 20)}) +
                           call.substr(20)));
  EXPECT_EQ(ParseReply(Message(ReadRecord(*client)), 1).Word.at(0), 0);
}

struct TBadStreamCase {
  const char* Name;
  std::string Bytes;
};

class Vxi11BadStreamTest : public Vxi11ServerTest,
                           public ::testing::WithParamInterface<TBadStreamCase> {};

TEST_P(Vxi11BadStreamTest, TheConnectionIsClosedAndOthersGoOn) {
  Start(FreePort());
  auto bad = Connect(Server.CorePort());
  auto good = Connect(Server.CorePort());
  ASSERT_TRUE(bad->Send(GetParam().Bytes));
  EXPECT_TRUE(bad->ClosedByServer(2000));
  Link(*good);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, Vxi11BadStreamTest,
    ::testing::Values(
        TBadStreamCase{"RecordPastTheLimit", Words({0x80000000u | (rpc::MaxRecord + 1)}) + "abc"},
        TBadStreamCase{"FragmentsPastTheLimit", Words({rpc::MaxRecord}) +
                                                    std::string(rpc::MaxRecord, 'x') +
                                                    Words({0x80000001u}) + "x"},
        TBadStreamCase{"RecordNeverCompleted", Words({0x80000040u}) + "only a part"},
        TBadStreamCase{"MarkerNeverCompleted", "\x80\x00"},
        TBadStreamCase{"EmptyFragmentsOnly", Words({0, 0, 0})},
        TBadStreamCase{"ReplyInsteadOfCall", RecordMarked(Words({1, 1, 0, 0, 0, 0}))}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(Vxi11ServerTest, AnIdleConnectionStaysAndAnotherRpcVersionIsDenied) {
  Start(FreePort());
  auto client = Connect(Server.CorePort());
  PumpUntil([] { return false; }, 600);  // twice the record time-out
  ASSERT_TRUE(client->Send(RecordMarked(Words({5, 0, 3, vxi11::CoreProgram, 1, 10}))));
  EXPECT_EQ(Message(ReadRecord(*client)), Words({5, 1, 1, 0, 2, 2}));
  Link(*client);
}

TEST_F(Vxi11ServerTest, AConnectionBeyondTheLimitTakesThePlaceOfTheOneIdleLongestAndItsLock) {
  Start(FreePort());
  std::vector<std::unique_ptr<TRawClient>> clients;
  clients.push_back(Connect(Server.CorePort()));
  ASSERT_EQ(Call(*clients.front(), CoreCall(proc::CreateLink, CreateLinkArgs("inst0", true)), 1)
                .Word.at(0),
            0);
  while (clients.size() < TRpcTcpServer::MaxConnections)
    clients.push_back(Connect(Server.CorePort()));
  auto newcomer = Connect(Server.CorePort());
  const std::int32_t link = Link(*newcomer);
  EXPECT_TRUE(clients.front()->ClosedByServer());
  EXPECT_EQ(Call(*newcomer, CoreCall(proc::DeviceWrite, WriteArgs(link, "*CLS")), 1).Word.at(0), 0)
      << "not locked";
}

TEST_F(Vxi11ServerTest, AClientGoneBetweenWriteAndReadLeavesTheOthersServed) {
  Start(FreePort());
  auto gone = Connect(Server.CorePort());
  auto waiting = Connect(Server.CorePort());
  auto other = Connect(Server.CorePort());
  const std::int32_t goneLink = Link(*gone), waitingLink = Link(*waiting), otherLink = Link(*other);
  EXPECT_EQ(Call(*gone, CoreCall(proc::DeviceWrite, WriteArgs(goneLink, "FREQ 2000;*IDN?")), 2)
                .Word.at(0),
            0);
  gone->Close();
  // A read that waits for nothing holds neither the event loop nor the others.
  ASSERT_TRUE(
      waiting->Send(RecordMarked(CoreCall(proc::DeviceRead, ReadArgs(waitingLink, 4096, 1500)))));
  EXPECT_EQ(Call(*other, CoreCall(proc::DeviceWrite, WriteArgs(otherLink, "FREQ?")), 2).Word.at(0),
            0);
  const TReply read = Call(*other, CoreCall(proc::DeviceRead, ReadArgs(otherLink)), 2, true);
  EXPECT_EQ(read.Data, FormatReal(FakeSnap(2000)) + "\n");
  EXPECT_EQ(ParseReply(Message(ReadRecord(*waiting)), 2).Word,
            (std::vector<std::int32_t>{vxi11::error::IoTimeout, 0}));
  ASSERT_TRUE(PumpUntil([&] { return Server.LinkCount() == 2; }));
}

TEST_F(Vxi11ServerTest, WithoutAPortmapperTheNoteSaysWhatToDo) {
  QTcpServer holder;
  ASSERT_TRUE(holder.listen(QHostAddress::LocalHost, 0));
  Start(holder.serverPort());
  EXPECT_EQ(Server.Finding(), TVxi11Server::TFinding::None);
  const std::string note = Server.PortmapperNote().toStdString();
  for (const std::string& advice :
       {std::string("rpcbind"), std::string("setcap cap_net_bind_service=+ep"),
        "TCPIP::127.0.0.1," + std::to_string(Server.CorePort()) + "::INSTR"})
    EXPECT_NE(note.find(advice), std::string::npos) << advice << " in " << note;
  auto client = Connect(Server.CorePort());
  Link(*client);
}

TEST_F(Vxi11ServerTest, ListenRefusesWhatIsNoAddressOrHasNoFreeCorePort) {
  EXPECT_FALSE(Server.Listen("sim0"));
  EXPECT_FALSE(Server.ErrorString().isEmpty());
  QTcpServer holder;
  ASSERT_TRUE(holder.listen(QHostAddress::LocalHost, 0));
  TVxi11Server other(Core);
  EXPECT_FALSE(
      other.Listen(TVxi11Options{"127.0.0.1", holder.serverPort(), 1, FreePort(), false, {}}));
  EXPECT_NE(other.ErrorString().toStdString().find(std::to_string(holder.serverPort())),
            std::string::npos);
}

}  // namespace
}  // namespace remote::test
