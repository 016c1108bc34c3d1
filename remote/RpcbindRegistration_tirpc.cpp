#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <rpc/rpc.h>
#include <rpc/rpcb_clnt.h>
#include <thread>

#include "remote/RpcbindRegistration.h"

namespace remote {
namespace {

struct TFreeNetconfig {
  void operator()(netconfig* config) const { freenetconfigent(config); }
};

struct TFreeNetbuf {
  void operator()(netbuf* buffer) const {
    std::free(buffer->buf);
    std::free(buffer);
  }
};

// Removes any entry of the pair, such as one left by a program that
// crashed, and sets the new one.
bool SetEntry(std::uint32_t program, std::uint32_t version, const std::string& universalAddress) {
  // An IPv6 universal address holds colons.
  const char* netid = universalAddress.find(':') == std::string::npos ? "tcp" : "tcp6";
  const std::unique_ptr<netconfig, TFreeNetconfig> config(getnetconfigent(netid));
  if (!config) return false;
  const std::unique_ptr<netbuf, TFreeNetbuf> address(
      uaddr2taddr(config.get(), universalAddress.c_str()));
  if (!address) return false;
  rpcb_unset(program, version, nullptr);  // a stale entry, of every transport
  return rpcb_set(program, version, config.get(), address.get());
}

// A call's outcome, shared by the caller and the thread that makes it.
struct TCallState {
  std::mutex Lock;
  std::condition_variable Finish;
  bool Finished = false;
  bool Done = false;
  bool GivenUp = false;
};

// Runs the call to rpcbind on a thread of its own and waits for it at
// most the bound: libtirpc waits a minute for an rpcbind that does not
// answer. When the caller has given up on it and it succeeds after all,
// undo (if any) takes it back, since the caller went on without it.
bool RunBounded(std::function<bool()> call, std::function<void()> undo) {
  const auto state = std::make_shared<TCallState>();
  std::thread([state, call = std::move(call), undo = std::move(undo)] {
    const bool done = call();
    std::lock_guard lock(state->Lock);
    if (state->GivenUp && done && undo) undo();
    state->Finished = true;
    state->Done = done;
    state->Finish.notify_all();
  }).detach();
  std::unique_lock lock(state->Lock);
  if (state->Finish.wait_for(lock, TRpcbindRegistration::Bound, [&] { return state->Finished; }))
    return state->Done;
  state->GivenUp = true;
  return false;
}

}  // namespace

bool TRpcbindRegistration::Register(std::uint32_t program, std::uint32_t version,
                                    const std::string& universalAddress) {
  Unregister();
  const bool done = RunBounded(
      [program, version, universalAddress] { return SetEntry(program, version, universalAddress); },
      [program, version] { rpcb_unset(program, version, nullptr); });
  if (!done) return false;
  Program = program;
  Version = version;
  return true;
}

void TRpcbindRegistration::Unregister() {
  if (!Registered()) return;
  const std::uint32_t program = Program, version = Version;
  RunBounded([program, version] { return rpcb_unset(program, version, nullptr) != 0; }, {});
  Program = Version = 0;
}

}  // namespace remote
