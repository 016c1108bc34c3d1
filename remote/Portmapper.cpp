#include "remote/Portmapper.h"

#include "remote/RpcMessage.h"
#include "remote/Vxi11Messages.h"
#include "remote/XdrCodec.h"

namespace remote::portmap {
namespace {

enum TProcedure : std::uint32_t { Null = 0, Set = 1, Unset = 2, GetPort = 3, Dump = 4 };
constexpr std::uint32_t GetAddr = 3;  // versions 3 and 4
constexpr std::uint32_t MaxText = 255;

bool IsCore(std::uint32_t program, std::uint32_t version)
{
  return program == vxi11::CoreProgram && version == vxi11::CoreVersion;
}

std::string Boolean(bool value)
{
  TXdrWriter w;
  w.Boolean(value);
  return w.Take();
}

std::optional<std::string> PortOf(std::string_view args, const TView& view)
{
  TXdrReader r(args);
  std::uint32_t program = 0, version = 0, protocol = 0, port = 0;
  if (!(r.Word(program) && r.Word(version) && r.Word(protocol) && r.Word(port))) return std::nullopt;
  TXdrWriter w;
  w.Word(IsCore(program, version) && protocol == TcpProtocol ? view.CorePort : 0);
  return w.Take();
}

std::string Mappings(const TView& view)
{
  struct TMapping {
    std::uint32_t Program, Version, Protocol, Port;
  };
  const TMapping mappings[] = {{Program, 2, TcpProtocol, view.OwnPort},
                               {Program, 2, UdpProtocol, view.OwnPort},
                               {vxi11::CoreProgram, vxi11::CoreVersion, TcpProtocol, view.CorePort}};
  TXdrWriter w;
  for (const TMapping& m : mappings) {
    w.Boolean(true);
    w.Word(m.Program);
    w.Word(m.Version);
    w.Word(m.Protocol);
    w.Word(m.Port);
  }
  w.Boolean(false);
  return w.Take();
}

std::optional<std::string> AddressOf(std::string_view args, const TView& view)
{
  TXdrReader r(args);
  std::uint32_t program = 0, version = 0;
  std::string_view netid, address, owner;
  if (!(r.Word(program) && r.Word(version) && r.Opaque(netid, MaxText) && r.Opaque(address, MaxText) &&
        r.Opaque(owner, MaxText)))
    return std::nullopt;
  TXdrWriter w;
  const bool served = IsCore(program, version) && (netid == "tcp" || netid == "tcp6");
  w.Opaque(served ? UniversalAddress(view.LocalAddress, view.CorePort) : std::string());
  return w.Take();
}

std::optional<std::string> Results(const TRpcCall& call, const TView& view)
{
  if (call.Procedure == Null) return std::string();
  if (call.Procedure == Set || call.Procedure == Unset) return Boolean(false);  // nobody registers here
  if (call.Version == 2) {
    if (call.Procedure == GetPort) return PortOf(call.Arguments, view);
    if (call.Procedure == Dump) return Mappings(view);
  } else if (call.Procedure == GetAddr) {
    return AddressOf(call.Arguments, view);
  }
  return std::nullopt;
}

}  // namespace

std::string UniversalAddress(const std::string& address, std::uint16_t port)
{
  return address + "." + std::to_string(port >> 8) + "." + std::to_string(port & 0xFF);
}

std::optional<std::string> Reply(std::string_view message, const TView& view)
{
  TRpcCall call;
  switch (ParseCall(message, call)) {
    case TCallHeader::NotACall: return std::nullopt;
    case TCallHeader::WrongRpcVersion: return RpcMismatchReply(call.Xid);
    case TCallHeader::Call: break;
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
