#pragma once
// Who waits for the wire: callbacks answered once the tick that writes
// every change made so far has written it (offline: once the next tick has
// run). The remote control's *OPC? and VXI-11 writes wait here.
//
// Refers to the shared state, which must outlive it. GUI thread only; the
// window takes the written ones after each redraw and runs them outside
// every lock.

#include <cstdint>
#include <functional>
#include <vector>

#include "core/ControlState.h"

namespace control {

class TWireWaiters {
 public:
  explicit TWireWaiters(TSharedState& shared) : Shared(shared) {}

  void WhenWritten(std::function<void()> done);
  // The callbacks whose changes are written now.
  std::vector<std::function<void()>> TakeWritten();

 private:
  struct TWaiter {
    std::uint64_t Tick;  // written once TicksWritten reaches it
    std::function<void()> Done;
  };
  TSharedState& Shared;
  std::vector<TWaiter> Waiters;
};

}  // namespace control
