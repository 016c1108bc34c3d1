#pragma once
// The raw SCPI socket: a TCP server whose clients each get a session over
// the shared core. Lines end with LF; every reply message leaves in one
// socket write. At most MaxClients clients at once, admitted as
// TAdmission says (an allow list, a newcomer taking the place of a client
// idle past the grace, an idle time-out). A client counts as idle while
// its session has nothing to do, from its last complete line on: bytes
// that make no line do not count. A client whose unread replies would pass
// MaxPendingOutput, in the program and in the socket's send queue, is
// disconnected with all its input. A client that closes its end still has
// the lines it sent in whole carried out, unanswered; nothing of it
// reaches any other client.
//
// Never carries out input while the instrument is busy or while a command
// is already being carried out (a connect processes events, and with them
// this server's sockets); it resumes with a short poll. Nothing waits for a
// client: the GUI thread only moves what is already there.
//
// Owns its listening socket, the client sockets and their sessions; refers
// to the core, which must outlive it. Thread contract: GUI thread only.

#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <vector>

#include "remote/Admission.h"
#include "remote/ListenAddress.h"

class QTcpSocket;

namespace remote {

class TScpiCore;

class TScpiServer : public QObject {
  Q_OBJECT

 public:
  static constexpr int MaxClients = 8;
  static constexpr qint64 MaxPendingOutput = 65536;
  static constexpr int PollMilliseconds = 20;

  explicit TScpiServer(TScpiCore& core, QObject* parent = nullptr);
  ~TScpiServer() override;

  // Starts listening; false, with ErrorString(), when the host is not an
  // address of this machine or the port is taken.
  bool Listen(const TListenAddress& address);
  // The port listened on (the chosen one for port 0).
  std::uint16_t Port() const;
  QString ErrorString() const { return Error; }
  int ClientCount() const;
  // The rules and notices of admission; set them before clients come.
  TAdmission& Admission() { return Doorman; }

 private:
  struct TClient;

  void Accept();
  void Admit(QTcpSocket* socket);
  std::vector<std::int64_t> IdleTimes() const;
  void PumpAll();
  void Pump(TClient& client);
  // Moves what the session has room for from the socket; false if nothing.
  bool Feed(TClient& client);
  void Send(TClient& client);
  // The client closed its end: what it sent in whole lines is still
  // carried out, then it goes.
  void HangUp(TClient& client);
  // The server drops the client with all its input.
  void Close(TClient& client);
  // Destroys closed clients, never while one of them is being served.
  void Reap();
  void ResumeSoon(int milliseconds);

  TScpiCore& Core;
  QTcpServer Listener;
  TAdmission Doorman;
  QTimer Resume;
  QString Error;
  std::vector<std::unique_ptr<TClient>> Clients;
  TClient* Serving = nullptr;
};

}  // namespace remote
