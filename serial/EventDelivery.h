#pragma once
// The hook through which the event thread hands line events to the GUI
// thread (SyncMethod smSynchronize and smWindow). This library carries no
// GUI. A GUI library registers a factory when the program starts (the Qt one
// does so by being linked, QtEventDelivery.h), and every port with events
// that opens gets a delivery from it; a delivery set with SetGuiDelivery
// takes precedence. Without either (a program without a GUI), events are
// fired on the event thread itself.
//
// Thread contract: every function here may be called from any thread.

#include <functional>
#include <memory>

namespace serial {

class TGuiDelivery {
 public:
  virtual ~TGuiDelivery() = default;
  // Event thread: runs call on the GUI thread and returns once it has run.
  virtual void Deliver(const std::function<void()>& call) = 0;
  // Thread that ends the event thread: waits until finished() is true while
  // serving deliveries, so a delivery in progress can always complete.
  virtual void WaitServing(const std::function<bool()>& finished) = 0;
};

// Makes a delivery for one opened port, or null when there is no GUI thread.
using TGuiDeliveryFactory = std::shared_ptr<TGuiDelivery> (*)();

void SetGuiDelivery(std::shared_ptr<TGuiDelivery> delivery);
void SetGuiDeliveryFactory(TGuiDeliveryFactory factory);
// The delivery set, else a new one from the factory, else null.
std::shared_ptr<TGuiDelivery> GuiDelivery();

}  // namespace serial
