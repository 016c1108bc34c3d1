#pragma once
// The small portmapper a VXI-11 client asks for the core channel's port
// when no rpcbind runs: version 2 (GETPORT, DUMP) and rpcbind versions 3
// and 4 (GETADDR), for the core program only. Plain C++.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace remote::portmap {

constexpr std::uint32_t Program = 100000;
constexpr std::uint16_t Port = 111;
constexpr std::uint32_t TcpProtocol = 6;
constexpr std::uint32_t UdpProtocol = 17;

struct TView {
  std::uint16_t CorePort = 0;    // the core channel's current port
  std::uint16_t OwnPort = Port;  // where this portmapper listens, for DUMP
  // The address the client reached (its universal address is this address
  // and the port: "127.0.0.1.35.50" for port 9010).
  std::string LocalAddress;
};

// The reply to a record (TCP, without its marker) or datagram, or nothing
// when it is not a call worth an answer.
std::optional<std::string> Reply(std::string_view message, const TView& view);

// "a.b.c.d.hi.lo".
std::string UniversalAddress(const std::string& address, std::uint16_t port);

}  // namespace remote::portmap
