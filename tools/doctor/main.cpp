// zolvek-doctor: why does a generator not connect? Lists the serial ports as
// the port dialog does and looks at each and at the machine; prints one line
// per finding with the fix to type. Changes nothing.

#include <cstdio>
#include <cstring>
#include <string>

#include "doctor/Checks.h"
#include "doctor/Report.h"
#include "doctor/SystemView.h"

namespace {

const char* const Usage =
    "Usage: zolvek-doctor [--json] [--root DIR]\n"
    "Looks at every serial port the Zolvek port dialog lists and at the system\n"
    "(groups, processes holding the port, brltty, ModemManager, virtual\n"
    "generators) and prints one line per finding with the fix to type.\n"
    "Exits 0 when at least one port can be opened, 1 otherwise. Changes nothing.\n"
    "\n"
    "  --json      print the findings as a JSON array\n"
    "  --root DIR  read /etc/group, /proc and the udev rules under DIR (for tests)\n"
    "  --help      show this text\n"
    "  --version   show the version\n";

struct TOptions {
  bool Json = false;
  std::string Root;
};

// Exit code when the options do not run the doctor, else -1.
int ParseOptions(int argc, char** argv, TOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(Usage, stdout);
      return 0;
    }
    if (arg == "--version") {
      std::printf("zolvek-doctor %s\n", ZOLVEK_VERSION);
      return 0;
    }
    if (arg == "--json") {
      options.Json = true;
    } else if (arg == "--root" && i + 1 < argc) {
      options.Root = argv[++i];
    } else {
      std::fprintf(stderr, "zolvek-doctor: unknown option %s\n%s", arg.c_str(), Usage);
      return 2;
    }
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  TOptions options;
  if (const int code = ParseOptions(argc, argv, options); code >= 0) return code;
  const doctor::TReport report = doctor::Examine(doctor::MachineView(options.Root));
  const std::string out =
      options.Json ? doctor::JsonReport(report.Findings) : doctor::TextReport(report.Findings);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return report.PortsOpened > 0 ? 0 : 1;
}
