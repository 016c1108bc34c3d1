#pragma once
// The hook through which the event thread hands line events to the GUI
// thread (SyncMethod smSynchronize and smWindow). This library carries no
// GUI; the Qt library installs a delivery (InstallQtEventDelivery). Without
// one, events are fired on the event thread itself.
//
// Thread contract: SetGuiDelivery and GuiDelivery may be called from any thread.

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

void SetGuiDelivery(std::shared_ptr<TGuiDelivery> delivery);
std::shared_ptr<TGuiDelivery> GuiDelivery();

}  // namespace serial
