#include "remote/RpcTcpServer.h"

#include <QElapsedTimer>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>

#include "remote/RpcMessage.h"
#include "remote/SocketSupport.h"

namespace remote {
namespace {

constexpr qint64 ReadChunk = 4096;
constexpr int RecordCheckMilliseconds = 250;

}  // namespace

struct TRpcTcpServer::TClient {
  TClient(TConnection id, QTcpSocket* socket) : Id(id), Socket(socket) {}

  TConnection Id;
  std::unique_ptr<QTcpSocket, TDeleteLater> Socket;
  TRecordReader Reader{rpc::MaxRecord};
  std::string Input;      // read from the socket, not yet fed
  QElapsedTimer Partial;  // since a record began
  QElapsedTimer Active;   // since its last complete record
  bool Closed = false;
};

TRpcTcpServer::TRpcTcpServer(QString name, QObject* parent)
    : QObject(parent), Doorman(std::move(name), MaxConnections) {
  Doorman.IdleTimes = [this] { return IdleTimes(); };
  Doorman.Admit = [this](QTcpSocket* socket) { Admit(socket); };
  Doorman.Evict = [this](std::size_t i) {
    TClient& client = *Clients[i];
    const QString peer = remote::PeerText(*client.Socket);
    CloseClient(client);
    return peer;
  };
  Resume.setSingleShot(true);
  connect(&Resume, &QTimer::timeout, this, [this] {
    Reap();
    PumpAll();
  });
  connect(&RecordClock, &QTimer::timeout, this, &TRpcTcpServer::CheckRecordTimes);
}

TRpcTcpServer::~TRpcTcpServer() = default;

bool TRpcTcpServer::Listen(const QHostAddress& host, std::uint16_t port) {
  auto listener = std::make_unique<QTcpServer>();
  // A server takes its connections directly, whatever proxy the system names.
  listener->setProxy(QNetworkProxy::NoProxy);
  if (!listener->listen(host, port)) {
    LastError = listener->errorString();
    LastErrorKind = listener->serverError();
    return false;
  }
  QTcpServer& raw = *listener;
  connect(&raw, &QTcpServer::newConnection, this, [this, &raw] { Accept(raw); });
  Listeners.push_back(std::move(listener));
  return true;
}

std::vector<std::uint16_t> TRpcTcpServer::Ports() const {
  std::vector<std::uint16_t> ports;
  for (const auto& listener : Listeners) ports.push_back(listener->serverPort());
  return ports;
}

int TRpcTcpServer::ConnectionCount() const {
  return static_cast<int>(
      std::count_if(Clients.begin(), Clients.end(), [](const auto& c) { return !c->Closed; }));
}

TRpcTcpServer::TClient* TRpcTcpServer::Find(TConnection connection) const {
  for (const auto& client : Clients)
    if (client->Id == connection && !client->Closed) return client.get();
  return nullptr;
}

QHostAddress TRpcTcpServer::LocalAddress(TConnection connection) const {
  const TClient* client = Find(connection);
  return client ? client->Socket->localAddress() : QHostAddress();
}

std::int64_t TRpcTcpServer::IdleFor(TConnection connection) const {
  const TClient* client = Find(connection);
  if (!client) return TAdmission::NoClient;
  return Working && Working(connection) ? 0 : client->Active.elapsed();
}

std::vector<std::int64_t> TRpcTcpServer::IdleTimes() const {
  std::vector<std::int64_t> idle;
  for (const auto& client : Clients)
    idle.push_back(client->Closed ? TAdmission::NoClient : IdleFor(client->Id));
  return idle;
}

QString TRpcTcpServer::PeerText(TConnection connection) const {
  const TClient* client = Find(connection);
  return client ? remote::PeerText(*client->Socket) : QString();
}

void TRpcTcpServer::Accept(QTcpServer& listener) {
  while (QTcpSocket* socket = listener.nextPendingConnection()) {
    // Qt stops reading from the system when this fills.
    PrepareClientSocket(*socket, ReadChunk);
    Doorman.Arrive(socket);
  }
}

void TRpcTcpServer::Admit(QTcpSocket* socket) {
  auto client = std::make_unique<TClient>(NextConnection++, socket);
  TClient* raw = client.get();
  raw->Active.start();
  connect(socket, &QTcpSocket::readyRead, this, [this, raw] { Pump(*raw); });
  connect(socket, &QTcpSocket::disconnected, this, [this, raw] { CloseClient(*raw); });
  Clients.push_back(std::move(client));
  if (!RecordClock.isActive()) RecordClock.start(RecordCheckMilliseconds);
  ResumeSoon();  // what it sent while it waited
}

void TRpcTcpServer::PumpAll() {
  // By index: a handler that processes events may accept clients meanwhile.
  for (std::size_t i = 0; i < Clients.size(); ++i) Pump(*Clients[i]);
}

void TRpcTcpServer::Pump(TClient& client) {
  ++Serving;
  while (!client.Closed && !(Busy && Busy(client.Id))) {
    if (client.Reader.HasRecord()) {
      const std::string record = client.Reader.TakeRecord();
      client.Active.restart();
      if (OnRecord) OnRecord(client.Id, record);
      continue;
    }
    if (!Feed(client)) break;
  }
  if (!client.Closed && client.Reader.Partial() && !client.Partial.isValid())
    client.Partial.start();
  if (!client.Reader.Partial()) client.Partial.invalidate();
  --Serving;
}

bool TRpcTcpServer::Feed(TClient& client) {
  if (client.Input.empty()) {
    // A socket that failed a write is closed already: nothing more to read.
    if (!client.Socket->isOpen()) return false;
    const QByteArray bytes = client.Socket->read(ReadChunk);
    if (bytes.isEmpty()) return false;
    client.Input.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  }
  client.Input.erase(0, client.Reader.Feed(client.Input));
  if (client.Reader.Broken()) CloseClient(client);
  return true;
}

void TRpcTcpServer::Send(TConnection connection, std::string_view message) {
  TClient* client = Find(connection);
  // Qt closes a socket whose write failed: nothing more goes to it.
  if (!client || !client->Socket->isOpen()) return;
  const std::string record = RecordMarked(message);
  if (PendingOutput(*client->Socket) + static_cast<qint64>(record.size()) > MaxPendingOutput) {
    CloseClient(*client);  // it does not read its replies
    return;
  }
  client->Socket->write(record.data(), static_cast<qint64>(record.size()));
  client->Socket->flush();
}

void TRpcTcpServer::Close(TConnection connection) {
  if (TClient* client = Find(connection)) CloseClient(*client);
}

void TRpcTcpServer::CloseClient(TClient& client) {
  if (client.Closed) return;
  client.Closed = true;
  client.Socket->abort();
  if (OnClosed) OnClosed(client.Id);
  ResumeSoon();
}

void TRpcTcpServer::ResumeSoon() {
  if (!Resume.isActive()) Resume.start(0);
}

void TRpcTcpServer::CheckRecordTimes() {
  for (std::size_t i = 0; i < Clients.size(); ++i) {
    TClient& client = *Clients[i];
    if (!client.Closed && client.Partial.isValid() && client.Partial.elapsed() > RecordTimeout)
      CloseClient(client);
  }
  if (Clients.empty()) RecordClock.stop();
}

void TRpcTcpServer::Reap() {
  if (Serving > 0) return ResumeSoon();
  std::erase_if(Clients, [](const auto& c) { return c->Closed; });
  // A place may have come free for a newcomer.
  Doorman.Review();
}

}  // namespace remote
