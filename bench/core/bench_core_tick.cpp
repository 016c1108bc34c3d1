// The cost of one update tick with no device (demonstration): what the
// timer thread spends under the shared lock per tick, without the line.
#include <benchmark/benchmark.h>

#include "core/UpdateCycle.h"
#include "serial/ComPlatform.h"
#include "serial/TinyComms.h"

namespace {

void SetUpSweep(control::TGeneratorSettings& s, bool logarithmic) {
  s.SetStart(control::AskedFrequency(100.0));
  s.SetStop(control::AskedFrequency(100000.0));
  s.SetRun(true);
  s.SetMode(control::TMode::Sweep);
  s.SetLogSpacing(logarithmic);
  s.SetSweepTime(100);
  s.RequestSweepRestart();
}

void BM_SweepTick(benchmark::State& run) {
  control::TSharedState shared;
  serial::TTinyComPort port;
  control::TUpdateCycle cycle(shared, port);
  SetUpSweep(shared.Settings, run.range(0) != 0);
  for (auto _ : run) {
    cycle.TimerCallback();
    benchmark::DoNotOptimize(shared.Settings.Frequency().Word);
  }
}
BENCHMARK(BM_SweepTick)->Arg(0)->Arg(1)->ArgNames({"log"});

void BM_ResyncTick(benchmark::State& run) {
  control::TSharedState shared;
  serial::TTinyComPort port;
  control::TUpdateCycle cycle(shared, port);
  shared.Settings.SetRun(true);
  for (auto _ : run) {
    shared.Settings.RequestResync();
    cycle.TimerCallback();
  }
}
BENCHMARK(BM_ResyncTick);

}  // namespace

BENCHMARK_MAIN();
