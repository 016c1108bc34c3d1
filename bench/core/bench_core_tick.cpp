// The cost of one update tick with no device (demonstration): what the
// timer thread spends under the shared lock per tick, without the line.
#include <benchmark/benchmark.h>

#include "core/UpdateCycle.h"
#include "serial/ComPlatform.h"
#include "serial/TinyComms.h"

namespace {

void SetUpSweep(control::TSharedState& shared, screen::TZOLScreenModel& model, int linLog) {
  model.LogScale = true;
  model.SetSlotFreq(screen::StartSlot, 100.0);
  model.SetSlotFreq(screen::StopSlot, 100000.0);
  shared.Controls.RunDown = true;
  shared.Controls.SweepDown = true;
  shared.Controls.LinLogPos = linLog;
  shared.Controls.SwGaugePos = 100;
  shared.State.Flags.SweepRestart = true;
}

void BM_SweepTick(benchmark::State& run) {
  control::TSharedState shared;
  screen::TZOLScreenModel model;
  serial::TTinyComPort port;
  control::TUpdateCycle cycle(shared, model, port);
  SetUpSweep(shared, model, static_cast<int>(run.range(0)));
  for (auto _ : run) {
    cycle.TimerCallback();
    benchmark::DoNotOptimize(model.Slots[screen::FrequencySlot].Word);
  }
}
BENCHMARK(BM_SweepTick)->Arg(0)->Arg(1)->ArgNames({"log"});

void BM_ResyncTick(benchmark::State& run) {
  control::TSharedState shared;
  screen::TZOLScreenModel model;
  serial::TTinyComPort port;
  control::TUpdateCycle cycle(shared, model, port);
  shared.Controls.RunDown = true;
  for (auto _ : run) {
    shared.State.Flags.ResyncAll = true;
    cycle.TimerCallback();
  }
}
BENCHMARK(BM_ResyncTick);

}  // namespace

BENCHMARK_MAIN();
