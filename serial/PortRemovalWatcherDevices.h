#pragma once
// The system half of TPortRemovalWatcher: watches the machine's devices and
// emits the owner's PortRemoved for each port that goes (and, on POSIX,
// PortAdded for each that comes). GUI thread only.

#include "serial/PortRemovalWatcher.h"

namespace serial {

class TPortRemovalWatcher::TDeviceWatch {
 public:
  explicit TDeviceWatch(TPortRemovalWatcher& owner);
  ~TDeviceWatch();
  TDeviceWatch(const TDeviceWatch&) = delete;
  TDeviceWatch& operator=(const TDeviceWatch&) = delete;

  bool Monitoring() const;

 private:
  struct TState;
  std::unique_ptr<TState> State;
};

}  // namespace serial
