// The LXI TXT entries and the service's name, the same with or without Avahi.
#include <sstream>

#include "bridge/DnsSd.h"

namespace bridge {

namespace {

constexpr std::size_t LongestName = 63;  // bytes of one DNS label

std::vector<std::string> Fields(const std::string& identity) {
  std::vector<std::string> fields;
  std::istringstream in(identity);
  for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
  fields.resize(4);
  return fields;
}

}  // namespace

std::vector<std::string> LxiTxtRecords(const std::string& identity) {
  const std::vector<std::string> f = Fields(identity);
  return {"txtvers=1", "Manufacturer=" + f[0], "Model=" + f[1], "SerialNumber=" + f[2],
          "FirmwareVersion=" + f[3]};
}

std::string ServiceName(const std::string& identity, const std::string& host) {
  const std::vector<std::string> f = Fields(identity);
  std::string name = f[0] + " " + f[1] + " on " + host;
  if (name.size() <= LongestName) return name;
  name.resize(LongestName);
  // A UTF-8 sequence that the cut left unfinished goes whole.
  std::size_t lead = name.size();
  while (lead > 0 && (static_cast<unsigned char>(name[lead - 1]) & 0xC0) == 0x80) --lead;
  if (lead == 0) return name;
  const unsigned char first = static_cast<unsigned char>(name[lead - 1]);
  const std::size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
  if (lead - 1 + length > name.size()) name.resize(lead - 1);
  return name;
}

}  // namespace bridge
