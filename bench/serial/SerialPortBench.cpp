// Timings of the port component over a pseudo-terminal: a 4-byte command
// written without waiting, and a device's byte reaching OnRxChar (smNone).
// Each reports the median of its iterations as median_us.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "serial/TinyComms.h"
#include "tests/support/PtyPair.h"

namespace {

using Clock = std::chrono::steady_clock;

double MedianMicros(std::vector<double>& samples) {
  if (samples.empty()) return 0;
  std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
  return samples[samples.size() / 2];
}

void OpenOnPty(serial::TTinyComPort& port, const test_support::TPtyPair& pty) {
  serial::ApplyMainComPortSettings(port);
  port.SetPort(pty.SlavePath());
  port.SetPortPresent(true);
}

void BM_WriteCommandWithoutWaiting(benchmark::State& state) {
  test_support::TPtyPair pty;
  serial::TTinyComPort port;
  OpenOnPty(port, pty);
  port.Open();
  std::atomic<bool> stop{false};
  std::thread device([&] {
    while (!stop) pty.Receive(4096, 20);
  });
  const char packet[] = {'L', '\x12', '\x34', '\x56'};
  std::vector<double> samples;
  for (auto _ : state) {
    port.WaitForPending();  // as the update cycle does before each write
    const auto start = Clock::now();
    benchmark::DoNotOptimize(port.Write(packet, 4, false));
    samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  port.WaitForPending();
  stop = true;
  device.join();
  state.counters["median_us"] = MedianMicros(samples);
}
BENCHMARK(BM_WriteCommandWithoutWaiting)->Iterations(20000);

void BM_ByteToRxChar(benchmark::State& state) {
  test_support::TPtyPair pty;
  serial::TTinyComPort port;
  OpenOnPty(port, pty);
  port.SetEvents(serial::EventBit(serial::evRxChar));
  port.SetSyncMethod(serial::smNone);
  std::atomic<long long> firedAt{0};
  port.OnRxChar = [&](serial::TTinyComPort& sender, std::int32_t inQue) {
    const auto now = Clock::now().time_since_epoch().count();
    std::string s;
    sender.ReadStr(s, inQue, false);  // consume, so the next byte is news
    firedAt = now;
  };
  port.Open();
  std::vector<double> samples;
  for (auto _ : state) {
    firedAt = 0;
    const auto start = Clock::now();
    pty.Send("x");
    while (firedAt == 0) std::this_thread::yield();
    const auto fired = Clock::time_point(Clock::duration(firedAt.load()));
    samples.push_back(std::chrono::duration<double, std::micro>(fired - start).count());
  }
  port.Close();
  port.OnRxChar = nullptr;
  state.counters["median_us"] = MedianMicros(samples);
}
BENCHMARK(BM_ByteToRxChar)->Iterations(2000);

}  // namespace

BENCHMARK_MAIN();
