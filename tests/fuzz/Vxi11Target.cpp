// The VXI-11 core channel from the bytes two clients send over TCP: record
// marking (fragments, lengths, the record limit), the RPC call header, the
// XDR of every procedure's arguments and the service over the fake
// generator, ticking and moving the clock between pieces. The first byte
// seeds the pacing; then each piece goes to one connection or the other.
// What holds:
//   - the reader's records are those an independent reading of the stream
//     finds, however the bytes arrive, and a record marked again reads back
//     the same; a record past the limit breaks the stream and is not held;
//   - decoded arguments encode again to the bytes they came from (up to
//     the padding of their last opaque item);
//   - every call gets exactly one reply, with its xid, after it came; a
//     read's data fits the size asked, a write counts no more than it
//     carried, a link's id is positive and unique among the live ones;
//   - at most MaxLinks links, a bounded error queue, and a generator in a
//     state the window can be in.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "remote/RpcMessage.h"
#include "remote/ScpiCore.h"
#include "remote/ScpiSession.h"
#include "remote/Vxi11Messages.h"
#include "remote/Vxi11Service.h"
#include "remote/XdrCodec.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzTarget.h"
#include "tests/fuzz/RpcRecords.h"
#include "tests/remote/FakeInstrument.h"

namespace {

using namespace remote;
using TConnection = TVxi11Service::TConnection;

// The arguments of a call encoded again from what was decoded, and the
// bytes of it that need not match: the padding of a last opaque item, the
// unused high bytes of the terminating character's word. Empty when they
// do not decode.
struct TEncoded {
  std::string Bytes;
  std::size_t LooseFrom = 0, LooseTo = 0;
};

std::optional<TEncoded> Reencoded(std::uint32_t procedure, std::string_view args) {
  TXdrWriter w;
  TEncoded encoded;
  switch (procedure) {
    case vxi11::proc::CreateLink: {
      vxi11::TCreateLinkParms p;
      if (!vxi11::Decode(args, p)) return std::nullopt;
      w.Integer(p.ClientId);
      w.Boolean(p.LockDevice);
      w.Word(p.LockTimeout);
      w.Opaque(p.Device);
      encoded.LooseFrom = 16 + p.Device.size();
      break;
    }
    case vxi11::proc::DeviceWrite: {
      vxi11::TWriteParms p;
      if (!vxi11::Decode(args, p, static_cast<std::uint32_t>(args.size()))) return std::nullopt;
      w.Integer(p.Link);
      w.Word(p.IoTimeout);
      w.Word(p.LockTimeout);
      w.Integer(p.Flags);
      w.Opaque(p.Data);
      encoded.LooseFrom = 20 + p.Data.size();
      break;
    }
    case vxi11::proc::DeviceRead: {
      vxi11::TReadParms p;
      if (!vxi11::Decode(args, p)) return std::nullopt;
      for (const std::uint32_t word :
           {static_cast<std::uint32_t>(p.Link), p.RequestSize, p.IoTimeout, p.LockTimeout,
            static_cast<std::uint32_t>(p.Flags)})
        w.Word(word);
      // The terminating character travels as a whole word; only its low byte counts.
      w.Word(static_cast<unsigned char>(p.TermChar));
      encoded.LooseFrom = 20;
      encoded.LooseTo = 23;
      break;
    }
    case vxi11::proc::DeviceReadStb:
    case vxi11::proc::DeviceTrigger:
    case vxi11::proc::DeviceClear:
    case vxi11::proc::DeviceRemote:
    case vxi11::proc::DeviceLocal: {
      vxi11::TGenericParms p;
      if (!vxi11::Decode(args, p)) return std::nullopt;
      w.Integer(p.Link);
      w.Integer(p.Flags);
      w.Word(p.LockTimeout);
      w.Word(p.IoTimeout);
      break;
    }
    case vxi11::proc::DeviceLock: {
      vxi11::TLockParms p;
      if (!vxi11::Decode(args, p)) return std::nullopt;
      w.Integer(p.Link);
      w.Integer(p.Flags);
      w.Word(p.LockTimeout);
      break;
    }
    default: {
      std::int32_t link = 0;
      if (!vxi11::DecodeLink(args, link)) return std::nullopt;
      w.Integer(link);
    }
  }
  encoded.Bytes = w.Take();
  if (!encoded.LooseTo) encoded.LooseTo = std::max(encoded.LooseFrom, encoded.Bytes.size());
  return encoded;
}

void CheckArguments(std::uint32_t procedure, std::string_view args) {
  const std::optional<TEncoded> again = Reencoded(procedure, args);
  if (!again) return;
  const std::string_view bytes = again->Bytes;
  fuzz::Check(bytes.size() <= args.size(), "decoded arguments fit the bytes they came from");
  const std::size_t from = std::min(again->LooseFrom, bytes.size());
  const std::size_t to = std::min(again->LooseTo, bytes.size());
  fuzz::Check(bytes.substr(0, from) == args.substr(0, from) &&
                  bytes.substr(to) == args.substr(to, bytes.size() - to),
              "decoded arguments encode again to the same bytes");
}

// What a connection's call awaits.
struct TCall {
  std::uint32_t Xid = 0;
  std::uint32_t Procedure = 0;
  std::uint32_t RequestSize = 0;  // device_read
  std::size_t DataSize = 0;       // device_write
};

class TChannel {
 public:
  TChannel() {
    Service.Reply = [this](TConnection connection, std::string reply) {
      Answer(connection, reply);
    };
    Service.IdleFor = [this](TConnection connection) {
      return Service.Working(connection) ? 0 : Clock - LastCall[connection];
    };
    // The server closes the connection at once, which drops it.
    Service.Evict = [this](TConnection connection) { Close(connection); };
  }

