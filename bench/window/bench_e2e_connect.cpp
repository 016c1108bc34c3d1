// Connection and Run, end to end: the real main window against the virtual
// generator.
//  1. Handshake: Connect click (port dialog answered with the generator's
//     port) until the window shows online; the handshake's own waits are
//     1.3 s, target under 1.8 s.
//  2. Run pressed while online until the last byte of its resync (the
//     waveform command) reaches the device; target under 120 ms.
// Usage: bench_e2e_connect [--9600] [handshakes (5)] [run presses (20)]
// --9600 paces the generator's replies at the line's byte time (1.04 ms);
// the program's own writes still pass the pseudo-terminal at once.

#include "bench/window/E2eBench.h"

namespace control::bench {
namespace {

bool BenchHandshake(TE2eRig& rig, int repeats) {
  std::printf("Handshake, Connect click to online (%d times)\n", repeats);
  std::vector<double> ms;
  for (int i = 0; i < repeats; ++i) {
    ms.push_back(rig.ConnectMs());
    rig.WaitQuiet();
    rig.ReleaseConnect();
    rig.PumpFor(100ms);
  }
  const TStats s = Summarise(ms);
  PrintStats("connect to online", s, "ms");
  bool ok = Figure("handshake min", s.Min, "ms", "< 1800", s.Min < 1800);
  ok &= Figure("handshake median", s.Median, "ms", "< 1800", s.Median < 1800);
  ok &= Figure("handshake max", s.Max, "ms", "< 1800", s.Max < 1800);
  return ok;
}

// One Run press: from the click to the device's stamp of the resync's last
// command; then Run is released again and the line left to fall silent.
double RunToLastResyncByteMs(TE2eRig& rig) {
  const std::size_t mark = rig.CommandCount();
  const std::int64_t pressed = NowUs();
  rig.Form->RunBtn->click();
  const auto last = rig.WaitForKind(Kind::ControlWord, mark, 2000ms);
  if (!last) throw std::runtime_error("Run sent no waveform command");
  const double ms = Ms(last->TimeUs - pressed);
  rig.WaitQuiet();

  const std::size_t released = rig.CommandCount();
  rig.Form->RunBtn->click();
  if (!rig.WaitForKind(Kind::Stop, released, 2000ms))
    throw std::runtime_error("Run released sent no stop command");
  rig.WaitQuiet();
  rig.RandomPhase();
  return ms;
}

bool BenchRun(TE2eRig& rig, int repeats) {
  std::printf("Run pressed (online) to the last resync byte at the device (%d times)\n", repeats);
  rig.ConnectMs();
  rig.WaitQuiet();
  std::vector<double> ms;
  for (int i = 0; i < repeats; ++i) ms.push_back(RunToLastResyncByteMs(rig));
  const TStats s = Summarise(ms);
  PrintSamples(ms, "ms");
  PrintStats("run to last resync byte", s, "ms");
  bool ok = Figure("run resync median", s.Median, "ms", "< 120", s.Median < 120);
  ok &= Figure("run resync max", s.Max, "ms", "< 120", s.Max < 120);
  return ok;
}

struct TOptions {
  bool LineSpeed = false;
  std::vector<int> Counts;
};

TOptions ParseOptions(int argc, char** argv) {
  TOptions o;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--9600")
      o.LineSpeed = true;
    else
      o.Counts.push_back(std::max(1, std::atoi(argv[i])));
  }
  return o;
}

int Count(const TOptions& o, std::size_t index, int fallback) {
  return o.Counts.size() > index ? o.Counts[index] : fallback;
}

}  // namespace
}  // namespace control::bench

int main(int argc, char** argv) {
  using namespace control::bench;
  return RunE2eBenchmark(argc, argv, [&](auto makeRig) {
    const TOptions options = ParseOptions(argc, argv);
    if (options.LineSpeed) std::printf("replies paced at 1042 us a byte\n");
    TE2eRig& rig = makeRig(options.LineSpeed ? 1042us : 0us);
    bool ok = BenchHandshake(rig, Count(options, 0, 5));
    ok &= BenchRun(rig, Count(options, 1, 20));
    return ok;
  });
}
