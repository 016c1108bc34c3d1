#pragma once
// What the socket servers share: the address to listen on, from the
// command line's text, and the deleter of a client socket. GUI thread only.

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
  void operator()(QTcpSocket* socket) const
  {
    socket->disconnect();
    socket->deleteLater();
  }
};

}  // namespace remote
