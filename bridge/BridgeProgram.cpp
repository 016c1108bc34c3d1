#include "bridge/BridgeProgram.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QLocale>
#include <QString>
#include <clocale>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "app/EventWait.h"
#include "app/GeneratorRun.h"
#include "app/ProgramOptions.h"
#include "app/QuitOnSignal.h"
#include "app/RemoteControl.h"
#include "bridge/DeviceCalls.h"
#include "bridge/DnsSd.h"
#include "bridge/Journal.h"
#include "bridge/PortNames.h"
#include "bridge/Reconnect.h"
#include "remote/Admission.h"
#include "remote/ListenAddress.h"
#include "serial/PortList.h"
#include "serial/PortRemovalWatcher.h"

namespace bridge {

namespace {

// A client that connects for every command (an oscilloscope's Bode sweep)
// is told once, not at each connection: again only after this long.
constexpr qint64 AdmittedQuietMs = 60000;

// Numbers with a point whatever the locale; an exception that escapes a
// handler is told and the bridge goes on, as the window's box lets it.
class TBridgeApplication : public QCoreApplication {
 public:
  TBridgeApplication(int& argc, char** argv) : QCoreApplication(argc, argv) {
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
  }
  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QCoreApplication::notify(receiver, event);
    } catch (const std::exception& error) {
      SayOnStandardError(TLevel::Error, error.what());
    }
    return false;
  }
};

// Who was let in, by server and host, told once a while.
class TAdmittedLog {
 public:
  void Admitted(const std::string& server, const QString& peer) {
    const QString host = peer.left(peer.lastIndexOf(':'));
    QElapsedTimer& last = Last[server + " " + host.toStdString()];
    if (last.isValid() && last.elapsed() < AdmittedQuietMs) {
      last.start();
      return;
    }
    last.start();
    SayOnStandardError(TLevel::Info, server + ": admitted " + peer.toStdString());
  }

 private:
  std::map<std::string, QElapsedTimer> Last;
};

bool IsLoopback(const std::string& host) {
  return host == "localhost" || QHostAddress(QString::fromStdString(host)).isLoopback();
}

std::string Describe(const std::string& name) {
  for (const std::string& line : serial::ListSerialPorts()) {
    const std::size_t colon = line.find(':');
    if (line.substr(0, colon) == name && colon != std::string::npos)
      return line.substr(std::min(line.size(), colon + 2));
  }
  return {};
}

// --remote and --vxi11, each told on the journal; false when one cannot.
bool Serve(app::TRemoteControl& remote, const app::TProgramOptions& options, TAdmittedLog& log) {
  std::string error;
  if (options.Remote) {
    if (!remote.Listen(*options.Remote, error)) {
      SayOnStandardError(TLevel::Error, error);
      return false;
    }
    remote.ScpiAdmission()->Admitted = [&log](const QString& p) { log.Admitted("SCPI", p); };
    SayOnStandardError(TLevel::Info, "SCPI on " + remote.Address());
  }
  if (options.Vxi11) {
    std::string note;
    if (!remote.ListenVxi11(*options.Vxi11, error, note)) {
      SayOnStandardError(TLevel::Error, error);
      return false;
    }
    remote.Vxi11Admission()->Admitted = [&log](const QString& p) { log.Admitted("VXI-11", p); };
    if (!note.empty()) SayOnStandardError(TLevel::Warning, note);
    SayOnStandardError(TLevel::Info, "VXI-11 instrument on " +
                                         (options.Vxi11->empty() ? "127.0.0.1" : *options.Vxi11));
  }
  return true;
}

// What DNS-SD offers: the servers that listen beyond the loopback.
std::vector<TDnsSdService> Services(app::TRemoteControl& remote,
                                    const app::TProgramOptions& options) {
  std::vector<TDnsSdService> services;
  if (options.Remote) {
    const auto where = options.Remote->empty() ? std::optional<remote::TListenAddress>()
                                               : remote::ParseListenAddress(*options.Remote);
    if (where && !IsLoopback(where->Host))
      services.push_back({"_scpi-raw._tcp", remote.ScpiPort()});
  }
  if (options.Vxi11 && !options.Vxi11->empty() && !IsLoopback(*options.Vxi11) &&
      remote.Vxi11Findable()) {
    // No web page here: the LXI record names VXI-11's portmapper too.
    services.push_back({"_vxi-11._tcp", 111});
    services.push_back({"_lxi._tcp", 111});
  }
  return services;
}

// Refused with exit status 2, as a wrong option.
int Refuse(const std::string& text) {
  std::fprintf(stderr, "zolvek-bridge: %s\n", text.c_str());
  return 2;
}

}  // namespace

