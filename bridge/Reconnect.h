#pragma once
// Keeps the generator online: connects to the port at start, and after
// every loss of the device (unplugged, hung up, a failed probe) connects
// again with the full handshake as soon as the port is back, then presses
// Run and Pause again if they were down before the loss (the handshake
// releases them; every other setting stays in the command path across the
// loss and the handshake's resync sends it all).
//
// When the port is back: at once when the removal watcher reports it (udev's
// "add", a virtual port's new link), and otherwise by a retry that waits
// longer each time, from FirstRetryMs up to LongestRetryMs, so that a bridge
// without udev, or whose port stayed present, still comes back. A port that
// a client connected (SYST:CONN) is kept the same way once it is lost.
//
// Refers to the device calls, which must outlive it. GUI thread only; a
// handshake's waits run the event loop, and an arrival meanwhile waits.

#include <QTimer>
#include <functional>
#include <optional>
#include <string>

#include "bridge/Journal.h"

namespace bridge {

class TDeviceCalls;

struct TRetryTimes {
  int FirstRetryMs = 1000;
  int LongestRetryMs = 16000;
};

class TReconnect {
 public:
  // The port's name now for what --port gave, nothing while it is missing
  // (CurrentPortName); error set when it can never be a port.
  using TLookup = std::function<std::optional<std::string>(const std::string&, std::string&)>;
  // The port list's description of a port, for the journal ("" if none).
  using TDescribe = std::function<std::string(const std::string&)>;

  TReconnect(TDeviceCalls& device, TLookup lookup, TDescribe describe, TSay say,
             TRetryTimes times = {});
  // The device calls no longer reach it.
  ~TReconnect();
  TReconnect(const TReconnect&) = delete;
  TReconnect& operator=(const TReconnect&) = delete;

  // Keeps this port online from now on; the first attempt runs at once.
  void Keep(const std::string& given);
  // A port has appeared: an attempt at once, when one is due.
  void PortAppeared(const std::string& name);
  // An attempt is due: the kept port is not online.
  bool Waiting() const { return Pending; }
  // The wait before the next attempt, -1 when none is due.
  int RetryInMs() const { return Retry.isActive() ? Retry.interval() : -1; }
  // What is kept, as given.
  const std::string& Kept() const { return Given; }
  // Called after the device went online or was lost.
  std::function<void()> OnlineChanged;

 private:
  void Changed();
  void Lost();
  void Attempt();
  void Connected(const std::string& name, const std::string& how);
  void RetryLater(const std::string& why);

  TDeviceCalls& Device;
  TLookup Lookup;
  TDescribe Describe;
  TSay Say;
  TRetryTimes Times;
  QTimer Retry;
  std::string Given;     // as --port gave it, or as a client connected it
  bool Pending = false;  // an attempt is due
  bool Attempting = false;
  bool EverOnline = false;
  bool WasOnline = false;
  int NextRetryMs = 0;
  std::string LastWhy;  // the failure last told, not told again
  // Run and Pause as last seen online, as last seen while the device is
  // away, and as they are to be when it is back.
  bool RunOnline = false;
  bool PauseOnline = false;
  bool RunOffline = false;
  bool PauseOffline = false;
  bool RunWanted = false;
  bool PauseWanted = false;
};

}  // namespace bridge
