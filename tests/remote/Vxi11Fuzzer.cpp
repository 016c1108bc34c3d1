// libFuzzer target: arbitrary bytes as the TCP streams of two connections
// to the core channel and as portmapper datagrams, through the record
// reader, the call header and the service over the fake generator, ticking
// and advancing the clock between chunks. Aborts when anything holds more
// than its limits or the generator ends in a state the window cannot be in.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "remote/Portmapper.h"
#include "remote/RpcMessage.h"
#include "remote/ScpiCore.h"
#include "remote/ScpiSession.h"
#include "remote/Vxi11Service.h"
#include "tests/remote/FakeInstrument.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace remote;
  test::TFakeInstrument device;
  TScpiCore core(device);
  std::int64_t clock = 0;
  TVxi11Service service(core, [&] { return clock; });
  service.Reply = [](TVxi11Service::TConnection, std::string reply) {
    if (reply.size() > 2 * TScpiSession::MaxOutput) std::abort();
  };
  TRecordReader readers[2] = {TRecordReader(rpc::MaxRecord), TRecordReader(rpc::MaxRecord)};
  std::string_view input(reinterpret_cast<const char*>(data), size);
  for (std::size_t turn = 0; !input.empty(); ++turn) {
    const std::size_t chunk = std::min<std::size_t>(input.size(), 1 + data[turn % size] % 128);
    const std::size_t connection = turn % 3;
    if (connection == 2) {  // a datagram to the portmapper
      if (portmap::Reply(input.substr(0, chunk), {9010, 111, "127.0.0.1"}).value_or("").size() >
          512)
        std::abort();
      input.remove_prefix(chunk);
    } else {
      TRecordReader& reader = readers[connection];
      input.remove_prefix(std::max<std::size_t>(1, reader.Feed(input.substr(0, chunk))));
      TRpcCall call;
      if (reader.HasRecord()) {
        const std::string record = reader.TakeRecord();
        if (!service.Pending(connection) && ParseCall(record, call) == TCallHeader::Call)
          service.Call(connection, call);
      }
      if (reader.Broken()) {
        service.Drop(connection);
        reader = TRecordReader(rpc::MaxRecord);
      }
    }
    clock += data[turn % size];
    device.Tick();
    service.Poll();
    if (service.LinkCount() > TVxi11Service::MaxLinks || !device.Valid() ||
        core.Status().ErrorCount() > TStatusRegisters::QueueLength)
      std::abort();
  }
  return 0;
}
