// libFuzzer entry for the virtual generator's input path (built with clang only).
// The first input byte chooses how the rest is cut into reads, so that
// commands split across reads are explored too.

#include "sim/Device.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t chunk = 1 + data[0] % 8;
  sim::TDevice device;
  std::vector<sim::TLogEntry> entries;
  for (std::size_t at = 1; at < size; at += chunk) {
    const std::size_t count = std::min(chunk, size - at);
    device.Receive(data + at, count, static_cast<std::int64_t>(at), entries);
    if (device.DecoderPending() >= 4 || device.State().TuningWord > sim::kWordMask) std::abort();
  }
  for (const auto& entry : entries)
    if (sim::FormatLogLine(entry).empty()) std::abort();
  return 0;
}
