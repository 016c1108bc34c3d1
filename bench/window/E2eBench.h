#pragma once
// Rig of the end-to-end benchmarks: the real main window, offscreen, wired to
// the virtual generator on a pseudo-terminal, its modal dialogs answered from
// a script; plus the clock, statistics and the PASS/FAIL lines they print.
//
// Ownership: TE2eRig owns the virtual generator, the port dialog, the About
// box and the main window (which owns the scripted dialogs). TBenchEnvironment
// owns the private runtime directory the virtual port is registered in.
// Threads: everything here runs on the thread that created the QApplication;
// the device runs on its own thread and is read through its locked accessors,
// the window's tick on the timer thread, its state read under Shared.Lock.

#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/GeneratorRun.h"
#include "command/GeneratorControl.h"
#include "window/About.h"
#include "command/ControlPanel.h"
#include "window/ZOLMain.h"
#include "screen/ZOLScreen.h"
#include "serial/ComSel.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/WindowOnRun.h"
#include "sim/PtyDevice.h"
#include "ui/Dialogs.h"
#include "ui/SpeedButton.h"

namespace control::bench {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Kind = sim::TCommandKind;

// Microseconds of the clock the device stamps its records with.
inline std::int64_t NowUs() {
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch())
      .count();
}

inline std::int64_t MonotonicUs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return std::int64_t{ts.tv_sec} * 1000000 + ts.tv_nsec / 1000;
}

// The action times (steady_clock) and the device's stamps (CLOCK_MONOTONIC)
// are only comparable when both are the same clock: checks that, in µs.
inline std::int64_t SteadyMinusMonotonicUs() {
  const std::int64_t before = MonotonicUs();
  const std::int64_t steady = NowUs();
  const std::int64_t after = MonotonicUs();
  return steady - (before + after) / 2;
}

inline double Ms(std::int64_t us) { return static_cast<double>(us) / 1000.0; }

// QT_QPA_PLATFORM=offscreen unless the caller chose a platform, and a private
// XDG_RUNTIME_DIR, so that the benchmark's virtual port is seen by nothing
// else on the machine. Create it before the QApplication.
class TBenchEnvironment {
 public:
  TBenchEnvironment() {
    // Line by line, so that a long run shows its figures as they come.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::string dir = (std::filesystem::temp_directory_path() / "zolvek-bench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) throw std::runtime_error("cannot create a runtime dir");
    Dir = dir;
    setenv("XDG_RUNTIME_DIR", Dir.c_str(), 1);
  }
  ~TBenchEnvironment() {
    std::error_code ignored;
    std::filesystem::remove_all(Dir, ignored);
  }
  TBenchEnvironment(const TBenchEnvironment&) = delete;
  TBenchEnvironment& operator=(const TBenchEnvironment&) = delete;

 private:
  std::string Dir;
};

// The figures are only meaningful next to the machine's load. Also checks
// that steady_clock reads CLOCK_MONOTONIC, the clock of the device's stamps.
inline bool PrintMachineState() {
  std::ifstream loadavg("/proc/loadavg");
  std::string one, five, fifteen;
  loadavg >> one >> five >> fifteen;
  std::printf("load average: %s %s %s, %u cores; steady_clock - CLOCK_MONOTONIC = %lld us\n",
              one.c_str(), five.c_str(), fifteen.c_str(), std::thread::hardware_concurrency(),
              static_cast<long long>(SteadyMinusMonotonicUs()));
  const bool sameClock = std::llabs(SteadyMinusMonotonicUs()) < 1000;
  if (!sameClock) std::printf("steady_clock is not CLOCK_MONOTONIC: FAIL\n");
  return sameClock;
}

struct TStats {
  std::size_t Count = 0;
  double Min = 0, Median = 0, P99 = 0, Max = 0, Mean = 0;
};

