// The portmapper's answers to datagrams (UDP) and records (TCP). The first
// two bytes are the core channel's port (0 stands for 1); with the top bit of the third the
// rest is a TCP stream of records, else one datagram.
// What holds: a call gets one accepted (or, for another RPC version,
// denied) reply with its xid, small enough for a datagram; what is no call
// gets none; GETPORT answers the port of the mapping asked for, or 0, as
// the table of what this portmapper knows says; GETADDR its universal
// address, or nothing; DUMP lists the mappings and ends.

#include <algorithm>
#include <optional>
#include <string>

#include "remote/Portmapper.h"
#include "remote/RpcMessage.h"
#include "remote/Vxi11Messages.h"
#include "remote/XdrCodec.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzTarget.h"
#include "tests/fuzz/RpcRecords.h"

namespace {

using namespace remote;

constexpr std::size_t MaxDatagramReply = 512;

// The mappings a client may find, written out apart from the portmapper.
std::uint32_t MappedPort(const portmap::TView& view, std::uint32_t program, std::uint32_t version,
                         std::uint32_t protocol) {
  const bool transport = protocol == portmap::TcpProtocol || protocol == portmap::UdpProtocol;
  if (program == portmap::Program && version >= 2 && version <= 4 && transport) return view.OwnPort;
  if (program == vxi11::CoreProgram && version == vxi11::CoreVersion &&
      protocol == portmap::TcpProtocol)
    return view.CorePort;
  return 0;
}

void CheckResults(const TRpcCall& call, TXdrReader& r, const portmap::TView& view) {
  TXdrReader args(call.Arguments);
  if (call.Procedure == 1 || call.Procedure == 2) {  // SET, UNSET
    bool done = true;
    fuzz::Check(r.Boolean(done) && !done, "nobody registers here");
  } else if (call.Procedure == 3 && call.Version == 2) {  // GETPORT
    std::uint32_t program = 0, version = 0, protocol = 0, port = 0, answer = 0;
    fuzz::Check(args.Word(program) && args.Word(version) && args.Word(protocol) && args.Word(port),
                "GETPORT succeeds only with its arguments");
    fuzz::Check(r.Word(answer) && answer == MappedPort(view, program, version, protocol),
                "GETPORT answers the mapping's port, or 0");
  } else if (call.Procedure == 3) {  // GETADDR
    std::uint32_t program = 0, version = 0;
    std::string_view netid, address, owner, answer;
    fuzz::Check(args.Word(program) && args.Word(version) && args.Opaque(netid, 255) &&
                    args.Opaque(address, 255) && args.Opaque(owner, 255),
                "GETADDR succeeds only with its arguments");
    const std::uint32_t protocol = netid == "tcp" || netid == "tcp6"   ? portmap::TcpProtocol
                                   : netid == "udp" || netid == "udp6" ? portmap::UdpProtocol
                                                                       : 0;
    const std::uint32_t port = MappedPort(view, program, version, protocol);
    fuzz::Check(r.Opaque(answer, 255) &&
                    answer == (port ? portmap::UniversalAddress(view.LocalAddress,
                                                                static_cast<std::uint16_t>(port))
                                    : std::string()),
                "GETADDR answers the mapping's universal address, or nothing");
  } else if (call.Procedure == 4) {  // DUMP
    bool more = true;
    int entries = 0;
    while (more && r.Boolean(more) && more) {
      std::uint32_t program = 0, version = 0, protocol = 0, port = 0;
      fuzz::Check(r.Word(program) && r.Word(version) && r.Word(protocol) && r.Word(port) &&
                      port == MappedPort(view, program, version, protocol) && port != 0,
                  "DUMP lists mappings this portmapper has");
      ++entries;
    }
    fuzz::Check(!r.Failed() && entries <= 8, "DUMP's list ends");
  }
  fuzz::Check(!r.Failed() && r.Rest().empty(), "the results are whole and nothing follows");
}

void CheckAnswer(std::string_view message, const portmap::TView& view, bool datagram) {
  const std::optional<std::string> reply = portmap::Reply(message, view);
  TRpcCall call;
  const TCallHeader header = ParseCall(message, call);
  fuzz::Check(reply.has_value() == (header != TCallHeader::NotACall),
              "a call gets a reply, and nothing else does");
  if (!reply) return;
  fuzz::Check(!datagram || reply->size() <= MaxDatagramReply, "a reply fits a datagram");
  TXdrReader r(*reply);
  std::uint32_t xid = 0, type = 0, status = 0;
  fuzz::Check(r.Word(xid) && xid == call.Xid && r.Word(type) && type == 1 && r.Word(status),
              "a reply carries its call's xid");
  if (header == TCallHeader::WrongRpcVersion) {
    std::uint32_t reject = 0, low = 0, high = 0;
    fuzz::Check(status == 1 && r.Word(reject) && reject == 0 && r.Word(low) && r.Word(high) &&
                    low == rpc::Version && high == rpc::Version && r.Rest().empty(),
                "another RPC version is denied with the one spoken");
    return;
  }
  std::uint32_t flavor = 0, stat = 0;
  std::string_view verifier;
  fuzz::Check(status == 0 && r.Word(flavor) && r.Opaque(verifier, 400) && r.Word(stat),
              "a call is accepted");
  if (call.Program != portmap::Program) {
    fuzz::Check(stat == 1 && r.Rest().empty(), "another program is unavailable");
  } else if (call.Version < 2 || call.Version > 4) {
    std::uint32_t low = 0, high = 0;
    fuzz::Check(stat == 2 && r.Word(low) && low == 2 && r.Word(high) && high == 4,
                "another version is a mismatch, naming 2 to 4");
  } else if (stat == 0) {
    fuzz::Check(call.Procedure <= 4 && !(call.Procedure == 4 && call.Version != 2),
                "only a known procedure succeeds");
    CheckResults(call, r, view);
  } else {
    fuzz::Check(stat == 3 || stat == 4, "a failed call is an unknown procedure or bad arguments");
  }
}

void Portmapper(std::string_view bytes) {
  fuzz::TFuzzInput input(bytes);
  portmap::TView view;
  // A serving core channel has a port.
  view.CorePort = std::max<std::uint16_t>(1, input.Word16());
  view.LocalAddress = "127.0.0.1";
  const bool tcp = input.Byte() & 0x80;
  if (!tcp) return CheckAnswer(input.Rest(), view, true);
  TRecordReader reader(rpc::MaxRecord);
  std::string_view stream = input.Rest();
  while (!stream.empty() && !reader.Broken()) {
    stream.remove_prefix(reader.Feed(stream));
    if (reader.HasRecord()) CheckAnswer(reader.TakeRecord(), view, false);
  }
}

}  // namespace

ZOLVEK_FUZZ_TARGET("portmapper", Portmapper)
