#include "remote/AllowList.h"

#include <charconv>

namespace remote {
namespace {

// One ADDRESS[/PREFIX]; the prefix is the address's whole length when left out.
bool ParseSubnet(std::string_view text, std::pair<QHostAddress, int>& subnet) {
  const std::size_t slash = text.find('/');
  QHostAddress address;
  if (!address.setAddress(QString::fromUtf8(text.substr(0, slash).data(),
                                            static_cast<qsizetype>(text.substr(0, slash).size()))))
    return false;
  address = PlainAddress(address);
  const int bits = address.protocol() == QAbstractSocket::IPv4Protocol ? 32 : 128;
  int prefix = bits;
  if (slash != std::string_view::npos) {
    const std::string_view digits = text.substr(slash + 1);
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), prefix);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || prefix < 0 ||
        prefix > bits)
      return false;
  }
  subnet = {address, prefix};
  return true;
}

}  // namespace

QHostAddress PlainAddress(const QHostAddress& address) {
  bool mapped = false;
  const quint32 v4 = address.toIPv4Address(&mapped);
  return mapped && address.protocol() == QAbstractSocket::IPv6Protocol ? QHostAddress(v4) : address;
}

bool TAllowList::Parse(std::string_view text, std::string& error) {
  std::vector<std::pair<QHostAddress, int>> subnets;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string_view item = text.substr(start, comma - start);
    std::pair<QHostAddress, int> subnet;
    if (!ParseSubnet(item, subnet)) {
      error = "not ADDRESS[/PREFIX]: \"" + std::string(item) + "\"";
      return false;
    }
    subnets.push_back(subnet);
    start = comma + 1;
  }
  Subnets = std::move(subnets);
  return true;
}

bool TAllowList::Allows(const QHostAddress& address) const {
  if (Subnets.empty()) return true;
  const QHostAddress plain = PlainAddress(address);
  for (const auto& subnet : Subnets)
    if (plain.isInSubnet(subnet)) return true;
  return false;
}

}  // namespace remote
