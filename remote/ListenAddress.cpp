#include "remote/ListenAddress.h"

#include <charconv>

namespace remote {

std::optional<TListenAddress> ParseListenAddress(std::string_view text) {
  TListenAddress address;
  std::string_view port = text;
  const std::size_t colon = text.rfind(':');
  if (colon != std::string_view::npos) {
    std::string_view host = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
      host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string_view::npos) {
      return std::nullopt;  // an IPv6 address needs its brackets
    }
    if (host.empty()) return std::nullopt;
    address.Host = std::string(host);
  }
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
  if (port.empty() || ec != std::errc() || end != port.data() + port.size() || value > 65535)
    return std::nullopt;
  address.Port = static_cast<std::uint16_t>(value);
  return address;
}

}  // namespace remote
