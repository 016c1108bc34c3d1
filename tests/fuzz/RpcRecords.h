#pragma once
// Record marking read the plain way, the whole stream at once: what the
// incremental reader must agree with however the bytes arrive.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fuzz {

struct TRecordScan {
  std::vector<std::string> Records;  // the complete records, in order
  bool Broken = false;               // a fragment took a record past the limit
};

inline TRecordScan ScanRecords(std::string_view stream, std::size_t maxRecord) {
  TRecordScan scan;
  std::string record;
  while (stream.size() >= 4) {
    std::uint32_t marker = 0;
    for (int i = 0; i < 4; ++i) marker = marker << 8 | static_cast<unsigned char>(stream[i]);
    const std::size_t length = marker & 0x7FFFFFFFu;
    if (record.size() + length > maxRecord) {
      scan.Broken = true;
      break;
    }
    if (stream.size() - 4 < length) break;
    record.append(stream.substr(4, length));
    stream.remove_prefix(4 + length);
    if (marker & 0x80000000u) scan.Records.push_back(std::exchange(record, std::string()));
  }
  return scan;
}

}  // namespace fuzz
