#pragma once
// Where the SCPI server listens: "[ADDRESS:]PORT", an IPv6 address in
// brackets ("[::1]:5025"). Only the form is checked here; the server checks
// that the address is one. Plain C++.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace remote {

struct TListenAddress {
  std::string Host = "127.0.0.1";  // loopback unless an address is given
  std::uint16_t Port = 5025;       // 0 lets the system choose
};

// Empty for a text that is not [ADDRESS:]PORT with PORT 0..65535.
std::optional<TListenAddress> ParseListenAddress(std::string_view text);

}  // namespace remote
