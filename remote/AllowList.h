#pragma once
// The addresses a server takes connections from, as --allow gives them:
// ADDRESS[/PREFIX][,...], IPv4 or IPv6 (an address alone is that host).
// An empty list takes everyone. An IPv4 client that reaches a server on an
// IPv6 address ("::") is matched as the IPv4 address it is.
//
// A value; Qt Network's addresses, any thread.

#include <QHostAddress>
#include <QString>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace remote {

class TAllowList {
 public:
  // Replaces the list; false, with the error for the user, for a text that
  // is not such a list (the list is then unchanged).
  bool Parse(std::string_view text, std::string& error);
  bool Allows(const QHostAddress& address) const;
  bool Empty() const { return Subnets.empty(); }

 private:
  std::vector<std::pair<QHostAddress, int>> Subnets;
};

// The address as it shows in messages: an IPv4-mapped IPv6 address as IPv4.
QHostAddress PlainAddress(const QHostAddress& address);

}  // namespace remote
