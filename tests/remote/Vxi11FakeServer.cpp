// Test program: the fake generator as a VXI-11 instrument (and on a raw
// SCPI port), for the tests and the benchmark that use real clients. Ticks
// every 50 ms like the program and logs, decoded, every tick that wrote a
// change: "written run=1 function=sine frequency=50000.0... attenuation=15".
//
//   vxi11_fake_server [--host ADDRESS] [--core-port N] [--ports COUNT]
//                     [--portmapper-port N] [--no-rpcbind] [--raw PORT]
//
// Prints "ready finding=rpcbind|portmapper|none core=P1,P2,... raw=P" once
// it listens, then the log; ends on SIGTERM or SIGINT, unregistering.

#include <QCoreApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "remote/ScpiCore.h"
#include "remote/ScpiFormat.h"
#include "remote/ScpiServer.h"
#include "remote/Vxi11Server.h"
#include "tests/remote/FakeInstrument.h"

namespace {

volatile std::sig_atomic_t Stop = 0;

void OnSignal(int) { Stop = 1; }

const char* FunctionName(double function) {
  static const char* const Names[] = {"sine", "triangle", "square", "pulse"};
  const auto index = static_cast<std::size_t>(function);
  return index < 4 ? Names[index] : "?";
}

std::string Decoded(const remote::test::TFakeInstrument& device) {
  using remote::TSetting;
  return std::string("written run=") + (device.Get(TSetting::Run) != 0 ? "1" : "0") +
         " function=" + FunctionName(device.Get(TSetting::Function)) +
         " frequency=" + remote::FormatReal(device.Get(TSetting::Frequency)) +
         " attenuation=" + std::to_string(static_cast<int>(device.Get(TSetting::Attenuation))) +
         " amplitude=" + remote::FormatSingle(static_cast<float>(device.Amplitude())) +
         " inverted=" + (device.Get(TSetting::Invert) != 0 ? "1" : "0");
}

struct TArguments {
  remote::TVxi11Options Vxi11;
  int RawPort = -1;
};

bool Parse(int argc, char** argv, TArguments& arguments) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    const bool valued = i + 1 < argc;
    if (option == "--no-rpcbind")
      arguments.Vxi11.UseRpcbind = false;
    else if (option == "--host" && valued)
      arguments.Vxi11.Host = argv[++i];
    else if (option == "--core-port" && valued)
      arguments.Vxi11.FirstCorePort = static_cast<std::uint16_t>(std::stoi(argv[++i]));
    else if (option == "--ports" && valued)
      arguments.Vxi11.CorePorts = std::stoi(argv[++i]);
    else if (option == "--portmapper-port" && valued)
      arguments.Vxi11.PortmapperPort = static_cast<std::uint16_t>(std::stoi(argv[++i]));
    else if (option == "--raw" && valued)
      arguments.RawPort = std::stoi(argv[++i]);
    else
      return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  TArguments arguments;
  if (!Parse(argc, argv, arguments)) {
    std::fprintf(stderr,
                 "usage: %s [--host A] [--core-port N] [--ports K] [--portmapper-port N] "
                 "[--no-rpcbind] [--raw PORT]\n",
                 argv[0]);
    return 2;
  }
  remote::test::TFakeInstrument device;
  remote::TScpiCore core(device);
  remote::TVxi11Server vxi11(core);
  if (!vxi11.Listen(arguments.Vxi11)) {
    std::fprintf(stderr, "%s\n", vxi11.ErrorString().toUtf8().constData());
    return 1;
  }
  remote::TScpiServer raw(core);
  if (arguments.RawPort >= 0 &&
      !raw.Listen({arguments.Vxi11.Host, static_cast<std::uint16_t>(arguments.RawPort)})) {
    std::fprintf(stderr, "%s\n", raw.ErrorString().toUtf8().constData());
    return 1;
  }
  if (!vxi11.PortmapperNote().isEmpty())
    std::fprintf(stderr, "%s\n", vxi11.PortmapperNote().toUtf8().constData());
  const char* finding = vxi11.Finding() == remote::TVxi11Server::TFinding::Rpcbind ? "rpcbind"
                        : vxi11.Finding() == remote::TVxi11Server::TFinding::OwnPortmapper
                            ? "portmapper"
                            : "none";
  std::string ports;
  for (const auto port : vxi11.CorePorts()) {
    if (!ports.empty()) ports += ',';
    ports += std::to_string(port);
  }
  std::printf("ready finding=%s core=%s raw=%d\n", finding, ports.c_str(),
              arguments.RawPort >= 0 ? raw.Port() : -1);
  std::fflush(stdout);

  std::signal(SIGTERM, OnSignal);
  std::signal(SIGINT, OnSignal);
  QTimer tick;
  tick.setTimerType(Qt::PreciseTimer);
  remote::test::TFakeSettings written = device.S;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    if (Stop) return QCoreApplication::quit();
    if (!(device.S == written)) {
      written = device.S;
      std::printf("%s\n", Decoded(device).c_str());
      std::fflush(stdout);
    }
    device.Tick();
  });
  tick.start(50);
  return QCoreApplication::exec();
}
