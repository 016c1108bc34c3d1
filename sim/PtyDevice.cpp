#include "sim/PtyDevice.h"

#include "sim/Clock.h"
#include "sim/Device.h"
#include "sim/PortRegistry.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {

std::system_error SystemError(const char* what) {
  return std::system_error(errno, std::generic_category(), what);
}

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Raw 8N1 at 9600 baud, so that nothing is echoed or translated before the
// program sets the line up itself.
void MakeRaw(int fd) {
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) return;
  ::cfmakeraw(&tio);
  ::cfsetispeed(&tio, B9600);
  ::cfsetospeed(&tio, B9600);
  tio.c_cflag |= CLOCAL | CREAD;
  ::tcsetattr(fd, TCSANOW, &tio);
}

timespec UsToTimespec(std::int64_t us) {
  return {static_cast<time_t>(us / 1'000'000), static_cast<long>(us % 1'000'000) * 1000};
}

}  // namespace

TPtyDevice::TPtyDevice(TPtyOptions options)
    : Options_(std::move(options)), Tables_(Options_.Tables) {
  Master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (Master_ < 0) throw SystemError("posix_openpt");
  try {
    if (::grantpt(Master_) != 0 || ::unlockpt(Master_) != 0) throw SystemError("unlockpt");
    char name[128];
    if (::ptsname_r(Master_, name, sizeof name) != 0) throw SystemError("ptsname_r");
    SlavePath_ = name;
    HeldSlave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (HeldSlave_ < 0) throw SystemError("open pty slave");
    MakeRaw(HeldSlave_);
    ::fcntl(Master_, F_SETFL, ::fcntl(Master_, F_GETFL) | O_NONBLOCK);
    WakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (WakeFd_ < 0) throw SystemError("eventfd");
    WatchFd_ = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (WatchFd_ >= 0) ::inotify_add_watch(WatchFd_, name, IN_CLOSE_WRITE | IN_CLOSE_NOWRITE);
    if (!Options_.PortName.empty()) {
      const std::string dir =
          Options_.RegistryDir.empty() ? DefaultRegistryDir() : Options_.RegistryDir;
      Link_ = std::make_unique<TPortLink>(dir, Options_.PortName, SlavePath_);
      LinkPath_ = Link_->Path();
    }
  } catch (...) {
    CloseFd(WatchFd_);
    CloseFd(WakeFd_);
    CloseFd(HeldSlave_);
    CloseFd(Master_);
    throw;
  }
  Thread_ = std::thread([this] { Run(); });
}

TPtyDevice::~TPtyDevice() { Stop(); }

static void Wake(int fd) {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(fd, &one, sizeof one);
}

void TPtyDevice::Stop() {
  if (!Thread_.joinable()) return;
  {
    std::lock_guard lock(Mutex_);
    StopRequested_ = true;
  }
  Wake(WakeFd_);
  Thread_.join();
  CloseLine();
  CloseFd(WatchFd_);
  CloseFd(WakeFd_);
}

void TPtyDevice::CloseLine() {
  CloseFd(Master_);
  CloseFd(HeldSlave_);
  if (Link_) Link_->Remove();
}

std::vector<TCommandRecord> TPtyDevice::Commands() const {
  std::lock_guard lock(Mutex_);
  return Records_;
}

void TPtyDevice::ClearCommands() {
  std::lock_guard lock(Mutex_);
  Records_.clear();
}

bool TPtyDevice::WaitForCommands(std::size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(Mutex_);
  return Changed_.wait_for(lock, timeout, [&] { return Records_.size() >= count; });
}

bool TPtyDevice::WaitUntil(const std::function<bool(const std::vector<TCommandRecord>&)>& done,
                           std::chrono::milliseconds timeout) const {
  std::unique_lock lock(Mutex_);
  return Changed_.wait_for(lock, timeout, [&] { return done(Records_); });
}

bool TPtyDevice::WaitForKind(TCommandKind kind, std::chrono::milliseconds timeout) const {
  return WaitUntil(
      [kind](const std::vector<TCommandRecord>& records) {
        return std::any_of(records.begin(), records.end(),
                           [kind](const TCommandRecord& r) { return r.Command.Kind == kind; });
      },
      timeout);
}

TDeviceState TPtyDevice::State() const {
  std::lock_guard lock(Mutex_);
  return State_;
}

void TPtyDevice::Send(const std::string& bytes) {
  {
    std::lock_guard lock(Mutex_);
    ToSend_ += bytes;
  }
  Wake(WakeFd_);
}

void TPtyDevice::HangUp() {
  {
    std::lock_guard lock(Mutex_);
    if (HungUp_ || StopRequested_) return;
    HangUpRequested_ = true;
  }
  Wake(WakeFd_);
  std::unique_lock lock(Mutex_);
  Changed_.wait(lock, [&] { return HungUp_ || Finished_; });
}

