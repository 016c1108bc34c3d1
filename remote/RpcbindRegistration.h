#pragma once
// The core channel's entry with the system's rpcbind, through libtirpc
// (rpcb_set/rpcb_unset over rpcbind's local socket): a real ONC RPC
// library where it fits, since these are two short calls at start and at
// exit, not a server loop. Built without libtirpc, Register always fails.
//
// Owns the registration: destroying the object removes it. Thread
// contract: one thread (the GUI thread). The calls to rpcbind run on a
// thread of their own, and Register and Unregister wait at most Bound for
// them, so that an rpcbind that hangs or answers slowly holds the window
// for no longer; a registration given up on is removed if it still comes.

#include <chrono>
#include <cstdint>
#include <string>

namespace remote {

class TRpcbindRegistration {
 public:
  // A local rpcbind answers within milliseconds.
  static constexpr std::chrono::milliseconds Bound{1500};

  TRpcbindRegistration() = default;
  ~TRpcbindRegistration() { Unregister(); }
  TRpcbindRegistration(const TRpcbindRegistration&) = delete;
  TRpcbindRegistration& operator=(const TRpcbindRegistration&) = delete;

  // Registers program and version over TCP at the universal address
  // ("0.0.0.0.35.50"), first removing any entry of the pair, such as one
  // left by a program that crashed. False when no rpcbind runs or it
  // refuses, or does not answer within Bound.
  bool Register(std::uint32_t program, std::uint32_t version, const std::string& universalAddress);
  void Unregister();
  bool Registered() const { return Program != 0; }

 private:
  std::uint32_t Program = 0;
  std::uint32_t Version = 0;
};

}  // namespace remote
