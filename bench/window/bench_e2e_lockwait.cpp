// How long the GUI thread waits for the state lock while the tick runs a
// sweep, end to end: the real main window, online, sweeping on the log scale
// at T = 1 s against the virtual generator. At random moments (every 0..2 ms,
// between turns of the event loop, so redraws run too) the GUI thread takes
// the lock as a handler does and the wait is timed.
// Target: 99th percentile under 1 ms.
// Usage: bench_e2e_lockwait [seconds (10)]

#include "bench/window/E2eBench.h"
#include "ui/GaugeBar.h"

namespace control::bench {
namespace {

constexpr double TargetP99Ms = 1.0;

std::vector<double> LockWaitsUs(TE2eRig& rig, std::chrono::seconds duration) {
  std::vector<double> waits;
  std::uniform_int_distribution<int> pauseUs(0, 2000);
  const auto end = Clock::now() + duration;
  while (Clock::now() < end) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    std::this_thread::sleep_for(std::chrono::microseconds(pauseUs(rig.Random)));
    const std::int64_t start = NowUs();
    rig.Locked([](const TControlState&, const auto&) { return 0; });
    waits.push_back(static_cast<double>(NowUs() - start));
  }
  return waits;
}

}  // namespace
}  // namespace control::bench

int main(int argc, char** argv) {
  using namespace control::bench;
  return RunE2eBenchmark(argc, argv, [&](auto makeRig) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    TE2eRig& rig = makeRig(0us);
    rig.ConnectMs();
    rig.WaitQuiet();
    rig.Form->SweepBtn->click();
    rig.Form->SwGaugeBar->setValue(1);
    rig.PressRun();
    const std::size_t mark = rig.CommandCount();
    const std::vector<double> waits = LockWaitsUs(rig, std::chrono::seconds(seconds));
    const std::size_t sent = rig.CommandCount() - mark;
    std::printf("sweep running: %zu commands in %d s\n", sent, seconds);
    const TStats s = Summarise(waits);
    PrintStats("GUI-thread lock wait", s, "us");
    bool ok = Figure("lock wait p99", s.P99 / 1000.0, "ms", "< 1", s.P99 / 1000.0 < TargetP99Ms);
    ok &= sent > static_cast<std::size_t>(seconds) * 15;
    return ok;
  });
}