bool TPtyDevice::HungUp() const {
  std::lock_guard lock(Mutex_);
  return HungUp_;
}

bool TPtyDevice::WaitForHangUp(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(Mutex_);
  return Changed_.wait_for(lock, timeout, [&] { return HungUp_; });
}

// The device reads each byte as it comes, like the hardware, so that its
// stamps tell when a command arrived and not when a busy machine let it
// read: the lowest real-time priority where the user may have it, normal
// scheduling where not.
static void RaiseDeviceThreadPriority() {
  sched_param param{};
  param.sched_priority = sched_get_priority_min(SCHED_FIFO);
  (void)pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

void TPtyDevice::Run() {
  RaiseDeviceThreadPriority();
  RunLoop();
  std::lock_guard lock(Mutex_);
  Finished_ = true;
  Changed_.notify_all();
}

void TPtyDevice::RunLoop() {
  TDevice device(Options_.Faults, Options_.Tables);
  for (;;) {
    const std::int64_t wakeUs = device.NextWakeUs();
    const bool writable = !device.Output().Empty() && device.Output().Ready(MonotonicUs()) > 0;
    pollfd fds[3] = {{Master_, static_cast<short>(POLLIN | (writable ? POLLOUT : 0)), 0},
                     {WakeFd_, POLLIN, 0},
                     {WatchFd_, POLLIN, 0}};
    timespec timeout{};
    const timespec* timeoutPtr = nullptr;
    if (wakeUs >= 0 && !writable) {
      timeout = UsToTimespec(std::max<std::int64_t>(0, wakeUs - MonotonicUs()));
      timeoutPtr = &timeout;
    }
    if (::ppoll(fds, WatchFd_ >= 0 ? 3 : 2, timeoutPtr, nullptr) < 0 && errno != EINTR) break;
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) ReadInput(device);
    if (fds[2].revents & POLLIN) ReleaseExclusiveAfterClose();
    if (fds[1].revents & POLLIN) HandleWake(device);
    {
      std::lock_guard lock(Mutex_);
      if (StopRequested_) return;
      if (HangUpRequested_ || device.HangUpDue()) {
        CloseLine();
        HungUp_ = true;
        Changed_.notify_all();
        return;
      }
    }
    device.Tick(MonotonicUs());
    WriteOutput(device);
  }
}

void TPtyDevice::ReadInput(TDevice& device) {
  std::uint8_t buffer[4096];
  std::vector<TLogEntry> entries;
  for (;;) {
    const ssize_t size = ::read(Master_, buffer, sizeof buffer);
    const std::int64_t nowUs = MonotonicUs();
    if (size <= 0) {
      // EIO means no slave is open; we hold one, so this is only a
      // safeguard against spinning on a hung-up master.
      if (size < 0 && errno == EIO) ::usleep(1000);
      break;
    }
    device.Receive(buffer, static_cast<std::size_t>(size), nowUs, entries);
  }
  if (entries.empty()) return;
  if (Options_.LogLine) {
    for (const TLogEntry& entry : entries) Options_.LogLine(FormatLogLine(entry));
  }
  std::lock_guard lock(Mutex_);
  if (Options_.KeepRecords) {
    for (const TLogEntry& entry : entries) Records_.push_back(entry.Record);
  }
  State_ = device.State();
  Changed_.notify_all();
}

void TPtyDevice::WriteOutput(TDevice& device) {
  std::uint8_t buffer[4096];
  for (;;) {
    const std::int64_t nowUs = MonotonicUs();
    const std::size_t count = device.Output().Peek(buffer, sizeof buffer, nowUs);
    if (count == 0) return;
    const ssize_t written = ::write(Master_, buffer, count);
    if (written <= 0) return;  // full: poll for POLLOUT
    device.Output().Consume(static_cast<std::size_t>(written), nowUs);
  }
}

void TPtyDevice::HandleWake(TDevice& device) {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t size = ::read(WakeFd_, &count, sizeof count);
  std::string bytes;
  {
    std::lock_guard lock(Mutex_);
    bytes.swap(ToSend_);
  }
  if (!bytes.empty()) device.Output().Push(bytes, MonotonicUs());
}

// A program that opened the port exclusively (TIOCEXCL) leaves the flag on
// the terminal when it closes it, because the terminal stays open on our
// side; without this, its next open would fail with EBUSY for a non-root user.
void TPtyDevice::ReleaseExclusiveAfterClose() {
  alignas(inotify_event) char events[4096];
  bool closed = false;
  while (::read(WatchFd_, events, sizeof events) > 0) closed = true;
  if (closed) ::ioctl(HeldSlave_, TIOCNXCL);
}

}  // namespace sim
