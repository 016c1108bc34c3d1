#include "remote/SocketSupport.h"

namespace remote {

bool ListenHost(const std::string& text, QHostAddress& host, QString& error) {
  if (text == "localhost") {
    host = QHostAddress::LocalHost;
    return true;
  }
  if (host.setAddress(QString::fromStdString(text))) return true;
  error = QString("not an IP address: %1").arg(QString::fromStdString(text));
  return false;
}

void PrepareClientSocket(QTcpSocket& socket, qint64 readBuffer) {
  socket.setParent(nullptr);
  socket.setReadBufferSize(readBuffer);
  socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

qint64 PendingOutput(QTcpSocket& socket) {
  return socket.bytesToWrite() + (socket.isOpen() ? SystemSendQueue(socket.socketDescriptor()) : 0);
}

}  // namespace remote