  // A piece of a connection's stream; it waits while the connection's call
  // is under way, as it would in the system.
  void Feed(TConnection connection, std::string_view bytes) {
    Streams[connection].append(bytes);
    Unread[connection].append(bytes);
    Pump(connection);
  }

  void Resume() {
    for (const TConnection connection : {TConnection{1}, TConnection{2}}) Pump(connection);
  }
  void Advance(std::int64_t milliseconds) {
    Clock += milliseconds;
    Device.Tick();
    Service.Poll();
    Resume();
    fuzz::Check(Service.LinkCount() <= TVxi11Service::MaxLinks, "at most MaxLinks links");
    fuzz::Check(Device.Valid(), "the generator stays in a state the window can be in");
    fuzz::Check(Core.Status().ErrorCount() <= TStatusRegisters::QueueLength,
                "the error queue stays within its length");
  }

  // The stream of each connection that was never closed read the way an
  // independent reader reads it whole.
  void CheckRecords() const {
    for (const auto& [connection, stream] : Streams) {
      if (ClosedAt.count(connection)) continue;
      const fuzz::TRecordScan scan = fuzz::ScanRecords(stream, rpc::MaxRecord);
      const auto& seen =
          Records.count(connection) ? Records.at(connection) : std::vector<std::string>{};
      fuzz::Check(seen.size() <= scan.Records.size(), "no record beyond those in the stream");
      for (std::size_t i = 0; i < seen.size(); ++i)
        fuzz::Check(seen[i] == scan.Records[i], "records read in pieces are those of the stream");
    }
  }

 private:
  bool Closed(TConnection connection) const { return ClosedAt.count(connection) > 0; }

  void Pump(TConnection connection) {
    TRecordReader& reader = Readers.at(connection);
    while (!Closed(connection) && !Service.Pending(connection)) {
      std::string& unread = Unread[connection];
      const std::size_t taken = reader.Feed(unread);
      unread.erase(0, taken);
      if (reader.Broken()) return Close(connection);
      if (!reader.HasRecord()) return;
      Record(connection, reader.TakeRecord());
    }
  }

  void Close(TConnection connection) {
    const fuzz::TRecordScan scan = fuzz::ScanRecords(Streams[connection], rpc::MaxRecord);
    fuzz::Check(!Readers.at(connection).Broken() || scan.Broken,
                "only a record past the limit breaks the stream");
    ClosedAt.insert(connection);
    Service.Drop(connection);
    Pending.erase(connection);
  }

