// Sweep pass timing, end to end: the real main window, online, sweeping
// upwards on the log scale, against the virtual generator. A pass of T
// seconds is 20 T steps of one 50 ms tick plus the restart tick, so
// (20 T + 1) x 50 ms. Measured between consecutive upward restarts, at the
// device's stamp of each restart's marker command "s" (an upward restart
// sends "s", coarse, fine, "S").
// Targets: T = 1 s, every pass 1.05 s within 2 %; T = 100 s (only with
// --long; it takes about 100 s), one pass 100.05 s within 0.5 %.
// Usage: bench_e2e_sweep [--long] [passes at T = 1 s (10)]

#include <cstring>

#include "bench/window/E2eBench.h"
#include "ui/GaugeBar.h"

namespace control::bench {
namespace {

bool IsFrequency(Kind k) { return k == Kind::Coarse || k == Kind::Fine; }

struct TRestart {
  std::size_t Index = 0;    // of its "s" among the records
  std::int64_t TimeUs = 0;  // the device's stamp of that "s"
};

// The upward restarts among the records: an "s" whose next marker command,
// after at most the coarse and fine commands, is "S". A marker crossing
// inside a pass also sends "s", but the level then stays low until the next
// restart.
std::vector<TRestart> Restarts(const std::vector<sim::TCommandRecord>& records, std::size_t from) {
  std::vector<TRestart> restarts;
  for (std::size_t i = from; i < records.size(); ++i) {
    if (records[i].Command.Kind != Kind::MarkerClear) continue;
    std::size_t j = i + 1;
    while (j < records.size() && j <= i + 2 && IsFrequency(records[j].Command.Kind)) ++j;
    if (j < records.size() && records[j].Command.Kind == Kind::MarkerSet)
      restarts.push_back({i, records[i].TimeUs});
  }
  return restarts;
}

// Every sweep tick sends exactly one fine command, the restart's included:
// their count per pass tells ticks that ran the sweep from ticks that did not.
std::size_t FineCommands(const std::vector<sim::TCommandRecord>& records, std::size_t from,
                         std::size_t to) {
  return static_cast<std::size_t>(
      std::count_if(records.begin() + static_cast<std::ptrdiff_t>(from),
                    records.begin() + static_cast<std::ptrdiff_t>(to),
                    [](const sim::TCommandRecord& r) { return r.Command.Kind == Kind::Fine; }));
}

struct TPasses {
  std::vector<double> Ms;
  std::vector<double> SweepTicks;
};

// Sweep mode, log scale, upwards, T seconds a pass; Run still up.
void PrepareSweep(TE2eRig& rig, int seconds) {
  if (!rig.Form->SweepBtn->isChecked()) rig.Form->SweepBtn->click();
  rig.Form->LinLogGauge->setValue(1);
  rig.Form->SweepDirBar->setValue(0);
  rig.Form->SwGaugeBar->setValue(seconds);
  rig.WaitQuiet();
  const auto range = rig.Locked([](const TControlState&, const screen::TZOLScreenModel& s) {
    return std::pair{s.Slots[screen::StartSlot].Freq, s.Slots[screen::StopSlot].Freq};
  });
  std::printf("sweep %.3f Hz to %.3f Hz, log, up, T = %d s\n", range.first, range.second, seconds);
}

// Presses Run and measures the first `passes` passes.
TPasses MeasurePasses(TE2eRig& rig, int seconds, int passes) {
  const std::size_t mark = rig.CommandCount();
  const std::size_t wanted = static_cast<std::size_t>(passes) + 1;
  rig.Form->RunBtn->click();
  const auto nominal = std::chrono::milliseconds((20 * seconds + 1) * 50);
  rig.PumpUntil([&] { return Restarts(rig.Device->Commands(), mark).size() >= wanted; },
                nominal * (passes + 1) + 5s);
  rig.Form->RunBtn->click();
  rig.WaitQuiet();
  const auto records = rig.Device->Commands();
  const std::vector<TRestart> restarts = Restarts(records, mark);
  if (restarts.size() < wanted) throw std::runtime_error("too few sweep restarts");
  TPasses p;
  for (std::size_t i = 1; i < wanted; ++i) {
    p.Ms.push_back(Ms(restarts[i].TimeUs - restarts[i - 1].TimeUs));
    p.SweepTicks.push_back(
        static_cast<double>(FineCommands(records, restarts[i - 1].Index, restarts[i].Index)));
  }
  return p;
}

bool BenchSweep(TE2eRig& rig, int seconds, int passes, double tolerance) {
  PrepareSweep(rig, seconds);
  const double nominal = (20.0 * seconds + 1.0) * 50.0;
  const TPasses passesMeasured = MeasurePasses(rig, seconds, passes);
  const TStats s = Summarise(passesMeasured.Ms);
  const TStats ticks = Summarise(passesMeasured.SweepTicks);
  PrintStats("pass length", s, "ms");
  std::printf("  per pass: %.2f tick periods by time, %.2f..%.2f sweep steps sent (nominal %d)\n",
              s.Mean / 50.0, ticks.Min, ticks.Max, 20 * seconds + 1);
  char target[64];
  std::snprintf(target, sizeof target, "%.0f ms +- %.1f %%", nominal, tolerance * 100);
  const double low = nominal * (1 - tolerance);
  const double high = nominal * (1 + tolerance);
  bool ok = Figure("shortest pass", s.Min, "ms", target, s.Min >= low && s.Min <= high);
  ok &= Figure("longest pass", s.Max, "ms", target, s.Max >= low && s.Max <= high);
  return ok;
}

struct TOptions {
  bool Long = false;
  int Passes = 10;
};

TOptions ParseOptions(int argc, char** argv) {
  TOptions o;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--long") == 0)
      o.Long = true;
    else
      o.Passes = std::max(1, std::atoi(argv[i]));
  }
  return o;
}

}  // namespace
}  // namespace control::bench

int main(int argc, char** argv) {
  using namespace control::bench;
  const TOptions options = ParseOptions(argc, argv);
  return RunE2eBenchmark(argc, argv, [&](auto makeRig) {
    TE2eRig& rig = makeRig(0us);
    rig.ConnectMs();
    rig.WaitQuiet();
    bool ok = BenchSweep(rig, 1, options.Passes, 0.02);
    if (options.Long) ok &= BenchSweep(rig, 100, 1, 0.005);
    return ok;
  });
}
