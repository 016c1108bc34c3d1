#pragma once
// The virtual generator on a pseudo-terminal, running on a thread of its own.
// Used by the zolvek-sim program and, in process, by end-to-end tests: the
// program under test opens SlavePath() (or LinkPath(), the registered virtual
// port) as its serial port; the test reads what the device received.
//
// Ownership: a TPtyDevice owns the pseudo-terminal's master, one descriptor
// of the slave side that it holds open itself (so that the program may close
// and reopen the port without the master seeing a hang-up), its virtual-port
// link and its device thread. Construction opens the terminal, registers the
// link and starts the thread; Stop() or destruction ends the thread, closes
// both descriptors and removes the link.
//
// Thread contract: the device thread does all I/O, decoding, answering and
// logging; it calls TPtyOptions::LogLine (one JSON line per command) and
// nothing else of the caller. Every public method may be called from any
// thread at any time, except Stop() and destruction, which belong to the
// owner's thread and must not race other calls.
// Commands(), State(), WaitForCommands() and WaitForHangUp() see what the
// device thread has done so far, under an internal lock.

#include "sim/Command.h"
#include "sim/DeviceState.h"
#include "sim/Faults.h"
#include "sim/Tables.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sim {

class TDevice;
class TPortLink;

struct TPtyOptions {
  std::string PortName;     // register as this virtual port; empty: no registration
  std::string RegistryDir;  // empty: ${XDG_RUNTIME_DIR:-/tmp}/zolvek-ports
  TFaults Faults;
  TTables Tables;
  bool KeepRecords = true;  // keep every decoded command for Commands()
  std::function<void(const std::string& jsonLine)> LogLine;  // called on the device thread
};

class TPtyDevice {
 public:
  // Throws std::system_error or std::runtime_error when the terminal cannot
  // be opened or the port name cannot be registered.
  explicit TPtyDevice(TPtyOptions options = {});
  ~TPtyDevice();
  TPtyDevice(const TPtyDevice&) = delete;
  TPtyDevice& operator=(const TPtyDevice&) = delete;

  // The slave side, e.g. "/dev/pts/3", and the registered link ("" if none).
  const std::string& SlavePath() const { return SlavePath_; }
  const std::string& LinkPath() const { return LinkPath_; }
  const TTables& Tables() const { return Tables_; }

  // Commands decoded so far (unknown bytes included), oldest first.
  std::vector<TCommandRecord> Commands() const;
  void ClearCommands();
  // Waits until at least `count` commands are recorded; false on time-out.
  bool WaitForCommands(std::size_t count, std::chrono::milliseconds timeout) const;
  // Waits until `done` holds for the commands recorded so far; false on
  // time-out. `done` runs under the device's lock on the calling thread and
  // must not call back into this object.
  bool WaitUntil(const std::function<bool(const std::vector<TCommandRecord>&)>& done,
                 std::chrono::milliseconds timeout) const;
  // Waits until a command of this kind has been recorded.
  bool WaitForKind(TCommandKind kind, std::chrono::milliseconds timeout) const;
  TDeviceState State() const;

  // Queues bytes for the program to read, as if the device sent them.
  void Send(const std::string& bytes);
  // Hangs up like a pulled cable: closes the master and removes the link;
  // returns once done. The program sees POLLHUP / EIO.
  void HangUp();
  bool HungUp() const;
  bool WaitForHangUp(std::chrono::milliseconds timeout) const;

  // Ends the device thread; idempotent.
  void Stop();

 private:
  void Run();
  void RunLoop();
  void ReadInput(TDevice& device);
  void WriteOutput(TDevice& device);
  void HandleWake(TDevice& device);
  void ReleaseExclusiveAfterClose();
  void CloseLine();

  TPtyOptions Options_;
  TTables Tables_;
  std::string SlavePath_;
  std::string LinkPath_;
  int Master_ = -1;     // device thread only, after construction
  int HeldSlave_ = -1;  // device thread only, after construction
  int WakeFd_ = -1;     // eventfd: stop, hang-up and send requests
  int WatchFd_ = -1;    // inotify on the slave node: the program closed it
  std::unique_ptr<TPortLink> Link_;

  mutable std::mutex Mutex_;
  mutable std::condition_variable Changed_;
  std::vector<TCommandRecord> Records_;  // guarded by Mutex_
  TDeviceState State_;                   // guarded by Mutex_
  std::string ToSend_;                   // guarded by Mutex_
  bool StopRequested_ = false;           // guarded by Mutex_
  bool HangUpRequested_ = false;         // guarded by Mutex_
  bool HungUp_ = false;                  // guarded by Mutex_
  bool Finished_ = false;                // guarded by Mutex_: the device thread has ended
  std::thread Thread_;
};

}  // namespace sim
