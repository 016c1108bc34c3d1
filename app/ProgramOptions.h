#pragma once
// The command line: without options the program starts as it always has.
//   --port NAME                   connect at start to the named port
//   --remote[=[ADDRESS:]PORT]     SCPI over a raw TCP socket (127.0.0.1:5025)
//   --vxi11[=ADDRESS]             the same commands over VXI-11 (127.0.0.1)
//   --allow=ADDRESS[/PREFIX][,...] the clients both servers take (all)
//   --idle-timeout=SECONDS        idle clients are closed (300; 0: never)
//   --help, --version
// Qt's own options (-platform, -display, ...) pass through to the toolkit.
// Plain C++, any thread.

#include <optional>
#include <string>
#include <vector>

namespace app {

struct TProgramOptions {
  bool Help = false;
  bool Version = false;
  std::optional<std::string> Port;
  std::optional<std::string> Remote;  // "[ADDRESS:]PORT", empty for the default
  std::optional<std::string> Vxi11;   // ADDRESS, empty for the default
  std::optional<std::string> Allow;   // the list as given; the servers read it
  std::optional<int> IdleTimeout;     // seconds, 0 for never
  std::string Error;                  // set when the line cannot be used
};

TProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments);
// The text --help prints.
std::string ProgramUsage();

}  // namespace app
