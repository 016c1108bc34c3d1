// How fast the virtual generator takes commands. At 9600 baud the program can
// send at most 960 bytes (240 packets) a second; the decoder and the device
// must handle that with room to spare, and take each command within 1 ms of
// its last byte.

#include "sim/Clock.h"
#include "sim/Decoder.h"
#include "sim/Device.h"
#include "sim/PtyDevice.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <random>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

// What a sweep with marker and pulse settings sends, with a little garbage.
std::vector<std::uint8_t> CommandMix(std::size_t size) {
  std::mt19937 random(5);
  std::vector<std::uint8_t> bytes;
  while (bytes.size() < size) {
    switch (random() % 6) {
      case 0:
        bytes.insert(bytes.end(), {0x4C, 0x4A, 0xDE, 0xBC});
        break;
      case 1:
        bytes.insert(bytes.end(), {0x4C, 0xBF, 0x18, 0xFC});
        break;
      case 2:
        bytes.insert(bytes.end(), {0x4C, 0x10, 0x28, 0x20});
        break;
      case 3:
        bytes.insert(bytes.end(), {'w', 0x34, 0x12});
        break;
      case 4:
        bytes.push_back(random() % 2 ? 'S' : 's');
        break;
      default:
        bytes.push_back(0xEE);
        break;
    }
  }
  return bytes;
}

void BM_DecoderThroughput(benchmark::State& state) {
  const auto bytes = CommandMix(64 * 1024);
  std::vector<sim::TCommand> out;
  out.reserve(bytes.size());
  for (auto _ : state) {
    sim::TDecoder decoder;
    out.clear();
    decoder.Feed(bytes.data(), bytes.size(), out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_DecoderThroughput);

// Decoding, state, answers and the JSON log line, as the device thread does per read.
void BM_DeviceWithLogThroughput(benchmark::State& state) {
  const auto bytes = CommandMix(16 * 1024);
  std::vector<sim::TLogEntry> entries;
  std::size_t logBytes = 0;
  for (auto _ : state) {
    sim::TDevice device;
    entries.clear();
    for (std::size_t at = 0; at < bytes.size(); at += 16)
      device.Receive(bytes.data() + at, std::min<std::size_t>(16, bytes.size() - at), 0, entries);
    for (const auto& entry : entries) logBytes += sim::FormatLogLine(entry).size();
  }
  benchmark::DoNotOptimize(logBytes);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_DeviceWithLogThroughput);

// Time from writing a packet's last byte into the pseudo-terminal to the
// device's record of the packet (its timestamp), measured per packet.
void BM_PtyLastByteToRecord(benchmark::State& state) {
  sim::TPtyDevice device;
  const int fd = ::open(device.SlavePath().c_str(), O_RDWR | O_NOCTTY);
  termios tio{};
  ::tcgetattr(fd, &tio);
  ::cfmakeraw(&tio);
  ::tcsetattr(fd, TCSANOW, &tio);
  const std::uint8_t head[] = {0x4C, 0xC0, 0x01};
  const std::uint8_t last = 0x00;
  std::size_t count = 0;
  std::int64_t worstUs = 0;
  for (auto _ : state) {
    [[maybe_unused]] auto written = ::write(fd, head, sizeof head);
    const std::int64_t sentUs = sim::MonotonicUs();
    written = ::write(fd, &last, 1);
    device.WaitForCommands(++count, std::chrono::seconds(2));
    const std::int64_t delayUs = device.Commands().back().TimeUs - sentUs;
    worstUs = std::max(worstUs, delayUs);
    state.SetIterationTime(static_cast<double>(delayUs) * 1e-6);
    if (count % 1000 == 0) {
      device.ClearCommands();
      count = 0;
    }
  }
  state.counters["worst_us"] = static_cast<double>(worstUs);
  ::close(fd);
}
BENCHMARK(BM_PtyLastByteToRecord)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

}  // namespace

BENCHMARK_MAIN();