  void Record(TConnection connection, const std::string& record) {
    fuzz::Check(record.size() <= rpc::MaxRecord, "a record stays within the limit");
    TRecordReader again(rpc::MaxRecord);
    const std::string marked = RecordMarked(record);
    fuzz::Check(
        again.Feed(marked) == marked.size() && again.HasRecord() && again.TakeRecord() == record,
        "a record marked again reads back the same");
    Records[connection].push_back(record);
    LastCall[connection] = Clock;
    TRpcCall call;
    switch (ParseCall(record, call)) {
      case TCallHeader::NotACall:
        return Close(connection);
      case TCallHeader::WrongRpcVersion:
        return;  // the server answers that itself
      case TCallHeader::Call:
        break;
    }
    fuzz::Check(call.Arguments.data() + call.Arguments.size() == record.data() + record.size(),
                "the arguments are the rest of the record");
    TCall expected{call.Xid, call.Procedure};
    if (call.Program == vxi11::CoreProgram && call.Version == vxi11::CoreVersion) {
      CheckArguments(call.Procedure, call.Arguments);
      vxi11::TReadParms read;
      if (call.Procedure == vxi11::proc::DeviceRead && vxi11::Decode(call.Arguments, read))
        expected.RequestSize = read.RequestSize;
      vxi11::TWriteParms write;
      if (call.Procedure == vxi11::proc::DeviceWrite &&
          vxi11::Decode(call.Arguments, write, static_cast<std::uint32_t>(call.Arguments.size())))
        expected.DataSize = write.Data.size();
    }
    Pending[connection] = expected;
    Service.Call(connection, call);
  }

  void Answer(TConnection connection, const std::string& reply) {
    const auto found = Pending.find(connection);
    fuzz::Check(found != Pending.end(), "a reply answers a call under way");
    const TCall call = found->second;
    Pending.erase(found);
    TXdrReader r(reply);
    std::uint32_t xid = 0, type = 0, status = 0, flavor = 0, stat = 0;
    std::string_view verifier;
    fuzz::Check(r.Word(xid) && xid == call.Xid, "a reply carries its call's xid");
    fuzz::Check(r.Word(type) && type == 1 && r.Word(status) && status == 0 && r.Word(flavor) &&
                    r.Opaque(verifier, 400) && r.Word(stat),
                "a reply is an accepted reply");
    if (stat != 0) return;
    std::int32_t error = 0;
    fuzz::Check(r.Integer(error) || call.Procedure == vxi11::proc::Null, "a result has its error");
    if (call.Procedure == vxi11::proc::DeviceRead) {
      std::int32_t reason = 0;
      std::string_view data;
      fuzz::Check(r.Integer(reason) && r.Opaque(data, 1 << 20), "a read's result decodes");
      fuzz::Check(data.size() <= call.RequestSize, "a read's data fits the size asked");
      fuzz::Check((reason & ~7) == 0 && (error == 0 || data.empty()),
                  "a read gives data only with success, for a reason it knows");
    } else if (call.Procedure == vxi11::proc::DeviceWrite) {
      std::uint32_t size = 0;
      fuzz::Check(r.Word(size) && size <= call.DataSize, "a write counts what it carried");
    } else if (call.Procedure == vxi11::proc::CreateLink && error == 0) {
      std::int32_t link = 0;
      fuzz::Check(r.Integer(link) && link > 0, "a new link's id is positive");
    }
  }

  remote::test::TFakeInstrument Device;
  TScpiCore Core{Device};
  std::int64_t Clock = 0;
  TVxi11Service Service{Core, [this] { return Clock; }};
  std::map<TConnection, TRecordReader> Readers{{1, TRecordReader(rpc::MaxRecord)},
                                               {2, TRecordReader(rpc::MaxRecord)}};
  std::map<TConnection, std::string> Streams, Unread;
  std::map<TConnection, std::vector<std::string>> Records;
  std::map<TConnection, TCall> Pending;
  std::map<TConnection, std::int64_t> LastCall;
  std::set<TConnection> ClosedAt;
};

void Vxi11Channel(std::string_view bytes) {
  fuzz::TFuzzInput input(bytes);
  fuzz::TPacing pacing(input.Byte());
  TChannel channel;
  for (std::string_view rest = input.Rest(); !rest.empty();) {
    const std::size_t piece = 1 + pacing.Next(160);
    channel.Feed(1 + pacing.Next(2), rest.substr(0, piece));
    rest.remove_prefix(std::min(piece, rest.size()));
    channel.Advance(pacing.Next(4) == 0 ? pacing.Next(3000) : 0);
  }
  for (int tick = 0; tick < 200; ++tick) channel.Advance(50);
  channel.CheckRecords();
}

}  // namespace

ZOLVEK_FUZZ_TARGET("vxi11_channel", Vxi11Channel)