int RunBridge(int& argc, char** argv) {
  const app::TProgramOptions options =
      app::ParseProgramOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!options.Error.empty()) return Refuse(options.Error);
  if (options.Help) {
    std::fputs(BridgeUsage().c_str(), stdout);
    return 0;
  }
  if (options.Version) {
    std::printf("zolvek-bridge %s\n", ZOLVEK_VERSION);
    return 0;
  }
  if (!options.Remote && !options.Vxi11)
    return Refuse("nothing to serve: give --remote, --vxi11 or both");
  std::string portError;
  if (options.Port) {
    CurrentPortName(*options.Port, portError);
    if (!portError.empty()) return Refuse("--port " + portError);
  }

  TBridgeApplication application(argc, argv);
  application.setApplicationName(QStringLiteral("zolvek-bridge"));
  app::QuitOnTerminationSignals(&application);

  app::TGeneratorRun run;
  TGeneratorCalls calls(run.Control(), app::WaitProcessingEvents);
  run.Start({[&calls] { calls.TickRan(); }, [&calls] { calls.PortLost(); }});

  app::TRemoteControl& remote = run.Remote(
      options, [](const std::string& text) { SayOnStandardError(TLevel::Notice, text); });
  TAdmittedLog admitted;
  if (!Serve(remote, options, admitted)) {
    run.StopTicks();
    return 1;
  }

  TReconnect reconnect(calls, CurrentPortName, Describe, SayOnStandardError);
  serial::TPortRemovalWatcher watcher;
  QObject::connect(&watcher, &serial::TPortRemovalWatcher::PortRemoved,
                   [&calls](const QString& name) { calls.PortRemoved(name.toStdString()); });
  QObject::connect(
      &watcher, &serial::TPortRemovalWatcher::PortAdded,
      [&reconnect](const QString& name) { reconnect.PortAppeared(name.toStdString()); });
  if (!watcher.MonitoringDevices())
    SayOnStandardError(TLevel::Notice,
                       "no udev monitor: a replugged port is found by trying again now and then");

  std::unique_ptr<TDnsSd> dnsSd;
  const std::vector<TDnsSdService> services = Services(remote, options);
  if (!services.empty()) {
    dnsSd = std::make_unique<TDnsSd>(SayOnStandardError);
    dnsSd->Publish(services, remote.Identity());
    reconnect.OnlineChanged = [&dnsSd, &remote] { dnsSd->Update(remote.Identity()); };
  }
  if (options.Port) reconnect.Keep(*options.Port);

  application.exec();

  SayOnStandardError(TLevel::Info, "stopping");
  run.StopTicks();
  QCoreApplication::processEvents();
  calls.Close();
  return 0;
}

std::string BridgeUsage() {
  return "Usage: zolvek-bridge [--port NAME|PATH] [--remote[=[ADDRESS:]PORT]] [--vxi11[=ADDRESS]]\n"
         "                     [--allow=ADDRESS[/PREFIX][,...]] [--idle-timeout=SECONDS]\n"
         "Serves a serial DDS function generator to the network, without a window:\n"
         "SCPI over a raw socket and VXI-11 (LXI), found by lxi discover and DNS-SD.\n"
         "It connects again by itself when the generator's port comes back.\n"
         "\n"
         "  --port NAME|PATH  the generator's port: a name as the port list gives it\n"
         "                    (ttyUSB0, sim0) or a device path such as\n"
         "                    /dev/serial/by-id/usb-...-port0, which follows the\n"
         "                    adapter whatever number it gets\n"
         "  --remote[=[ADDRESS:]PORT]\n"
         "                    SCPI over TCP, one line each; 127.0.0.1:5025 unless\n"
         "                    given, e.g. --remote=0.0.0.0:5025 for the lab network\n"
         "  --vxi11[=ADDRESS]  the same commands as a VXI-11 instrument, as\n"
         "                    oscilloscopes and lxi-tools find it; 127.0.0.1 unless\n"
         "                    given (an oscilloscope needs 0.0.0.0 or the LAN address)\n"
         "  --allow=ADDRESS[/PREFIX][,...]\n"
         "                    take remote clients from these addresses only\n"
         "  --idle-timeout=SECONDS\n"
         "                    close a remote client idle this long (default 300,\n"
         "                    0: never)\n"
         "  --help            show this help and exit\n"
         "  --version         show the version and exit\n"
         "\n"
         "Servers beyond the loopback are advertised on DNS-SD through avahi-daemon\n"
         "(_scpi-raw._tcp, _vxi-11._tcp, _lxi._tcp). VXI-11 registers with a running\n"
         "rpcbind, or serves port 111 itself where it may bind it.\n";
}

}  // namespace bridge
