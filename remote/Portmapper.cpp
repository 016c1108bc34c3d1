#include "remote/Portmapper.h"

#include <vector>

#include "remote/RpcMessage.h"
#include "remote/Vxi11Messages.h"
#include "remote/XdrCodec.h"

namespace remote::portmap {
namespace {

enum TProcedure : std::uint32_t { Null = 0, Set = 1, Unset = 2, GetPort = 3, Dump = 4 };
constexpr std::uint32_t GetAddr = 3;  // versions 3 and 4
constexpr std::uint32_t MaxText = 255;

struct TMapping {
  std::uint32_t Program, Version, Protocol, Port;
};

// What this portmapper knows: itself and the core channel.
std::vector<TMapping> Mappings(const TView& view) {
  std::vector<TMapping> mappings;
  for (const std::uint32_t version : {2u, 3u, 4u})
    for (const std::uint32_t protocol : {TcpProtocol, UdpProtocol})
      mappings.push_back({Program, version, protocol, view.OwnPort});
  mappings.push_back({vxi11::CoreProgram, vxi11::CoreVersion, TcpProtocol, view.CorePort});
  return mappings;
}

// The port of the mapping, 0 if there is none.
std::uint32_t PortOf(const TView& view, std::uint32_t program, std::uint32_t version,
                     std::uint32_t protocol) {
  for (const TMapping& m : Mappings(view))
    if (m.Program == program && m.Version == version && m.Protocol == protocol) return m.Port;
  return 0;
}

std::string Boolean(bool value) {
  TXdrWriter w;
  w.Boolean(value);
  return w.Take();
}

std::optional<std::string> GetPortResults(std::string_view args, const TView& view) {
  TXdrReader r(args);
  std::uint32_t program = 0, version = 0, protocol = 0, port = 0;
  if (!(r.Word(program) && r.Word(version) && r.Word(protocol) && r.Word(port)))
    return std::nullopt;
  TXdrWriter w;
  w.Word(PortOf(view, program, version, protocol));
  return w.Take();
}

std::string DumpResults(const TView& view) {
  TXdrWriter w;
  for (const TMapping& m : Mappings(view)) {
    if (m.Version != 2 && m.Program == Program) continue;  // version 2 lists only itself
    w.Boolean(true);
    w.Word(m.Program);
    w.Word(m.Version);
    w.Word(m.Protocol);
    w.Word(m.Port);
  }
  w.Boolean(false);
  return w.Take();
}

std::optional<std::string> GetAddrResults(std::string_view args, const TView& view) {
  TXdrReader r(args);
  std::uint32_t program = 0, version = 0;
  std::string_view netid, address, owner;
  if (!(r.Word(program) && r.Word(version) && r.Opaque(netid, MaxText) &&
        r.Opaque(address, MaxText) && r.Opaque(owner, MaxText)))
    return std::nullopt;
  const std::uint32_t protocol = netid == "tcp" || netid == "tcp6"   ? TcpProtocol
                                 : netid == "udp" || netid == "udp6" ? UdpProtocol
                                                                     : 0;
  const std::uint32_t port = PortOf(view, program, version, protocol);
  TXdrWriter w;
  w.Opaque(port ? UniversalAddress(view.LocalAddress, static_cast<std::uint16_t>(port))
                : std::string());
  return w.Take();
}

std::optional<std::string> Results(const TRpcCall& call, const TView& view) {
  if (call.Procedure == Null) return std::string();
  if (call.Procedure == Set || call.Procedure == Unset)
    return Boolean(false);  // nobody registers here
  if (call.Version == 2) {
    if (call.Procedure == GetPort) return GetPortResults(call.Arguments, view);
    if (call.Procedure == Dump) return DumpResults(view);
  } else if (call.Procedure == GetAddr) {
    return GetAddrResults(call.Arguments, view);
  }
  return std::nullopt;
}

}  // namespace

std::string UniversalAddress(const std::string& address, std::uint16_t port) {
  return address + "." + std::to_string(port >> 8) + "." + std::to_string(port & 0xFF);
}

std::optional<std::string> Reply(std::string_view message, const TView& view) {
  TRpcCall call;
  switch (ParseCall(message, call)) {
    case TCallHeader::NotACall:
      return std::nullopt;
    case TCallHeader::WrongRpcVersion:
      return RpcMismatchReply(call.Xid);
    case TCallHeader::Call:
      break;
  }
  if (call.Program != Program) return AcceptedReply(call.Xid, TAcceptStat::ProgramUnavailable);
  if (call.Version < 2 || call.Version > 4) return ProgramMismatchReply(call.Xid, 2, 4);
  const bool known = call.Procedure <= Dump && (call.Version == 2 || call.Procedure != Dump);
  if (!known) return AcceptedReply(call.Xid, TAcceptStat::ProcedureUnavailable);
  const std::optional<std::string> results = Results(call, view);
  if (!results) return AcceptedReply(call.Xid, TAcceptStat::GarbageArguments);
  return AcceptedReply(call.Xid, TAcceptStat::Success, *results);
}

}  // namespace remote::portmap
