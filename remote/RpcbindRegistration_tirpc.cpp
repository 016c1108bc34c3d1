#include <cstdlib>
#include <memory>
#include <rpc/rpc.h>
#include <rpc/rpcb_clnt.h>

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

}  // namespace

bool TRpcbindRegistration::Register(std::uint32_t program, std::uint32_t version,
                                    const std::string& universalAddress) {
  Unregister();
  // An IPv6 universal address holds colons.
  const char* netid = universalAddress.find(':') == std::string::npos ? "tcp" : "tcp6";
  const std::unique_ptr<netconfig, TFreeNetconfig> config(getnetconfigent(netid));
  if (!config) return false;
  const std::unique_ptr<netbuf, TFreeNetbuf> address(
      uaddr2taddr(config.get(), universalAddress.c_str()));
  if (!address) return false;
  rpcb_unset(program, version, nullptr);  // a stale entry, of every transport
  if (!rpcb_set(program, version, config.get(), address.get())) return false;
  Program = program;
  Version = version;
  return true;
}

void TRpcbindRegistration::Unregister() {
  if (!Registered()) return;
  rpcb_unset(Program, Version, nullptr);
  Program = Version = 0;
}

}  // namespace remote
