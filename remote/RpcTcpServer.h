#pragma once
// ONC RPC over TCP: listening ports whose connections deliver whole
// records, one at a time. A connection's next record waits until the
// handler has answered the one before (Busy), and its bytes stay in the
// system meanwhile, so nothing a client sends piles up here.
//
// Limits: at most MaxConnections at once (the next is accepted and closed);
// a record longer than rpc::MaxRecord, a record begun and not finished within
// RecordTimeout, or unread replies past MaxPendingOutput close the
// connection. A connection that is idle between records stays open.
//
// Owns its listening sockets and connections. Thread contract: GUI thread
// only. The handlers may process events (a connect does): a connection is
// only destroyed later, from the event loop, never while it is served.

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QTcpServer;

namespace remote {

class TRpcTcpServer : public QObject {
  Q_OBJECT

 public:
  using TConnection = std::uint64_t;

  static constexpr int MaxConnections = 16;
  static constexpr qint64 MaxPendingOutput = 65536;
  static constexpr int DefaultRecordTimeout = 5000;  // milliseconds

  explicit TRpcTcpServer(QObject* parent = nullptr);
  ~TRpcTcpServer() override;

  // Adds a listening port (0: the system chooses); false, with
  // ErrorString() and Error(), when it cannot be bound.
  bool Listen(const QHostAddress& host, std::uint16_t port);
  std::vector<std::uint16_t> Ports() const;
  QString ErrorString() const { return LastError; }
  QAbstractSocket::SocketError Error() const { return LastErrorKind; }

  // A complete record. The handler answers with Send, now or later.
  std::function<void(TConnection, const std::string& record)> OnRecord;
  // The connection's last record is not answered yet.
  std::function<bool(TConnection)> Busy;
  // The connection is gone (closed by either side).
  std::function<void(TConnection)> OnClosed;

  // Sends the message as one record.
  void Send(TConnection connection, std::string_view message);
  void Close(TConnection connection);
  // Goes on with the input of connections that were busy.
  void ResumeSoon();
  // The address the client reached.
  QHostAddress LocalAddress(TConnection connection) const;
  int ConnectionCount() const;

  int RecordTimeout = DefaultRecordTimeout;

 private:
  struct TClient;

  void Accept(QTcpServer& listener);
  void Pump(TClient& client);
  void PumpAll();
  // Feeds the record reader from what has arrived; false when nothing did.
  bool Feed(TClient& client);
  void CloseClient(TClient& client);
  void CheckRecordTimes();
  void Reap();
  TClient* Find(TConnection connection) const;

  std::vector<std::unique_ptr<QTcpServer>> Listeners;
  std::vector<std::unique_ptr<TClient>> Clients;
  QTimer Resume;
  QTimer RecordClock;
  QString LastError;
  QAbstractSocket::SocketError LastErrorKind = QAbstractSocket::UnknownSocketError;
  TConnection NextConnection = 1;
  int Serving = 0;
};

}  // namespace remote
