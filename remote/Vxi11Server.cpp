#include "remote/Vxi11Server.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <chrono>

#include "remote/Portmapper.h"
#include "remote/ScpiCore.h"
#include "remote/SocketSupport.h"

namespace remote {
namespace {

// While a connect holds the sessions' input, look again this often.
constexpr int StallPollMilliseconds = 20;

std::int64_t SteadyMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QString NoPortmapperNote(const QString& host, std::uint16_t corePort, std::uint16_t portmapperPort,
                         const QString& reason) {
  const QString program = QCoreApplication::applicationFilePath();
  return QString(
             "VXI-11: clients that ask the portmapper (lxi, an oscilloscope, PyVISA's "
             "TCPIP::%1::INSTR) will not find "
             "the instrument: no rpcbind took its registration and port %2 cannot be bound (%3). "
             "Either install and "
             "start rpcbind (sudo apt-get install rpcbind; sudo systemctl start rpcbind) and start "
             "again, or allow "
             "the program to bind port %2 (sudo setcap cap_net_bind_service=+ep %4), or address "
             "the core channel "
             "directly: "
             "TCPIP::%1,%5::INSTR in PyVISA (pyvisa-py 0.6 or later; Debian 12's 0.5 always asks "
             "the "
             "portmapper).")
      .arg(host)
      .arg(portmapperPort)
      .arg(reason, program)
      .arg(corePort);
}

}  // namespace

TVxi11Server::TVxi11Server(TScpiCore& core, QObject* parent)
    : QObject(parent), Core("VXI-11"), Service(core, SteadyMilliseconds) {
  Core.Working = [this](TRpcTcpServer::TConnection c) { return Service.Working(c); };
  Service.IdleFor = [this](TRpcTcpServer::TConnection c) { return Core.IdleFor(c); };
  Service.Evict = [this](TRpcTcpServer::TConnection c) {
    Core.Admission().Say("closed the connection of " + Core.PeerText(c) + ", idle for " +
                         QString::number(static_cast<double>(Core.IdleFor(c)) / 1000.0, 'f', 1) +
                         " s, for a new link");
    Core.Close(c);
  };
  Core.OnRecord = [this](TRpcTcpServer::TConnection c, const std::string& record) {
    OnCall(c, record);
  };
  Core.Busy = [this](TRpcTcpServer::TConnection c) { return Service.Pending(c); };
  Core.OnClosed = [this](TRpcTcpServer::TConnection c) { Service.Drop(c); };
  Service.Reply = [this](TVxi11Service::TConnection c, std::string reply) {
    Core.Send(c, reply);
    Core.ResumeSoon();  // the connection's next record may go on
  };
  Service.OnWake = [this] {
    if (!PollTimer.isActive() || PollTimer.remainingTime() > 0) PollTimer.start(0);
  };
  Service.OnLinkDestroyed = [this] { Rotate(); };
  PollTimer.setSingleShot(true);
  connect(&PollTimer, &QTimer::timeout, this, &TVxi11Server::PollNow);
}

TVxi11Server::~TVxi11Server() = default;

bool TVxi11Server::Listen(const TVxi11Options& options) {
  QHostAddress host;
  if (!ListenHost(options.Host, host, Error)) return false;
  Admit(Core.Admission(), options.Admission);
  Service.Grace = options.Admission.Grace;
  for (int i = 0; i < options.CorePorts; ++i) {
    const int port = options.FirstCorePort ? options.FirstCorePort + i : 0;
    if (port <= 0xFFFF) Core.Listen(host, static_cast<std::uint16_t>(port));
  }
  if (Core.Ports().empty()) {
    Error = QString("VXI-11: cannot listen on %1 port %2: %3")
                .arg(host.toString())
                .arg(options.FirstCorePort)
                .arg(Core.ErrorString());
    return false;
  }
  FindPort(options, host);
  return true;
}

void TVxi11Server::FindPort(const TVxi11Options& options, const QHostAddress& host) {
  const std::string address = host.toString().toStdString();
  if (options.UseRpcbind && Registration.Register(vxi11::CoreProgram, vxi11::CoreVersion,
                                                  portmap::UniversalAddress(address, CorePort()))) {
    Found = TFinding::Rpcbind;
    return;
  }
  auto portmapper = std::make_unique<TPortmapperServer>();
  Admit(portmapper->Admission(), options.Admission);
  portmapper->CorePort = [this] { return CorePort(); };
  if (portmapper->Listen(host, options.PortmapperPort)) {
    Portmapper = std::move(portmapper);
    Found = TFinding::OwnPortmapper;
    return;
  }
  const QString reason = portmapper->Error() == QAbstractSocket::SocketAccessError
                             ? "not allowed to this user"
                             : portmapper->ErrorString();
  Note = NoPortmapperNote(host.toString(), CorePort(), options.PortmapperPort, reason);
}

void TVxi11Server::Admit(TAdmission& admission, const TAdmissionRules& rules) {
  admission.Rules = rules;
  admission.Notice = [this](const QString& text) {
    if (Notice) Notice(text);
  };
}

std::uint16_t TVxi11Server::CorePort() const {
  const std::vector<std::uint16_t> ports = Core.Ports();
  return ports.empty() ? 0 : ports[Current % ports.size()];
}

void TVxi11Server::Rotate() {
  // Only the program's own portmapper can follow the port.
  if (Found == TFinding::OwnPortmapper) Current = (Current + 1) % Core.Ports().size();
}

void TVxi11Server::OnCall(TRpcTcpServer::TConnection connection, const std::string& record) {
  TRpcCall call;
  switch (ParseCall(record, call)) {
    case TCallHeader::NotACall:
      Core.Close(connection);
      return;
    case TCallHeader::WrongRpcVersion:
      Core.Send(connection, RpcMismatchReply(call.Xid));
      return;
    case TCallHeader::Call:
      break;
  }
  Service.Call(connection, call);
  Schedule();
}

void TVxi11Server::PollNow() {
  Service.Poll();
  Core.ResumeSoon();
  Schedule();
}

void TVxi11Server::Schedule() {
  std::optional<std::int64_t> wait;
  if (const auto deadline = Service.NextDeadline())
    wait = std::max<std::int64_t>(0, *deadline - SteadyMilliseconds());
  if (Service.Stalled())
    wait = std::min<std::int64_t>(wait.value_or(StallPollMilliseconds), StallPollMilliseconds);
  if (!wait) return;
  const int milliseconds = static_cast<int>(std::min<std::int64_t>(*wait, 1 << 30));
  if (!PollTimer.isActive() || PollTimer.remainingTime() > milliseconds)
    PollTimer.start(milliseconds);
}

}  // namespace remote
