#include "serial/ComThread.h"

#include <mutex>

#include "serial/ComPlatform.h"
#include "serial/EventDelivery.h"
#include "serial/TinyComms.h"

namespace serial {
namespace {

// The order in which the events of one wait are always fired.
constexpr std::uint32_t FiringOrder[] = {EvMaskRxChar, EvMaskTxEmpty, EvMaskBreak,  EvMaskRing,
                                         EvMaskCts,    EvMaskDsr,     EvMaskRxFlag, EvMaskRlsd,
                                         EvMaskErr,    EvMaskRx80Full};

// Indexed by TEvent ordinal.
constexpr std::uint32_t MaskByOrdinal[] = {EvMaskRxChar, EvMaskTxEmpty, EvMaskRxFlag, EvMaskRing,
                                           EvMaskBreak,  EvMaskCts,     EvMaskDsr,    EvMaskErr,
                                           EvMaskRlsd,   EvMaskRx80Full};

std::mutex DeliveryLock;
std::shared_ptr<TGuiDelivery> InstalledDelivery;  // guarded by DeliveryLock
TGuiDeliveryFactory DeliveryFactory = nullptr;    // guarded by DeliveryLock

}  // namespace

void SetGuiDelivery(std::shared_ptr<TGuiDelivery> delivery) {
  std::lock_guard lock(DeliveryLock);
  InstalledDelivery = std::move(delivery);
}

void SetGuiDeliveryFactory(TGuiDeliveryFactory factory) {
  std::lock_guard lock(DeliveryLock);
  DeliveryFactory = factory;
}

std::shared_ptr<TGuiDelivery> GuiDelivery() {
  TGuiDeliveryFactory factory;
  {
    std::lock_guard lock(DeliveryLock);
    if (InstalledDelivery) return InstalledDelivery;
    factory = DeliveryFactory;
  }
  return factory ? factory() : nullptr;
}

std::uint32_t EventMaskBit(int eventOrdinal) {
  return eventOrdinal >= 0 && eventOrdinal < 10 ? MaskByOrdinal[eventOrdinal] : 0;
}

std::uint32_t SystemEventMask(std::uint16_t events) {
  std::uint32_t mask = 0;
  for (int ordinal = 0; ordinal < 10; ++ordinal)
    if (events & (1u << ordinal)) mask |= MaskByOrdinal[ordinal];
  return mask;
}

void FireEvents(TTinyComPort& port, std::uint32_t mask) {
  for (std::uint32_t bit : FiringOrder)
    if (mask & bit) port.FireEventBit(bit);
}

TComThread::TComThread(TTinyComPort& port) : Port(port) {
  // The mask is fixed now; a later change of Events waits for the next Open.
  Port.Platform().SetEventMask(SystemEventMask(Port.Events()));
  if (Port.SyncMethod() != smNone) Delivery = GuiDelivery();
  Thread = std::thread(&TComThread::Execute, this);
}

TComThread::~TComThread() {
  Stop();
  // A GUI delivery in progress needs the GUI thread; keep serving it.
  if (Delivery) Delivery->WaitServing([this] { return FFinished.load(); });
  Thread.join();
}

void TComThread::Stop() { StopSignal.Set(); }

void TComThread::Execute() {
  RaiseEventThreadPriority();
  for (;;) {
    std::uint32_t mask = 0;
    if (Port.Platform().WaitEvent(StopSignal, mask) != TEventWait::Events) break;
    EventMask = mask;
    try {
      DispatchEvents();
    } catch (...) {
      break;  // a handler failed: the thread ends as the platform's would
    }
  }
  if (Port.PortPresent())
    Port.Platform().Purge(PurgeTxAbort | PurgeRxAbort | PurgeTxClear | PurgeRxClear);
  FFinished = true;
}

void TComThread::DispatchEvents() {
  switch (Port.SyncMethod()) {
    case smSynchronize:
      if (Delivery) {
        Delivery->Deliver([this] { FireEvents(Port, EventMask); });
        return;
      }
      break;
    case smWindow:
      if (Delivery) return SendEventMessages();
      break;
    case smNone:
      break;
  }
  FireEvents(Port, EventMask);
}

// One delivery per event, like one window message per event bit.
void TComThread::SendEventMessages() {
  for (std::uint32_t bit : FiringOrder)
    if (EventMask & bit) Delivery->Deliver([this, bit] { Port.FireEventBit(bit); });
}

}  // namespace serial
