#include "remote/PortmapperServer.h"

#include <QNetworkDatagram>
#include <QNetworkProxy>

#include "remote/Portmapper.h"

namespace remote {

TPortmapperServer::TPortmapperServer(QObject* parent) : QObject(parent), Tcp("VXI-11 portmapper") {
  Tcp.OnRecord = [this](TRpcTcpServer::TConnection c, const std::string& record) {
    AnswerRecord(c, record);
  };
  connect(&Udp, &QUdpSocket::readyRead, this, &TPortmapperServer::AnswerDatagrams);
}

bool TPortmapperServer::Listen(const QHostAddress& host, std::uint16_t port) {
  if (!Tcp.Listen(host, port)) {
    LastError = Tcp.ErrorString();
    LastErrorKind = Tcp.Error();
    return false;
  }
  // A server takes its datagrams directly, whatever proxy the system names.
  Udp.setProxy(QNetworkProxy::NoProxy);
  // Not shared: a running rpcbind must make this fail, not split the port.
  if (!Udp.bind(host, port, QAbstractSocket::DontShareAddress)) {
    LastError = Udp.errorString();
    LastErrorKind = Udp.error();
    return false;
  }
  Host = host;
  Port = port;
  return true;
}

// The universal address names the address the client reached, which for a
// server on every interface is the one it came in on.
std::string TPortmapperServer::LocalAddressText(const QHostAddress& reached) const {
  const bool usable = !reached.isNull() && reached != QHostAddress::Broadcast &&
                      reached != QHostAddress::AnyIPv4 && reached != QHostAddress::Any;
  QHostAddress address = usable ? reached : Host;
  bool mapped = false;
  const quint32 v4 = address.toIPv4Address(&mapped);
  if (mapped) address = QHostAddress(v4);
  return address.toString().toStdString();
}

void TPortmapperServer::AnswerRecord(TRpcTcpServer::TConnection connection,
                                     const std::string& record) {
  const portmap::TView view{CorePort ? CorePort() : std::uint16_t{0}, Port,
                            LocalAddressText(Tcp.LocalAddress(connection))};
  if (const auto reply = portmap::Reply(record, view))
    Tcp.Send(connection, *reply);
  else
    Tcp.Close(connection);
}

void TPortmapperServer::AnswerDatagrams() {
  while (Udp.hasPendingDatagrams()) {
    const QNetworkDatagram datagram = Udp.receiveDatagram(MaxDatagram);
    if (!Admission().Rules.Allow.Allows(datagram.senderAddress())) {
      Admission().Say("dropped a datagram from " +
                      PlainAddress(datagram.senderAddress()).toString() + " (not in --allow)");
      continue;
    }
    const QByteArray data = datagram.data();
    const portmap::TView view{CorePort ? CorePort() : std::uint16_t{0}, Port,
                              LocalAddressText(datagram.destinationAddress())};
    const auto reply = portmap::Reply(
        std::string_view(data.constData(), static_cast<std::size_t>(data.size())), view);
    if (reply && datagram.senderPort() > 0)
      Udp.writeDatagram(reply->data(), static_cast<qint64>(reply->size()), datagram.senderAddress(),
                        static_cast<quint16>(datagram.senderPort()));
  }
}

}  // namespace remote
