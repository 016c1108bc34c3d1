// The command line: the bytes are the arguments, separated by NUL bytes.
// What holds: a refused line carries only its reason; an accepted one
// keeps the rules (a port name, whole seconds within a day, --allow and
// --idle-timeout only with a server), and written out again as options it
// reads back the same. What the servers make of the accepted values holds
// too: a listening address written out again reads back the same, an
// allow list lets in the addresses it names, and a list refused leaves the
// list as it was.

#include <QHostAddress>
#include <QString>
#include <string>
#include <vector>

#include "app/ProgramOptions.h"
#include "remote/AllowList.h"
#include "remote/ListenAddress.h"
#include "remote/SocketSupport.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

bool Same(const app::TProgramOptions& a, const app::TProgramOptions& b) {
  return a.Help == b.Help && a.Version == b.Version && a.Port == b.Port && a.Remote == b.Remote &&
         a.Vxi11 == b.Vxi11 && a.Allow == b.Allow && a.IdleTimeout == b.IdleTimeout &&
         a.Error == b.Error;
}

// The options as arguments that say the same.
std::vector<std::string> Written(const app::TProgramOptions& o) {
  std::vector<std::string> arguments;
  if (o.Help) arguments.push_back("--help");
  if (o.Version) arguments.push_back("--version");
  if (o.Port) arguments.push_back("--port=" + *o.Port);
  if (o.Remote) arguments.push_back("--remote=" + *o.Remote);
  if (o.Vxi11) arguments.push_back("--vxi11=" + *o.Vxi11);
  if (o.Allow) arguments.push_back("--allow=" + *o.Allow);
  if (o.IdleTimeout) arguments.push_back("--idle-timeout=" + std::to_string(*o.IdleTimeout));
  return arguments;
}

void CheckListenAddress(const std::string& text) {
  const auto address = remote::ParseListenAddress(text);
  if (!address) return;
  const bool ipv6 = address->Host.find(':') != std::string::npos;
  const std::string again =
      (ipv6 ? "[" + address->Host + "]" : address->Host) + ":" + std::to_string(address->Port);
  const auto reread = remote::ParseListenAddress(again);
  fuzz::Check(reread && reread->Host == address->Host && reread->Port == address->Port,
              "a listening address written out reads back the same");
}

void CheckAllowList(const std::string& text) {
  remote::TAllowList list;
  std::string error;
  if (!list.Parse(text, error)) {
    fuzz::Check(list.Empty() && !error.empty(), "a list refused says why and stays as it was");
    return;
  }
  fuzz::Check(!list.Empty(), "an accepted list names someone");
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string item = text.substr(start, comma - start);
    const QHostAddress address(QString::fromStdString(item.substr(0, item.find('/'))));
    fuzz::Check(list.Allows(address), "an allow list lets in the addresses it names");
    start = comma + 1;
  }
}

void ProgramOptions(std::string_view bytes) {
  std::vector<std::string> arguments;
  for (std::size_t start = 0; start <= bytes.size();) {
    const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
    arguments.emplace_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  if (bytes.empty()) arguments.clear();
  const app::TProgramOptions options = app::ParseProgramOptions(arguments);
  if (!options.Error.empty()) {
    app::TProgramOptions refused;
    refused.Error = options.Error;
    fuzz::Check(Same(options, refused), "a refused line carries only its reason");
    return;
  }
  fuzz::Check(!options.Port || !options.Port->empty(), "a port has a name");
  fuzz::Check(!options.IdleTimeout || (*options.IdleTimeout >= 0 && *options.IdleTimeout <= 86400),
              "the idle time-out is whole seconds within a day");
  fuzz::Check(!(options.Allow || options.IdleTimeout) || options.Remote || options.Vxi11,
              "--allow and --idle-timeout come with a server");
  fuzz::Check(Same(app::ParseProgramOptions(Written(options)), options),
              "the options written out read back the same");
  if (options.Remote) CheckListenAddress(*options.Remote);
  if (options.Allow) CheckAllowList(*options.Allow);
  if (options.Vxi11 && !options.Vxi11->empty()) {
    QHostAddress host;
    QString error;
    const bool usable = remote::ListenHost(*options.Vxi11, host, error);
    fuzz::Check(usable ? !host.isNull() : !error.isEmpty(),
                "a server's address is an address, or refused with a reason");
  }
}

}  // namespace

ZOLVEK_FUZZ_TARGET("program_options", ProgramOptions)
