#pragma once
// Who holds a server's slots, for the raw socket and the RPC servers alike:
// - a newcomer whose address the allow list does not take is closed at once
//   and told on Notice with its address;
// - while a slot is free a newcomer takes it;
// - while all are taken it waits, up to Grace, for the client idle longest
//   to have been idle for Grace, and takes that one's slot; one still
//   waiting then is closed (and at most MaxWaiting wait at once);
// - a client idle for IdleTimeout is closed.
// The server says how long each of its clients has been idle (a client
// whose commands run or whose call waits for the tick is not) and closes
// the one it is told to.
//
// Owns the waiting newcomers' sockets; the server owns its clients.
// Thread contract: GUI thread only.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "remote/AllowList.h"
#include "remote/SocketSupport.h"

class QTcpSocket;

namespace remote {

struct TAdmissionRules {
  static constexpr int DefaultGrace = 2000;          // milliseconds
  static constexpr int DefaultIdleTimeout = 300000;  // milliseconds
  int Grace = DefaultGrace;
  int IdleTimeout = DefaultIdleTimeout;  // 0: never
  TAllowList Allow;
};

// The client idle longest, if it has been idle for at least grace; idle
// times below 0 stand for slots no client holds.
std::optional<std::size_t> LongestIdle(const std::vector<std::int64_t>& idle, std::int64_t grace);

class TAdmission : public QObject {
  Q_OBJECT

 public:
  static constexpr std::size_t MaxWaiting = 8;
  static constexpr std::int64_t NoClient = -1;

  // name begins the notices ("remote control", "VXI-11").
  TAdmission(QString name, int places, QObject* parent = nullptr);
  ~TAdmission() override;

  TAdmissionRules Rules;

  // Per slot of the server, in its own order: milliseconds idle (0 while
  // the client works), or NoClient.
  std::function<std::vector<std::int64_t>()> IdleTimes;
  // Closes the client of that slot, which holds none from then on, and
  // answers its peer's address for the notice.
  std::function<QString(std::size_t)> Evict;
  // Takes the newcomer's socket as a client.
  std::function<void(QTcpSocket*)> Admit;
  // A line for standard error.
  std::function<void(const QString&)> Notice;
  // Told the peer's address of each newcomer let in; unset, nothing is said.
  std::function<void(const QString&)> Admitted;

  // A new connection, ready for the server; the admission owns it until
  // Admit hands it on.
  void Arrive(QTcpSocket* socket);
  // Lets waiting newcomers in where they may be, closes the idle and the
  // expired, and looks again when something can have changed. Call when
  // a slot was freed; never from inside Evict or Admit.
  void Review();
  std::size_t WaitingCount() const { return Waiting.size(); }
  // A notice of this server's ("VXI-11: " and the text).
  void Say(const QString& text) const;

 private:
  struct TNewcomer {
    std::unique_ptr<QTcpSocket, TDeleteLater> Socket;
    QElapsedTimer Since;
  };

  void CloseIdle(const std::vector<std::int64_t>& idle);
  bool MakeRoom();
  void Expire();
  void Schedule();

  QString Name;
  int Slots;
  std::deque<TNewcomer> Waiting;
  QTimer Timer;
  bool Reviewing = false;
};

// "ADDRESS:PORT" of the socket's peer, IPv4-mapped addresses as IPv4.
QString PeerText(const QTcpSocket& socket);

}  // namespace remote
