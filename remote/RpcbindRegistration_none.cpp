// Without libtirpc no rpcbind is asked: the program serves its own
// portmapper or says how to reach it without one.

#include "remote/RpcbindRegistration.h"

namespace remote {

bool TRpcbindRegistration::Register(std::uint32_t, std::uint32_t, const std::string&) {
  return false;
}

void TRpcbindRegistration::Unregister() { Program = Version = 0; }

}  // namespace remote
