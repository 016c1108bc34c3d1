#include "remote/Admission.h"

#include <QTcpSocket>
#include <algorithm>

namespace remote {
namespace {

// How often an idle time-out is looked for; waiting newcomers are looked
// after at their own times.
constexpr int IdleCheckMilliseconds = 1000;

QString Seconds(std::int64_t milliseconds) {
  return QString::number(static_cast<double>(milliseconds) / 1000.0, 'f', 1);
}

}  // namespace

std::optional<std::size_t> LongestIdle(const std::vector<std::int64_t>& idle, std::int64_t grace) {
  std::optional<std::size_t> longest;
  for (std::size_t i = 0; i < idle.size(); ++i)
    if (idle[i] >= grace && (!longest || idle[i] > idle[*longest])) longest = i;
  return longest;
}

QString PeerText(const QTcpSocket& socket) {
  const QHostAddress address = PlainAddress(socket.peerAddress());
  const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                           ? "[" + address.toString() + "]"
                           : address.toString();
  return host + ":" + QString::number(socket.peerPort());
}

TAdmission::TAdmission(QString name, int places, QObject* parent)
    : QObject(parent), Name(std::move(name)), Slots(places) {
  Timer.setSingleShot(true);
  // A waiting newcomer's grace ends on time, not up to 5 % early.
  Timer.setTimerType(Qt::PreciseTimer);
  connect(&Timer, &QTimer::timeout, this, &TAdmission::Review);
}

TAdmission::~TAdmission() = default;

void TAdmission::Arrive(QTcpSocket* socket) {
  std::unique_ptr<QTcpSocket, TDeleteLater> owned(socket);
  if (!Rules.Allow.Allows(socket->peerAddress())) {
    Say("refused a connection from " + PeerText(*socket) + " (not in --allow)");
    return;  // deleting closes it
  }
  if (Waiting.size() >= MaxWaiting) return;  // a flood: not worth a line each
  // A newcomer that goes while it waits is forgotten with its input.
  connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
    std::erase_if(Waiting, [socket](const TNewcomer& n) { return n.Socket.get() == socket; });
  });
  TNewcomer newcomer{std::move(owned), {}};
  newcomer.Since.start();
  Waiting.push_back(std::move(newcomer));
  Review();
}

void TAdmission::Review() {
  if (Reviewing || !IdleTimes) return;
  Reviewing = true;
  CloseIdle(IdleTimes());
  while (!Waiting.empty() && MakeRoom()) {
    QTcpSocket* socket = Waiting.front().Socket.release();
    Waiting.pop_front();
    socket->disconnect(this);
    const QString peer = Admitted ? PeerText(*socket) : QString();
    Admit(socket);
    if (Admitted) Admitted(peer);
  }
  Expire();
  Reviewing = false;
  Schedule();
}

void TAdmission::CloseIdle(const std::vector<std::int64_t>& idle) {
  if (Rules.IdleTimeout <= 0) return;
  for (std::size_t i = 0; i < idle.size(); ++i)
    if (idle[i] >= Rules.IdleTimeout)
      Say("closed the connection of " + Evict(i) + ", idle for " + Seconds(idle[i]) + " s");
}

// A free slot, or one taken from the client idle longest past the grace.
bool TAdmission::MakeRoom() {
  const std::vector<std::int64_t> idle = IdleTimes();
  const auto taken =
      std::count_if(idle.begin(), idle.end(), [](std::int64_t t) { return t != NoClient; });
  if (taken < Slots) return true;
  const std::optional<std::size_t> longest = LongestIdle(idle, Rules.Grace);
  if (!longest) return false;
  Say("closed the connection of " + Evict(*longest) + ", idle for " + Seconds(idle[*longest]) +
      " s, for a newcomer");
  return true;
}

void TAdmission::Expire() {
  while (!Waiting.empty() && Waiting.front().Since.elapsed() >= Rules.Grace) Waiting.pop_front();
}

void TAdmission::Schedule() {
  qint64 next = -1;
  if (!Waiting.empty()) {
    // At the front's expiry at the latest; earlier, as an idle one may
    // pass the grace meanwhile.
    next = std::max<qint64>(0, Rules.Grace - Waiting.front().Since.elapsed());
    next = std::min<qint64>(next, std::max(1, Rules.Grace / 10));
  } else if (Rules.IdleTimeout > 0) {
    const std::vector<std::int64_t> idle = IdleTimes();
    if (std::any_of(idle.begin(), idle.end(), [](std::int64_t t) { return t != NoClient; }))
      next = std::min(IdleCheckMilliseconds, std::max(1, Rules.IdleTimeout / 10));
  }
  if (next < 0) {
    Timer.stop();
  } else if (!Timer.isActive() || Timer.remainingTime() > next) {
    Timer.start(static_cast<int>(next));
  }
}

void TAdmission::Say(const QString& text) const {
  if (Notice) Notice(Name + ": " + text);
}

}  // namespace remote
