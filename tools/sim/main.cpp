// zolvek-sim: the virtual generator as a program. See SimUsage() for the options.

#include "sim/PtyDevice.h"
#include "sim/SimOptions.h"
#include "sim/StatusLine.h"

#include <csignal>
#include <cstdio>
#include <ctime>
#include <exception>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

struct TFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Blocks the ending signals in every thread (the device thread inherits the
// mask), so that the main thread takes them synchronously with sigtimedwait
// and can remove the link in an orderly way.
sigset_t BlockEndingSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  return set;
}

// Redraws the status line in place when it changed.
void ShowStatus(const sim::TPtyDevice& device, std::string& shown) {
  const std::string line = sim::FormatStatus(device.State(), device.Tables());
  if (line == shown) return;
  shown = line;
  std::fprintf(stderr, "\r%s\x1b[K", line.c_str());
  std::fflush(stderr);
}

int Serve(const sim::TSimOptions& options, std::FILE* log) {
  const sigset_t endingSignals = BlockEndingSignals();
  sim::TPtyOptions ptyOptions;
  ptyOptions.PortName = options.Register ? options.Name : std::string();
  ptyOptions.Faults = options.Faults;
  ptyOptions.KeepRecords = false;
  ptyOptions.LogLine = [log](const std::string& line) {
    std::fputs(line.c_str(), log);
    std::fputc('\n', log);
    std::fflush(log);
  };
  sim::TPtyDevice device(std::move(ptyOptions));
  std::fprintf(stderr, "zolvek-sim: port %s at %s%s%s\n", options.Name.c_str(),
               device.SlavePath().c_str(), device.LinkPath().empty() ? "" : ", registered as ",
               device.LinkPath().c_str());
  const bool status = options.Status && ::isatty(STDERR_FILENO);
  if (options.Status && !status)
    std::fprintf(stderr, "zolvek-sim: --status needs a terminal on standard error\n");
  const timespec period{0, 100'000'000};
  std::string shown;
  while (!device.HungUp()) {
    if (status) ShowStatus(device, shown);
    const int signal = sigtimedwait(&endingSignals, nullptr, &period);
    if (signal > 0) break;
  }
  const bool hungUp = device.HungUp();
  device.Stop();
  if (status) std::fputc('\n', stderr);
  if (hungUp) std::fprintf(stderr, "zolvek-sim: hung up\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  sim::TSimOptions options;
  try {
    options = sim::ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "zolvek-sim: %s\n%s", error.what(), sim::SimUsage().c_str());
    return 2;
  }
  if (options.Help) {
    std::fputs(sim::SimUsage().c_str(), stdout);
    return 0;
  }
  std::unique_ptr<std::FILE, TFileCloser> logFile;
  if (!options.LogFile.empty()) {
    logFile.reset(std::fopen(options.LogFile.c_str(), "w"));
    if (!logFile) {
      std::perror(("zolvek-sim: " + options.LogFile).c_str());
      return 1;
    }
  }
  try {
    return Serve(options, logFile ? logFile.get() : stdout);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "zolvek-sim: %s\n", error.what());
    return 1;
  }
}
