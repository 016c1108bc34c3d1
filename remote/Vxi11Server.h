#pragma once
// The generator as a VXI-11 instrument on the network: the core channel on
// TCP ports 9010..9019, each link a session over the shared SCPI core (one
// parser, one error queue with the raw socket), and the way clients find
// the port:
//   1. a running rpcbind, with which the core channel is registered (the
//      registration is removed at exit; one left by a crash is replaced);
//   2. else, where port 111 can be bound (root or CAP_NET_BIND_SERVICE),
//      the program's own small portmapper on TCP and UDP; the core port
//      then moves on after each destroy_link (9010, 9011, ... 9019, 9010),
//      as a model of oscilloscope needs;
//   3. else nothing: PortmapperNote() says what the user can do.
// The core channel and the portmapper's TCP port admit their clients by
// the options' TAdmissionRules (the allow list also holds for datagrams);
// a create_link when all links are taken may close the connection idle
// longest (TVxi11Service).
//
// Owns the listening sockets, the connections, the links with their
// sessions and the registration; refers to the core, which must outlive
// it. Thread contract: GUI thread only. Nothing waits for a client: replies
// that are not ready yet are sent when they are, from the event loop.

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "remote/PortmapperServer.h"
#include "remote/RpcTcpServer.h"
#include "remote/RpcbindRegistration.h"
#include "remote/Vxi11Service.h"

namespace remote {

class TScpiCore;

struct TVxi11Options {
  std::string Host = "127.0.0.1";      // loopback unless an address is given
  std::uint16_t FirstCorePort = 9010;  // 0: the system chooses each port
  int CorePorts = 10;
  std::uint16_t PortmapperPort = 111;
  bool UseRpcbind = true;
  // For the core channel and the portmapper's TCP alike; the allow list
  // also holds for the portmapper's datagrams.
  TAdmissionRules Admission;
};

class TVxi11Server : public QObject {
  Q_OBJECT

 public:
  enum class TFinding { Rpcbind, OwnPortmapper, None };

  explicit TVxi11Server(TScpiCore& core, QObject* parent = nullptr);
  ~TVxi11Server() override;

  // Starts listening at the address ("127.0.0.1", "0.0.0.0", "::1",
  // "localhost") with the usual ports; false, with ErrorString(), when it
  // is no address of this machine or none of the core ports is free.
  bool Listen(const std::string& host) {
    TVxi11Options options;
    options.Host = host;
    return Listen(options);
  }
  bool Listen(const TVxi11Options& options);
  QString ErrorString() const { return Error; }
  // Empty when clients find the instrument through a portmapper; else what
  // the user can do, for standard error.
  QString PortmapperNote() const { return Note; }
  TFinding Finding() const { return Found; }

  // The port the portmapper reports now, and all core ports listened on.
  std::uint16_t CorePort() const;
  std::vector<std::uint16_t> CorePorts() const { return Core.Ports(); }
  std::size_t LinkCount() const { return Service.LinkCount(); }
  TRpcTcpServer& CoreChannel() { return Core; }

  // Lines for standard error: connections refused or closed by admission.
  std::function<void(const QString&)> Notice;

 private:
  void FindPort(const TVxi11Options& options, const QHostAddress& host);
  void Admit(TAdmission& admission, const TAdmissionRules& rules);
  void OnCall(TRpcTcpServer::TConnection connection, const std::string& record);
  void Rotate();
  void Schedule();
  void PollNow();

  TRpcTcpServer Core;
  TVxi11Service Service;
  std::unique_ptr<TPortmapperServer> Portmapper;
  TRpcbindRegistration Registration;
  QTimer PollTimer;
  QString Error;
  QString Note;
  TFinding Found = TFinding::None;
  std::size_t Current = 0;  // index of the reported core port
};

}  // namespace remote
