// From a user action to the first command byte at the device, end to end:
// the real main window, online and running, against the virtual generator.
// Actions: Set (the moment OK is pressed in the input dialog), a press of
// the up arrow, and one drag move of the Frequency pointer on the scale.
// The action time is taken on steady_clock, the device stamps each command on
// CLOCK_MONOTONIC; every action falls on a random phase of the 50 ms tick.
// Target: 99th percentile under 60 ms for each action.
// Usage: bench_e2e_latency [samples per action (100)]

#include "bench/window/E2eBench.h"

namespace control::bench {
namespace {

constexpr double TargetP99Ms = 60.0;

bool IsFrequencyCommand(const sim::TCommandRecord& r) {
  return r.Command.Kind == Kind::Coarse || r.Command.Kind == Kind::Fine;
}

// Waits for the action's first command and returns its latency in ms.
double FirstCommandMs(TE2eRig& rig, std::size_t mark, std::int64_t actionUs) {
  const auto first = rig.WaitForCommand(mark, 1000ms);
  if (!first) throw std::runtime_error("the action sent nothing");
  if (!IsFrequencyCommand(*first)) throw std::runtime_error("the first command is no frequency");
  return Ms(first->TimeUs - actionUs);
}

double SetSample(TE2eRig& rig, int i) {
  rig.Dialogs->Answers.push_back(i % 2 == 0 ? "1234.5" : "2345.6");
  const std::size_t mark = rig.CommandCount();
  rig.Form->FSetBtn->click();
  return FirstCommandMs(rig, mark, rig.LastAnswerUs());
}

double ArrowSample(TE2eRig& rig, int) {
  const std::size_t mark = rig.CommandCount();
  const std::int64_t action = NowUs();
  rig.Form->ControlMouseDown(rig.Form->FRightBtn->Tag, Qt::LeftButton);
  const double ms = FirstCommandMs(rig, mark, action);
  // Released well before the auto-repeat (10 redraws) would step again.
  rig.Form->ControlMouseUp(Qt::LeftButton);
  return ms;
}

struct TDragStart {
  int X = 0;
  int Y = 0;
};

// Grabs the Frequency pointer in the band below the scale.
TDragStart GrabFrequencyPointer(TE2eRig& rig) {
  const TDragStart at = rig.Locked([](const TControlState&, const screen::TZOLScreenModel& s) {
    return TDragStart{s.PositionToX(s.Slots[screen::FrequencySlot].Position), s.BitmapHeight - 28};
  });
  rig.Form->Image321MouseDown(Qt::LeftButton, at.X, at.Y);
  const int dragged =
      rig.Locked([](const TControlState& c, const screen::TZOLScreenModel&) { return c.DragSlot; });
  if (dragged != screen::FrequencySlot) throw std::runtime_error("the pointer was not grabbed");
  return at;
}

double DragSample(TE2eRig& rig, const TDragStart& at, int i) {
  const std::size_t mark = rig.CommandCount();
  const std::int64_t action = NowUs();
  rig.Form->Image321MouseMove(at.X + (i % 2 == 0 ? 30 : -30), at.Y);
  return FirstCommandMs(rig, mark, action);
}

template <class Sample>
bool Bench(TE2eRig& rig, const char* name, int samples, Sample sample) {
  std::vector<double> ms;
  for (int i = 0; i < samples; ++i) {
    rig.WaitQuiet(80ms);
    rig.RandomPhase();
    ms.push_back(sample(i));
  }
  rig.WaitQuiet(80ms);
  const TStats s = Summarise(ms);
  std::printf("%s, action to first command byte\n", name);
  PrintStats(name, s, "ms");
  return Figure((std::string(name) + " p99").c_str(), s.P99, "ms", "< 60", s.P99 < TargetP99Ms);
}

int Samples(int argc, char** argv) { return argc > 1 ? std::max(1, std::atoi(argv[1])) : 100; }

}  // namespace
}  // namespace control::bench

int main(int argc, char** argv) {
  using namespace control::bench;
  return RunE2eBenchmark(argc, argv, [&](auto makeRig) {
    const int n = Samples(argc, argv);
    TE2eRig& rig = makeRig(0us);
    rig.ConnectMs();
    rig.WaitQuiet();
    rig.PressRun();
    bool ok = Bench(rig, "Set", n, [&](int i) { return SetSample(rig, i); });
    ok &= Bench(rig, "up arrow", n, [&](int i) { return ArrowSample(rig, i); });
    const TDragStart at = GrabFrequencyPointer(rig);
    ok &= Bench(rig, "drag move", n, [&](int i) { return DragSample(rig, at, i); });
    rig.Form->Image321MouseUp(Qt::LeftButton);
    return ok;
  });
}
