#include "remote/RpcMessage.h"

#include <algorithm>
#include <utility>

#include "remote/XdrCodec.h"

namespace remote {
namespace {

constexpr std::uint32_t LastFragmentBit = 0x80000000u;
constexpr std::uint32_t MessageCall = 0;
constexpr std::uint32_t MessageReply = 1;
constexpr std::uint32_t ReplyAccepted = 0;
constexpr std::uint32_t ReplyDenied = 1;
constexpr std::uint32_t RejectRpcMismatch = 0;

bool SkipAuth(TXdrReader& reader) {
  std::uint32_t flavor = 0;
  std::string_view body;
  return reader.Word(flavor) && reader.Opaque(body, rpc::MaxAuthBytes);
}

TXdrWriter ReplyHeader(std::uint32_t xid) {
  TXdrWriter writer;
  writer.Word(xid);
  writer.Word(MessageReply);
  return writer;
}

}  // namespace

std::size_t TRecordReader::Feed(std::string_view bytes) {
  std::size_t taken = 0;
  while (taken < bytes.size() && !Complete && !Failed) {
    if (!InFragment) {
      Begun = true;
      Marker[MarkerBytes++] = bytes[taken++];
      if (MarkerBytes < 4) continue;
      MarkerBytes = 0;
      std::uint32_t word = 0;
      TXdrReader(std::string_view(Marker, 4)).Word(word);
      LastFragment = word & LastFragmentBit;
      Remaining = word & ~LastFragmentBit;
      if (Remaining > MaxRecord - Record.size()) {
        Failed = true;
        break;
      }
      InFragment = true;
    }
    const std::size_t part = std::min(Remaining, bytes.size() - taken);
    Record.append(bytes.substr(taken, part));
    taken += part;
    Remaining -= part;
    if (Remaining == 0) {
      InFragment = false;
      Complete = LastFragment;
    }
  }
  return taken;
}

std::string TRecordReader::TakeRecord() {
  Complete = false;
  Begun = false;
  return std::exchange(Record, std::string());
}

std::string RecordMarked(std::string_view message) {
  TXdrWriter writer;
  writer.Word(LastFragmentBit | static_cast<std::uint32_t>(message.size()));
  writer.Raw(message);
  return writer.Take();
}

TCallHeader ParseCall(std::string_view record, TRpcCall& call) {
  TXdrReader reader(record);
  std::uint32_t type = 0, version = 0;
  if (!reader.Word(call.Xid) || !reader.Word(type) || type != MessageCall || !reader.Word(version))
    return TCallHeader::NotACall;
  if (version != rpc::Version) return TCallHeader::WrongRpcVersion;
  if (!reader.Word(call.Program) || !reader.Word(call.Version) || !reader.Word(call.Procedure) ||
      !SkipAuth(reader) || !SkipAuth(reader))
    return TCallHeader::NotACall;
  call.Arguments = reader.Rest();
  return TCallHeader::Call;
}

std::string AcceptedReply(std::uint32_t xid, TAcceptStat stat, std::string_view results) {
  TXdrWriter writer = ReplyHeader(xid);
  writer.Word(ReplyAccepted);
  writer.Word(0);  // null verifier
  writer.Word(0);
  writer.Word(static_cast<std::uint32_t>(stat));
  writer.Raw(results);
  return writer.Take();
}

std::string ProgramMismatchReply(std::uint32_t xid, std::uint32_t low, std::uint32_t high) {
  TXdrWriter versions;
  versions.Word(low);
  versions.Word(high);
  return AcceptedReply(xid, TAcceptStat::ProgramMismatch, versions.Data());
}

std::string RpcMismatchReply(std::uint32_t xid) {
  TXdrWriter writer = ReplyHeader(xid);
  writer.Word(ReplyDenied);
  writer.Word(RejectRpcMismatch);
  writer.Word(rpc::Version);
  writer.Word(rpc::Version);
  return writer.Take();
}

}  // namespace remote
