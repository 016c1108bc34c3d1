#pragma once
// The small portmapper on TCP and UDP (port 111), for when no rpcbind runs:
// it tells clients the core channel's current port (GETPORT, GETADDR) and
// lists its three mappings (DUMP, for rpcinfo -p). Answers every datagram
// at once (a datagram from an address not allowed is dropped and told);
// TCP connections go through the record server and its limits.
//
// Owns its sockets. Thread contract: GUI thread only.

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QUdpSocket>
#include <cstdint>
#include <functional>

#include "remote/RpcTcpServer.h"

namespace remote {

class TPortmapperServer : public QObject {
  Q_OBJECT

 public:
  static constexpr qint64 MaxDatagram = 8192;

  explicit TPortmapperServer(QObject* parent = nullptr);

  // Binds TCP and UDP; false, with ErrorString() and Error(), unless both
  // were bound.
  bool Listen(const QHostAddress& host, std::uint16_t port);
  QString ErrorString() const { return LastError; }
  QAbstractSocket::SocketError Error() const { return LastErrorKind; }

  // The port the core channel takes connections on now.
  std::function<std::uint16_t()> CorePort;
  // Of the TCP connections; its allow list holds for datagrams too.
  TAdmission& Admission() { return Tcp.Admission(); }

 private:
  void AnswerRecord(TRpcTcpServer::TConnection connection, const std::string& record);
  void AnswerDatagrams();
  std::string LocalAddressText(const QHostAddress& reached) const;

  TRpcTcpServer Tcp;
  QUdpSocket Udp;
  QHostAddress Host;
  std::uint16_t Port = 0;
  QString LastError;
  QAbstractSocket::SocketError LastErrorKind = QAbstractSocket::UnknownSocketError;
};

}  // namespace remote