// Nearest-rank percentiles of a non-empty sample.
inline TStats Summarise(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  TStats s;
  s.Count = values.size();
  if (values.empty()) return s;
  auto rank = [&](double p) {
    const auto r = static_cast<std::size_t>(std::ceil(p * static_cast<double>(values.size())));
    return values[std::clamp<std::size_t>(r, 1, values.size()) - 1];
  };
  s.Min = values.front();
  s.Median = rank(0.5);
  s.P99 = rank(0.99);
  s.Max = values.back();
  double sum = 0;
  for (double v : values) sum += v;
  s.Mean = sum / static_cast<double>(values.size());
  return s;
}

// Prints one figure against its target; true when it is met.
inline bool Figure(const char* name, double value, const char* unit, const char* target,
                   bool pass) {
  std::printf("  %-44s %10.3f %-3s (target %s) %s\n", name, value, unit, target,
              pass ? "PASS" : "FAIL");
  return pass;
}

inline void PrintStats(const char* name, const TStats& s, const char* unit) {
  std::printf("  %s: n=%zu min %.3f  median %.3f  p99 %.3f  max %.3f  mean %.3f %s\n", name,
              s.Count, s.Min, s.Median, s.P99, s.Max, s.Mean, unit);
}

// Every sample in the order taken, so that outliers can be placed in time.
inline void PrintSamples(const std::vector<double>& values, const char* unit) {
  std::printf("  samples (%s):", unit);
  for (double v : values) std::printf(" %.1f", v);
  std::printf("\n");
}

class TE2eRig : public test::TWindowOnRun {
 public:
  // replyByteDelay paces the generator's replies (1042 µs a byte is the
  // 9600 bit/s line); a pseudo-terminal by itself passes bytes at once.
  explicit TE2eRig(std::chrono::microseconds replyByteDelay = 0us) {
    sim::TPtyOptions options;
    options.PortName = "zbench" + std::to_string(::getpid());
    options.Faults.ByteDelay = replyByteDelay;
    Device = std::make_unique<sim::TPtyDevice>(options);
    PortName = options.PortName;
    Open();
    Form->show();
    PumpFor(200ms);
  }

  // The window stops the device as it closes, before the device goes.
  ~TE2eRig() {
    Destroy();
    Device.reset();
  }

  TE2eRig(const TE2eRig&) = delete;
  TE2eRig& operator=(const TE2eRig&) = delete;

