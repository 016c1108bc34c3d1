#pragma once
// ONC RPC messages: the record marking of RPC over TCP, the header of a
// call, and the replies a server sends. Plain C++; one object per thread.
//
// Our own code rather than libtirpc's svc_* layer: that layer runs its own
// select loop, reads a record with a blocking wait, and must reply before
// the service function returns, while this program serves its clients on
// the GUI thread's event loop and answers a device_write only once the tick
// has written it. What libtirpc does fit, registering with rpcbind, it does
// (RpcbindRegistration).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace remote {

namespace rpc {
constexpr std::uint32_t Version = 2;
constexpr std::uint32_t MaxAuthBytes = 400;  // of a credential or verifier
// The longest record taken: a VXI-11 write of 4096 bytes and its header
// fit with room to spare.
constexpr std::size_t MaxRecord = 16384;
}  // namespace rpc

enum class TAcceptStat : std::uint32_t {
  Success = 0,
  ProgramUnavailable = 1,
  ProgramMismatch = 2,
  ProcedureUnavailable = 3,
  GarbageArguments = 4
};

// Reassembles records from TCP bytes: each fragment starts with a word whose
// bit 31 marks the last fragment of the record and whose other bits give
// its length. A record longer than the limit breaks the stream (the
// connection must go): nothing beyond it is ever held.
class TRecordReader {
 public:
  explicit TRecordReader(std::size_t maxRecord) : MaxRecord(maxRecord) {}

  // Takes bytes up to the end of the next complete record and answers how
  // many it took; takes none while a complete record waits or once broken.
  std::size_t Feed(std::string_view bytes);
  bool HasRecord() const { return Complete; }
  std::string TakeRecord();
  // Part of a record has arrived, if only a marker (an empty fragment
  // begins a record too).
  bool Partial() const { return !Complete && Begun; }
  bool Broken() const { return Failed; }

 private:
  std::size_t MaxRecord;
  std::string Record;
  char Marker[4] = {};
  std::size_t MarkerBytes = 0;
  std::size_t Remaining = 0;  // of the fragment being read
  bool InFragment = false;
  bool Begun = false;  // a byte of the next record has come
  bool LastFragment = false;
  bool Complete = false;
  bool Failed = false;
};

// The message as one last fragment.
std::string RecordMarked(std::string_view message);

struct TRpcCall {
  std::uint32_t Xid = 0;
  std::uint32_t Program = 0;
  std::uint32_t Version = 0;
  std::uint32_t Procedure = 0;
  std::string_view Arguments;  // into the record
};

enum class TCallHeader {
  Call,             // a well-formed call of RPC version 2
  WrongRpcVersion,  // a call of another RPC version: reply RpcMismatch
  NotACall          // too short, a reply, or a bad credential: no answer
};

// Reads the call header, with the credential's and verifier's own lengths.
TCallHeader ParseCall(std::string_view record, TRpcCall& call);

// An accepted reply with a null verifier; results only for Success.
std::string AcceptedReply(std::uint32_t xid, TAcceptStat stat, std::string_view results = {});
// PROG_MISMATCH with the versions served.
std::string ProgramMismatchReply(std::uint32_t xid, std::uint32_t low, std::uint32_t high);
// MSG_DENIED, RPC_MISMATCH: only RPC version 2 is spoken.
std::string RpcMismatchReply(std::uint32_t xid);

}  // namespace remote
