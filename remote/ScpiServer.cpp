#include "remote/ScpiServer.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <algorithm>

#include "remote/ScpiCore.h"
#include "remote/ScpiSession.h"
#include "remote/SocketSupport.h"

namespace remote {

struct TScpiServer::TClient {
  TClient(TScpiCore& core, QTcpSocket* socket) : Socket(socket), Session(core) { Active.start(); }

  std::unique_ptr<QTcpSocket, TDeleteLater> Socket;
  TScpiSession Session;
  QElapsedTimer Active;  // since its last complete line or work
  bool HungUp = false;   // the client closed: its complete lines still run, unanswered
  bool Closed = false;   // done with; destroyed by Reap
};

TScpiServer::TScpiServer(TScpiCore& core, QObject* parent)
    : QObject(parent), Core(core), Doorman("remote control", MaxClients) {
  Resume.setSingleShot(true);
  connect(&Resume, &QTimer::timeout, this, [this] {
    Reap();
    PumpAll();
  });
  connect(&Listener, &QTcpServer::newConnection, this, &TScpiServer::Accept);
  Doorman.IdleTimes = [this] { return IdleTimes(); };
  Doorman.Admit = [this](QTcpSocket* socket) { Admit(socket); };
  Doorman.Evict = [this](std::size_t i) {
    TClient& client = *Clients[i];
    const QString peer = PeerText(*client.Socket);
    Close(client);
    return peer;
  };
}

TScpiServer::~TScpiServer() = default;

bool TScpiServer::Listen(const TListenAddress& address) {
  QHostAddress host;
  if (!ListenHost(address.Host, host, Error)) return false;
  if (!Listener.listen(host, address.Port)) {
    Error = Listener.errorString();
    return false;
  }
  return true;
}

std::uint16_t TScpiServer::Port() const { return Listener.serverPort(); }

int TScpiServer::ClientCount() const {
  return static_cast<int>(
      std::count_if(Clients.begin(), Clients.end(), [](const auto& c) { return !c->Closed; }));
}

void TScpiServer::Accept() {
  while (QTcpSocket* socket = Listener.nextPendingConnection()) {
    // Qt stops reading from the system when this fills: the client's own
    // connection then holds what the session has no room for.
    PrepareClientSocket(*socket, TScpiSession::MaxLine);
    Doorman.Arrive(socket);
  }
}

void TScpiServer::Admit(QTcpSocket* socket) {
  auto client = std::make_unique<TClient>(Core, socket);
  TClient* raw = client.get();
  raw->Session.OnWake = [this] { ResumeSoon(0); };
  connect(socket, &QTcpSocket::readyRead, this, [this, raw] { Pump(*raw); });
  connect(socket, &QTcpSocket::disconnected, this, [this, raw] { HangUp(*raw); });
  Clients.push_back(std::move(client));
  ResumeSoon(0);  // what it sent while it waited
}

std::vector<std::int64_t> TScpiServer::IdleTimes() const {
  std::vector<std::int64_t> idle;
  for (const auto& client : Clients) {
    if (client->Closed)
      idle.push_back(TAdmission::NoClient);
    else if (client->HungUp || !client->Session.Idle())
      idle.push_back(0);
    else
      idle.push_back(client->Active.elapsed());
  }
  return idle;
}

void TScpiServer::PumpAll() {
  // By index: a connect inside a command may accept new clients meanwhile.
  for (std::size_t i = 0; i < Clients.size(); ++i) Pump(*Clients[i]);
}

void TScpiServer::Pump(TClient& client) {
  if (client.Closed) return;
  if (Serving) return ResumeSoon(PollMilliseconds);
  Serving = &client;
  if (!Core.CanDispatch()) {
    ResumeSoon(PollMilliseconds);
  } else {
    const bool fed = Feed(client);
    client.Session.Process();
    Send(client);
    // More input, or lines left without a wait (a turn or the output limit
    // ended them): the other clients and the tick's answers go first.
    if (!client.Closed && (fed || (!client.Session.Waiting() && !client.Session.Idle())))
      ResumeSoon(0);
  }
  if (!client.Session.Idle()) client.Active.restart();
  Serving = nullptr;
  if (client.HungUp && client.Session.Idle() && client.Socket->bytesAvailable() == 0) {
    client.Closed = true;  // a line it did not finish is dropped
    ResumeSoon(0);
  }
}

bool TScpiServer::Feed(TClient& client) {
  // A socket that failed a write is closed already: nothing more to read.
  if (!client.Socket->isOpen()) return false;
  const qint64 room = static_cast<qint64>(client.Session.Room());
  const QByteArray bytes = client.Socket->read(std::min(room, client.Socket->bytesAvailable()));
  client.Session.Receive(
      std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  // Only complete lines count as activity: a trickle of bytes does not.
  if (bytes.contains('\n')) client.Active.restart();
  return !bytes.isEmpty();
}

void TScpiServer::Send(TClient& client) {
  // The replies of a turn leave together, each whole; the system is asked
  // once a turn what waits in the socket.
  qint64 pending = -1;
  while (!client.Closed && client.Session.HasReply()) {
    const std::string reply = client.Session.TakeReply();
    if (client.HungUp || !client.Socket->isOpen()) continue;
    pending =
        (pending < 0 ? PendingOutput(*client.Socket) : pending) + static_cast<qint64>(reply.size());
    if (pending > MaxPendingOutput) {
      Close(client);  // it does not read its replies
      return;
    }
    client.Socket->write(reply.data(), static_cast<qint64>(reply.size()));
  }
  if (pending >= 0 && client.Socket->isOpen()) client.Socket->flush();
}

void TScpiServer::HangUp(TClient& client) {
  client.HungUp = true;
  ResumeSoon(0);
}

void TScpiServer::Close(TClient& client) {
  if (client.Closed) return;
  client.Closed = true;
  client.Session.Abandon();
  client.Socket->abort();
  ResumeSoon(0);
}

void TScpiServer::Reap() {
  if (Serving) return;
  std::erase_if(Clients, [](const auto& c) { return c->Closed; });
  // A place may have come free for a newcomer.
  Doorman.Review();
}

void TScpiServer::ResumeSoon(int milliseconds) {
  if (!Resume.isActive() || Resume.remainingTime() > milliseconds) Resume.start(milliseconds);
}

}  // namespace remote