  // Keeps the window's event loop turning until pred holds or time runs out.
  template <class Pred>
  static bool PumpUntil(Pred pred, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (!pred()) {
      if (Clock::now() >= end) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents);
      std::this_thread::sleep_for(500us);
    }
    return true;
  }

  static void PumpFor(std::chrono::milliseconds duration) {
    PumpUntil([] { return false; }, duration);
  }

  // Pumps for a random time below one tick, so that actions fall on every
  // phase of the 50 ms cycle rather than just after a tick.
  void RandomPhase() {
    std::uniform_int_distribution<int> us(0, 49999);
    PumpFor(std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::microseconds(us(Random))));
  }

  bool Online() {
    std::lock_guard<std::mutex> guard(Run->Shared().Lock);
    return Run->Shared().State.DeviceOnline;
  }

  // Online as the user sees it: Connect down in red, DeviceOnline set.
  bool ShowsOnline() {
    return Online() && Form->ConnectBtn->isChecked() &&
           Form->ConnectBtn->FontColor() == colors::Red;
  }

  // Presses Connect (the handshake runs inside the click) and returns the
  // time until the window shows online, in ms; throws if it does not.
  double ConnectMs() {
    const std::size_t mark = CommandCount();
    Dialogs->PortChoices.push_back(PortName);
    const std::int64_t start = NowUs();
    Form->ConnectBtn->click();
    if (!PumpUntil([&] { return ShowsOnline(); }, 5000ms))
      throw std::runtime_error("the window did not come online");
    const std::int64_t online = NowUs();
    // The handshake ends with the stop command of the first tick.
    if (!WaitForKind(Kind::Stop, mark, 2000ms))
      throw std::runtime_error("no stop command after the handshake");
    return Ms(online - start);
  }

  void ReleaseConnect() {
    Form->ConnectBtn->click();
    PumpUntil([&] { return !Online(); }, 1000ms);
  }

  std::size_t CommandCount() const { return Device->Commands().size(); }

  // When OK was pressed in the last input dialog, on the clock of NowUs.
  std::int64_t LastAnswerUs() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               Dialogs->LastAnswer.time_since_epoch())
        .count();
  }

  // The first command at or after index `from`, if one arrives in time.
  std::optional<sim::TCommandRecord> WaitForCommand(std::size_t from,
                                                    std::chrono::milliseconds timeout) {
    std::optional<sim::TCommandRecord> found;
    PumpUntil(
        [&] {
          const auto records = Device->Commands();
          if (records.size() > from) found = records[from];
          return found.has_value();
        },
        timeout);
    return found;
  }

  // The first command of this kind at or after index `from`.
  std::optional<sim::TCommandRecord> WaitForKind(Kind kind, std::size_t from,
                                                 std::chrono::milliseconds timeout) {
    std::optional<sim::TCommandRecord> found;
    PumpUntil(
        [&] {
          const auto records = Device->Commands();
          for (std::size_t i = from; i < records.size(); ++i) {
            if (records[i].Command.Kind == kind) {
              found = records[i];
              return true;
            }
          }
          return false;
        },
        timeout);
    return found;
  }

  // Pumps until no command has arrived for `quiet` (at most 3 s), so that
  // the next measurement starts from a silent line.
  void WaitQuiet(std::chrono::milliseconds quiet = 120ms) {
    std::size_t count = CommandCount();
    auto since = Clock::now();
    PumpUntil(
        [&] {
          const std::size_t now = CommandCount();
          if (now != count) {
            count = now;
            since = Clock::now();
          }
          return Clock::now() - since >= quiet;
        },
        3000ms);
  }

  // Run pressed while online; waits for its resync to reach the device.
  void PressRun() {
    const std::size_t mark = CommandCount();
    Form->RunBtn->click();
    WaitForKind(Kind::ControlWord, mark, 2000ms);
    WaitQuiet();
  }

  template <class F>
  auto Locked(F f) {
    std::lock_guard<std::mutex> guard(Run->Shared().Lock);
    return f(Run->Shared().State, Run->Shared().Model);
  }

  std::unique_ptr<sim::TPtyDevice> Device;
  std::string PortName;
  std::mt19937 Random{20261208};
};

// The main of every end-to-end benchmark: the environment and application,
// the machine's state, then body(), which builds its rig with makeRig and
// returns whether its figures met their targets. Exit code 0 within targets,
// 1 outside them, 2 when the benchmark itself failed.
template <class Body>
int RunE2eBenchmark(int argc, char** argv, Body body) {
  TBenchEnvironment environment;
  QApplication app(argc, argv);
  QApplication::setApplicationName("Zolvek");
  const bool sameClock = PrintMachineState();
  try {
    std::unique_ptr<TE2eRig> rig;
    auto makeRig = [&rig](std::chrono::microseconds replyByteDelay) -> TE2eRig& {
      rig = std::make_unique<TE2eRig>(replyByteDelay);
      return *rig;
    };
    bool ok = body(makeRig) && sameClock;
    const std::size_t unexpected =
        rig ? rig->Dialogs->Unexpected.size() + rig->Dialogs->Messages.size() : 0;
    if (unexpected != 0) {
      std::printf("unexpected dialogs: %zu\n", unexpected);
      ok = false;
    }
    std::printf("%s\n", ok ? "all within targets" : "OUTSIDE targets");
    return ok ? 0 : 1;
  } catch (const std::exception& e) {
    std::printf("benchmark failed: %s\n", e.what());
    return 2;
  }
}

}  // namespace control::bench
