#include "remote/SocketSupport.h"

namespace remote {

bool ListenHost(const std::string& text, QHostAddress& host, QString& error)
{
  if (text == "localhost") {
    host = QHostAddress::LocalHost;
    return true;
  }
  if (host.setAddress(QString::fromStdString(text))) return true;
  error = QString("not an IP address: %1").arg(QString::fromStdString(text));
  return false;
}

}  // namespace remote
