#pragma once
// ONC RPC over TCP: listening ports whose connections deliver whole
// records, one at a time. A connection's next record waits until the
// handler has answered the one before (Busy), and its bytes stay in the
// system meanwhile, so nothing a client sends piles up here.
//
// Limits: at most MaxConnections at once, admitted as TAdmission says (an
// allow list, a newcomer taking the place of a connection idle past the
// grace, an idle time-out); a record longer than rpc::MaxRecord, a record
// begun (if only by an empty fragment) and not finished within
// RecordTimeout, or unread replies past MaxPendingOutput in the program and
// the socket's send queue close the connection. A connection is idle from
// its last complete record on, unless Working says its call is under way.
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

#include "remote/Admission.h"

class QTcpServer;
class QTcpSocket;

namespace remote {

class TRpcTcpServer : public QObject {
  Q_OBJECT

 public:
  using TConnection = std::uint64_t;

  static constexpr int MaxConnections = 16;
  static constexpr qint64 MaxPendingOutput = 65536;
  static constexpr int DefaultRecordTimeout = 5000;  // milliseconds

  // name begins the admission's notices.
  explicit TRpcTcpServer(QString name, QObject* parent = nullptr);
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
  // The connection's call is under way, so it is not idle however long
  // ago its record came.
  std::function<bool(TConnection)> Working;

  // Sends the message as one record.
  void Send(TConnection connection, std::string_view message);
  void Close(TConnection connection);
  // Goes on with the input of connections that were busy.
  void ResumeSoon();
  // The address the client reached, and the client's, for notices.
  QHostAddress LocalAddress(TConnection connection) const;
  QString PeerText(TConnection connection) const;
  int ConnectionCount() const;
  // Milliseconds the connection has been idle (0 while it works).
  std::int64_t IdleFor(TConnection connection) const;
  // The rules and notices of admission; set them before clients come.
  TAdmission& Admission() { return Doorman; }

  int RecordTimeout = DefaultRecordTimeout;

 private:
  struct TClient;

  void Accept(QTcpServer& listener);
  void Admit(QTcpSocket* socket);
  std::vector<std::int64_t> IdleTimes() const;
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
  TAdmission Doorman;
  QTimer Resume;
  QTimer RecordClock;
  QString LastError;
  QAbstractSocket::SocketError LastErrorKind = QAbstractSocket::UnknownSocketError;
  TConnection NextConnection = 1;
  int Serving = 0;
};

}  // namespace remote
