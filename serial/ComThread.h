#pragma once
// The serial event thread: waits for the line events selected in the port's
// Events and fires the port's handlers as its SyncMethod prescribes.
//
// It is part of the port component, with the event delivery on the GUI
// thread (serial/QtEventDelivery) and the line events of the platform
// halves, and tested as such; this program's own port selects no events,
// so in the program it never starts.
//
// Owned by TTinyComPort (created by Open when Events is not empty, destroyed
// by Close before the port is closed). Constructed and destroyed on the
// thread that opens and closes the port; the thread itself only waits,
// dispatches and, when it ends, purges the port while it is present. It runs
// at the priority RaiseEventThreadPriority gives (ComThreadPlatform.h).

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "serial/ComThreadPlatform.h"

namespace serial {

class TTinyComPort;
class TGuiDelivery;

// The system event-mask bit of each TEvent ordinal.
std::uint32_t EventMaskBit(int eventOrdinal);
// The system event mask of a set of TEvents (bit n = TEvent of ordinal n).
std::uint32_t SystemEventMask(std::uint16_t events);
// Fires the handlers of the bits in mask, each once, in the fixed order.
void FireEvents(TTinyComPort& port, std::uint32_t mask);

class TComThread {
 public:
  explicit TComThread(TTinyComPort& port);
  // Stops the thread and waits for its end.
  ~TComThread();
  TComThread(const TComThread&) = delete;
  TComThread& operator=(const TComThread&) = delete;

  void Stop();
  bool Finished() const { return FFinished; }

 private:
  void Execute();
  void DispatchEvents();
  void SendEventMessages();

  TTinyComPort& Port;
  std::uint32_t EventMask = 0;
  TStopSignal StopSignal;
  std::shared_ptr<TGuiDelivery> Delivery;
  std::atomic<bool> FFinished{false};
  std::thread Thread;
};

}  // namespace serial
