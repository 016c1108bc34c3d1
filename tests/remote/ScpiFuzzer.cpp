// libFuzzer target: arbitrary bytes into two sessions over the fake
// generator, ticking between chunks. Aborts when a session holds more than
// its limits or the generator ends in a state the window cannot be in.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "remote/ScpiCore.h"
#include "remote/ScpiSession.h"
#include "tests/remote/FakeInstrument.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace remote;
  test::TFakeInstrument device;
  TScpiCore core(device);
  TScpiSession first(core), second(core);
  std::string_view input(reinterpret_cast<const char*>(data), size);
  for (std::size_t turn = 0; !input.empty(); ++turn) {
    TScpiSession& session = turn % 2 ? second : first;
    const std::size_t chunk = std::min<std::size_t>(input.size(), 1 + data[turn % size] % 64);
    input.remove_prefix(session.Receive(input.substr(0, chunk)));
    session.Process();
    while (session.HasReply())
      if (session.TakeReply().size() > 100000) std::abort();
    device.Tick();
    if (!device.Valid() || core.Status().ErrorCount() > TStatusRegisters::QueueLength) std::abort();
  }
  return 0;
}
