#pragma once
// What the socket servers share: the address to listen on, from the
// command line's text, the set-up and the deleter of a client socket, and
// how much output waits for a client. GUI thread only.

#include <QHostAddress>
#include <QString>
#include <QTcpSocket>
#include <string>

namespace remote {

// "localhost" or an IP address; false, with the error for the user, for
// anything else.
bool ListenHost(const std::string& text, QHostAddress& host, QString& error);

// A client socket may be deleted while its signal is being delivered.
struct TDeleteLater {
  void operator()(QTcpSocket* socket) const {
    socket->disconnect();
    socket->deleteLater();
  }
};

// A new client's socket: Qt reads at most readBuffer bytes ahead (the
// client's own connection holds the rest), and replies leave at once.
void PrepareClientSocket(QTcpSocket& socket, qint64 readBuffer);

// Output not yet taken by the client: what Qt holds and what the system
// holds in the socket's send queue, where it says (Linux).
qint64 PendingOutput(QTcpSocket& socket);
// The bytes in the system's send queue of the socket, 0 where unknown.
qint64 SystemSendQueue(qintptr descriptor);

}  // namespace remote
