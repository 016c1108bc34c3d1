// POSIX half of the serial port: termios on a non-blocking descriptor, with
// the platform's overlapped transfers emulated by one worker thread per open
// port that completes queued reads and writes by poll, and the event wait of
// the event thread built on poll as well.
//
// While the event wait watches input (receive-character, event-character or
// 80 %-full events) it takes arriving bytes off the line into an input
// buffer of its own, at most the requested input queue size, ahead of the
// owner's reads: POSIX cannot look into the kernel's queue without reading
// it, and only bytes seen arriving tell one arrival from the next and show
// the event character. Reads take from that buffer first, InputCount counts
// it, a purge of the input clears it. Without input events it stays empty.

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "serial/ComPlatform.h"
#include "serial/ComThreadPlatform.h"
#include "serial/CustomBaud.h"
#include "serial/LineEvents.h"

namespace serial {
namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::milliseconds;

constexpr std::uint32_t NoLimit = 0xFFFFFFFFu;
// How often the modem lines are sampled by the event wait (poll cannot wait for them).
constexpr int ModemSampleMs = 10;
constexpr std::uint32_t InputEventBits = EvMaskRxChar | EvMaskRxFlag | EvMaskRx80Full;

// Like the platform's per-thread last error; a refused setting has a text
// of its own instead of an errno.
thread_local int LastErrno = 0;
thread_local const char* LastRefusal = nullptr;

bool Fail(int error) {
  LastErrno = error;
  LastRefusal = nullptr;
  return false;
}

bool Refuse(const char* why) {
  LastErrno = 0;
  LastRefusal = why;
  return false;
}

TIoStart FailStart(int error) {
  Fail(error);
  return TIoStart::Failed;
}

TEventWait FailWait(int error) {
  Fail(error);
  return TEventWait::Failed;
}

std::string ErrorText(int error) {
  char buffer[256];
  return strerror_r(error, buffer, sizeof buffer);  // GNU variant
}

struct TPosixOp : TComOp, std::enable_shared_from_this<TPosixOp> {
  enum class TKind { None, Read, Write };
  TKind Kind = TKind::None;
  bool Started = false;
  bool Done = false;
  bool Ok = false;
  bool Draining = false;
  int Error = 0;
  std::vector<char> Data;  // bytes still to write, or the bytes read
  std::uint32_t Count = 0;
  std::uint32_t Transferred = 0;
  std::size_t WriteOffset = 0;
  Clock::time_point Start;
  Clock::time_point LastByte;
  bool HasDeadline = false;
  Clock::time_point Deadline;
};

TPosixOp& AsPosix(TComOp& op) { return static_cast<TPosixOp&>(op); }
const TPosixOp& AsPosix(const TComOp& op) { return static_cast<const TPosixOp&>(op); }

speed_t SpeedFor(std::uint32_t rate) {
  switch (rate) {
    case 110:
      return B110;
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    default:
      return B0;
  }
}

tcflag_t ByteSizeFlag(std::uint8_t size) {
  switch (size) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

tcflag_t ParityFlags(std::uint8_t parity) {
  switch (parity) {
    case 1:
      return PARENB | PARODD;
    case 2:
      return PARENB;
    case 3:
      return PARENB | PARODD | CMSPAR;
    case 4:
      return PARENB | CMSPAR;
    default:
      return 0;
  }
}

void DrainEventFd(int fd) {
  std::uint64_t value;
  while (::read(fd, &value, sizeof value) > 0) {
  }
}

void SignalEventFd(int fd) {
  const std::uint64_t one = 1;
  [[maybe_unused]] ssize_t written = ::write(fd, &one, sizeof one);
}

int MillisUntil(Clock::time_point now, Clock::time_point when) {
  if (when <= now) return 0;
  auto ms = std::chrono::ceil<Millis>(when - now).count();
  return static_cast<int>(std::min<long long>(ms, 1 << 30));
}

class TPosixComPlatform final : public TComPlatform {
 public:
  ~TPosixComPlatform() override { Close(); }

  bool Open(const std::string& name) override;
  void Close() override;
  bool IsOpen() const override { return Fd >= 0; }
  bool SetupQueues(std::uint32_t inQueue, std::uint32_t outQueue) override;
  bool SetLine(const TLineSettings& line) override;
  bool SetTimeouts(const TTimeoutSettings& timeouts) override;
  std::shared_ptr<TComOp> NewOp() override { return std::make_shared<TPosixOp>(); }
  void ReleaseOp(TComOp& op) override;
  TIoStart StartWrite(TComOp& op, const void* buffer, std::uint32_t count,
                      std::uint32_t& done) override;
  TIoStart StartRead(TComOp& op, std::uint32_t count, std::uint32_t& done) override;
  const char* ReadData(const TComOp& op) const override { return AsPosix(op).Data.data(); }
  bool WaitOp(TComOp& op) override;
  bool OpResult(TComOp& op, std::uint32_t& count) override;
  bool InputCount(std::uint32_t& count) override;
  bool Purge(std::uint32_t flags) override;
  std::string LastErrorText() const override {
    return LastRefusal != nullptr ? LastRefusal : ErrorText(LastErrno);
  }
  int LastErrorNumber() const override { return LastErrno; }
  bool LastErrorIsDeviceLost() const override {
    return LastErrno == EIO || LastErrno == ENXIO || LastErrno == ENODEV;
  }
  bool SetEventMask(std::uint32_t mask) override;
  TEventWait WaitEvent(const TStopSignal& stop, std::uint32_t& mask) override;

 private:
  using TOpQueue = std::deque<std::shared_ptr<TPosixOp>>;

  void RunWorker();
  void EnsureWorker();
  bool OutputQueueEmpty() const;
  void Complete(TOpQueue& queue, TPosixOp& op, bool ok, int error);
  void CancelAll(TOpQueue& queue);
  void ReadAvailable(TPosixOp& op, int& error, bool& hungUp);
  void TakeBuffered(TPosixOp& op);
  std::size_t Arrived(char* bytes, std::size_t count);
  bool PumpInput();
  std::size_t InputCapacity() const { return std::max<std::uint32_t>(InQueueSize, 1); }
  bool ApplyRtsToggle(bool on);
  void ProgressRead(short revents);
  void ProgressWrite(short revents);
  void ExpireOps(Clock::time_point now);
  int WorkerTimeout(Clock::time_point now) const;
  bool ReadEndsAtOnce(const TPosixOp& op) const;
  void ArmReadDeadline(TPosixOp& op, Clock::time_point now) const;
  std::uint32_t SampleLineEvents(std::uint32_t mask);
  bool ReadModemLines(TModemLines& lines) const;
  bool ReadLineCounters(TLineCounters& counters) const;
  std::uint32_t InputEvents(std::uint32_t mask);

  int Fd = -1;
  int WakeFd = -1;    // wakes the worker
  int NotifyFd = -1;  // wakes the event wait (transmit queue went empty)

  mutable std::mutex Lock;
  std::condition_variable OpEnded;
  TOpQueue Reads, Writes;
  TTimeoutSettings Timeouts;
  std::uint32_t InQueueSize = 4096;
  bool DiscardNull = false;
  std::uint8_t EventChar = 0;
  std::string InBuf;               // taken off the line, not yet read; oldest first
  std::uint64_t Arrivals = 0;      // reads off the line that brought bytes
  std::uint64_t SeenArrivals = 0;  // the last of them the event wait reported
  bool EventCharArrived = false;
  bool Above80 = false;  // the input was at 80 % at the last look
  bool StopWorker = false;
  std::thread Worker;

  std::atomic<std::uint32_t> EventMask{0};
  std::atomic<bool> TxEmptySeen{false};
  bool Rs485On = false;  // RTS toggle through the driver's RS-485 mode (owner thread)
  // Event-thread state, reset before the thread starts.
  bool ModemReadable = true;
  TModemLines LastModem;
  bool CountersReadable = true;
  TLineCounters LastCounters;
};

bool TPosixComPlatform::Open(const std::string& name) {
  Close();
  const int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Fail(errno);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    // Someone else holds the port; say so in the device's words.
    const int error = errno == EWOULDBLOCK ? EBUSY : errno;
    ::close(fd);
    return Fail(error);
  }
  if (::isatty(fd)) ::ioctl(fd, TIOCEXCL);
  WakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  NotifyFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (WakeFd < 0 || NotifyFd < 0) {
    const int error = errno;
    Fd = fd;
    Close();
    return Fail(error);
  }
  Fd = fd;
  StopWorker = false;
  return true;
}

// The worker starts with the first transfer left pending; a port whose
// transfers all finish at once never needs it.
void TPosixComPlatform::EnsureWorker() {
  if (!Worker.joinable()) Worker = std::thread(&TPosixComPlatform::RunWorker, this);
}

void TPosixComPlatform::Close() {
  {
    std::lock_guard lock(Lock);
    StopWorker = true;
    CancelAll(Reads);
    CancelAll(Writes);
  }
  if (Worker.joinable()) {
    SignalEventFd(WakeFd);
    Worker.join();
  }
  if (Fd >= 0) {
    if (::isatty(Fd)) ::ioctl(Fd, TIOCNXCL);
    ::close(Fd);
  }
  if (WakeFd >= 0) ::close(WakeFd);
  if (NotifyFd >= 0) ::close(NotifyFd);
  Fd = WakeFd = NotifyFd = -1;
  Rs485On = false;
  std::lock_guard lock(Lock);
  InBuf.clear();
}

bool TPosixComPlatform::SetupQueues(std::uint32_t inQueue, std::uint32_t) {
  // The kernel's queues have fixed sizes; the input size only sets the
  // 80 % mark of the event wait.
  if (Fd < 0) return Fail(EBADF);
  std::lock_guard lock(Lock);
  InQueueSize = inQueue;
  return true;
}

// The input marks of the kernel's line discipline: it stops the sender when
// fewer than 128 bytes of room are left and lets it go on when no more than
// 128 are queued. Limits are honoured only when they equal these.
constexpr std::uint16_t KernelFlowLimit = 128;

// Settings that termios cannot give, as the words of the refusal; null when
// the line can take them all. What each becomes is listed in TinyComms.h.
const char* RefusedLineSetting(const TLineSettings& line) {
  if (line.StopBits == 1 && line.ByteSize != 5) return "1.5 stop bits need 5 data bits";
  if (line.StopBits == 2 && line.ByteSize == 5)
    return "2 stop bits cannot go with 5 data bits (the line would send 1.5)";
  if (line.OutxDsrFlow) return "DSR output flow control is not available on this system";
  if (line.DtrControl == 2) return "DTR handshaking is not available on this system";
  if (line.OutxCtsFlow != (line.RtsControl == 2))
    return "CTS output flow control and RTS handshaking are available only together on this "
           "system";
  if (line.ParityCheck && line.ErrorCharEnabled && line.ErrorChar != 0)
    return "parity errors can only be replaced by the character 0 on this system";
  const bool inputFlow = line.InX || line.RtsControl == 2;
  if (inputFlow && (line.XonLim != KernelFlowLimit || line.XoffLim != KernelFlowLimit))
    return "input flow control limits are fixed at 128 bytes on this system (ReadBufSize 512)";
  return nullptr;
}

// RTS toggle is the driver's RS-485 mode: RTS on while sending.
bool TPosixComPlatform::ApplyRtsToggle(bool on) {
  if (on == Rs485On) return true;
  serial_rs485 rs485{};
  if (::ioctl(Fd, TIOCGRS485, &rs485) != 0) {
    if (!on) return true;
    return Refuse("RTS toggle is not supported by this port's driver");
  }
  if (on) {
    rs485.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    rs485.flags &= ~SER_RS485_RTS_AFTER_SEND;
  } else {
    rs485.flags &= ~SER_RS485_ENABLED;
  }
  if (::ioctl(Fd, TIOCSRS485, &rs485) != 0)
    return on ? Refuse("RTS toggle is not supported by this port's driver") : Fail(errno);
  Rs485On = on;
  return true;
}

bool TPosixComPlatform::SetLine(const TLineSettings& line) {
  if (Fd < 0) return Fail(EBADF);
  if (const char* why = RefusedLineSetting(line)) return Refuse(why);
  if (!ApplyRtsToggle(line.RtsControl == 3)) return false;
  // Rates without a termios constant go on after the other settings.
  const speed_t speed = SpeedFor(line.BaudRate);
  const bool customRate = speed == B0;
  termios tio{};
  if (::tcgetattr(Fd, &tio) != 0) return Fail(errno);
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL);
  tio.c_cflag |= CLOCAL | CREAD | ByteSizeFlag(line.ByteSize) | ParityFlags(line.Parity);
  // With 5 data bits the UART sends 1.5 stop bits for CSTOPB.
  if (line.StopBits != 0) tio.c_cflag |= CSTOPB;
  if (line.OutxCtsFlow && line.RtsControl == 2) tio.c_cflag |= CRTSCTS;
  tio.c_iflag &= ~(INPCK | IGNPAR | PARMRK | IXON | IXOFF | IXANY);
  // Checking alone lets a byte with a parity error through as it came (the
  // driver still counts the error); replacing it needs INPCK, which reads it as 0.
  if (line.ParityCheck && line.ErrorCharEnabled) tio.c_iflag |= INPCK;
  if (line.OutX) tio.c_iflag |= IXON;
  if (line.InX) tio.c_iflag |= IXOFF;
  tio.c_cc[VSTART] = static_cast<cc_t>(line.XonChar);
  tio.c_cc[VSTOP] = static_cast<cc_t>(line.XoffChar);
  // VMIN 1: a non-blocking read of an empty queue fails with EAGAIN, so a
  // read of 0 bytes can only mean that the other side hung up.
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  ::cfsetispeed(&tio, customRate ? B38400 : speed);
  ::cfsetospeed(&tio, customRate ? B38400 : speed);
  if (::tcsetattr(Fd, TCSANOW, &tio) != 0) return Fail(errno);
  if (customRate && !SetCustomLineRate(Fd, line.BaudRate)) return Fail(errno);
  // Lines without modem control (pseudo-terminals) refuse these; that is no error.
  int dtr = TIOCM_DTR, rts = TIOCM_RTS;
  ::ioctl(Fd, line.DtrControl == 1 ? TIOCMBIS : TIOCMBIC, &dtr);
  if (line.RtsControl <= 1) ::ioctl(Fd, line.RtsControl == 1 ? TIOCMBIS : TIOCMBIC, &rts);
  std::lock_guard lock(Lock);
  DiscardNull = line.DiscardNull;
  EventChar = line.EvtChar;
  return true;
}

bool TPosixComPlatform::SetTimeouts(const TTimeoutSettings& timeouts) {
  if (Fd < 0) return Fail(EBADF);
  std::lock_guard lock(Lock);
  Timeouts = timeouts;
  return true;
}

void TPosixComPlatform::ReleaseOp(TComOp& op) {
  std::lock_guard lock(Lock);
  auto& p = AsPosix(op);
  auto drop = [&](TOpQueue& queue) {
    queue.erase(std::remove_if(queue.begin(), queue.end(),
                               [&](const auto& item) { return item.get() == &p; }),
                queue.end());
  };
  drop(Reads);
  drop(Writes);
  p.Done = true;
}

bool TPosixComPlatform::OutputQueueEmpty() const {
  int queued = 0;
  return ::ioctl(Fd, TIOCOUTQ, &queued) != 0 || queued == 0;
}

TIoStart TPosixComPlatform::StartWrite(TComOp& op, const void* buffer, std::uint32_t count,
                                       std::uint32_t& done) {
  if (Fd < 0) return FailStart(EBADF);
  std::unique_lock lock(Lock);
  auto& p = AsPosix(op);
  p.Kind = TPosixOp::TKind::Write;
  p.Started = true;
  p.Count = count;
  const char* bytes = static_cast<const char*>(buffer);
  std::uint32_t written = 0;
  if (Writes.empty() && count > 0) {
    const ssize_t n = ::write(Fd, bytes, count);
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
      p.Done = true;
      p.Error = errno;
      return FailStart(errno);
    }
    written = n > 0 ? static_cast<std::uint32_t>(n) : 0;
  }
  if (Writes.empty() && written == count && OutputQueueEmpty()) {
    p.Done = p.Ok = true;
    p.Transferred = done = count;
    TxEmptySeen = true;
    SignalEventFd(NotifyFd);
    return TIoStart::Finished;
  }
  p.Data.assign(bytes + written, bytes + count);
  p.Transferred = written;
  p.Draining = written == count;
  p.Start = Clock::now();
  const std::uint64_t total =
      std::uint64_t{Timeouts.WriteTotalMultiplier} * count + Timeouts.WriteTotalConstant;
  p.HasDeadline = total != 0;
  if (p.HasDeadline) p.Deadline = p.Start + Millis(total);
  Writes.push_back(p.shared_from_this());
  EnsureWorker();
  lock.unlock();
  SignalEventFd(WakeFd);
  return TIoStart::Pending;
}

// Interval "all ones" with both totals 0: return at once with what is there.
bool TPosixComPlatform::ReadEndsAtOnce(const TPosixOp& op) const {
  if (op.Transferred == op.Count) return true;
  if (Timeouts.ReadInterval != NoLimit) return false;
  const bool noTotals = Timeouts.ReadTotalMultiplier == 0 && Timeouts.ReadTotalConstant == 0;
  return noTotals || op.Transferred > 0;
}

void TPosixComPlatform::ArmReadDeadline(TPosixOp& op, Clock::time_point now) const {
  op.Start = now;
  const std::uint64_t total =
      std::uint64_t{Timeouts.ReadTotalMultiplier} * op.Count + Timeouts.ReadTotalConstant;
  op.HasDeadline = total != 0;
  if (op.HasDeadline) op.Deadline = now + Millis(total);
}

// Bytes just read off the line: noted for the event wait, then null bytes
// dropped when they are to be discarded. Returns how many are kept.
std::size_t TPosixComPlatform::Arrived(char* bytes, std::size_t count) {
  if (EventMask & InputEventBits) {
    ++Arrivals;
    if (std::memchr(bytes, EventChar, count) != nullptr) EventCharArrived = true;
    SignalEventFd(NotifyFd);
  }
  if (!DiscardNull) return count;
  return static_cast<std::size_t>(std::remove(bytes, bytes + count, '\0') - bytes);
}

// The buffered input goes first: it came before what the line still holds.
void TPosixComPlatform::TakeBuffered(TPosixOp& op) {
  const std::size_t n = std::min<std::size_t>(InBuf.size(), op.Count - op.Transferred);
  if (n == 0) return;
  std::memcpy(op.Data.data() + op.Transferred, InBuf.data(), n);
  InBuf.erase(0, n);
  op.Transferred += static_cast<std::uint32_t>(n);
  op.LastByte = Clock::now();
  SignalEventFd(NotifyFd);  // room again: the event wait may take more
}

void TPosixComPlatform::ReadAvailable(TPosixOp& op, int& error, bool& hungUp) {
  TakeBuffered(op);
  while (op.Transferred < op.Count) {
    char* into = op.Data.data() + op.Transferred;
    const ssize_t n = ::read(Fd, into, op.Count - op.Transferred);
    if (n > 0) {
      op.Transferred += static_cast<std::uint32_t>(Arrived(into, static_cast<std::size_t>(n)));
      op.LastByte = Clock::now();
    } else if (n == 0) {
      hungUp = true;  // readable but nothing: the other side is gone
      return;
    } else {
      if (errno != EAGAIN && errno != EINTR) error = errno;
      return;
    }
  }
}

TIoStart TPosixComPlatform::StartRead(TComOp& op, std::uint32_t count, std::uint32_t& done) {
  if (Fd < 0) return FailStart(EBADF);
  std::unique_lock lock(Lock);
  auto& p = AsPosix(op);
  p.Kind = TPosixOp::TKind::Read;
  p.Started = true;
  p.Count = count;
  p.Data.assign(count, '\0');
  if (Reads.empty()) {
    int error = 0;
    bool hungUp = false;
    ReadAvailable(p, error, hungUp);
    if (hungUp && error == 0) error = EIO;
    if (error != 0 && p.Transferred == 0) {
      p.Done = true;
      p.Error = error;
      return FailStart(error);
    }
    if (error != 0 || ReadEndsAtOnce(p)) {
      p.Done = p.Ok = true;
      done = p.Transferred;
      return TIoStart::Finished;
    }
  }
  ArmReadDeadline(p, Clock::now());
  Reads.push_back(p.shared_from_this());
  EnsureWorker();
  lock.unlock();
  SignalEventFd(WakeFd);
  return TIoStart::Pending;
}

void TPosixComPlatform::Complete(TOpQueue& queue, TPosixOp& op, bool ok, int error) {
  op.Done = true;
  op.Ok = ok;
  op.Error = error;
  op.Draining = false;
  queue.erase(std::remove_if(queue.begin(), queue.end(),
                             [&](const auto& item) { return item.get() == &op; }),
              queue.end());
  if (ok && op.Kind == TPosixOp::TKind::Write) {
    TxEmptySeen = true;
    SignalEventFd(NotifyFd);
  }
  OpEnded.notify_all();
}

void TPosixComPlatform::CancelAll(TOpQueue& queue) {
  while (!queue.empty()) Complete(queue, *queue.front(), false, ECANCELED);
}

void TPosixComPlatform::ProgressRead(short revents) {
  if (Reads.empty()) return;
  TPosixOp& op = *Reads.front();
  const std::uint32_t before = op.Transferred;
  int error = 0;
  bool hungUp = false;
  ReadAvailable(op, error, hungUp);
  // A hang-up or error flag without progress must end the read, never spin.
  if (op.Transferred == before && (revents & (POLLHUP | POLLERR | POLLNVAL)) && error == 0)
    hungUp = true;
  if (hungUp && error == 0) error = EIO;
  if (error != 0)
    Complete(Reads, op, op.Transferred > 0, op.Transferred > 0 ? 0 : error);
  else if (ReadEndsAtOnce(op))
    Complete(Reads, op, true, 0);
}

void TPosixComPlatform::ProgressWrite(short revents) {
  if (Writes.empty()) return;
  TPosixOp& op = *Writes.front();
  if (!op.Draining) {
    const std::size_t left = op.Data.size() - op.WriteOffset;
    const ssize_t n = ::write(Fd, op.Data.data() + op.WriteOffset, left);
    if (n > 0) {
      op.WriteOffset += static_cast<std::size_t>(n);
      op.Transferred += static_cast<std::uint32_t>(n);
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
      return Complete(Writes, op, false, errno);
    } else if (revents & (POLLHUP | POLLERR | POLLNVAL)) {
      return Complete(Writes, op, false, EIO);
    }
    op.Draining = op.WriteOffset == op.Data.size();
  }
  if (op.Draining && OutputQueueEmpty()) {
    ::tcdrain(Fd);  // the bytes are with the line; this returns at once
    Complete(Writes, op, true, 0);
  }
}

void TPosixComPlatform::ExpireOps(Clock::time_point now) {
  if (!Reads.empty()) {
    TPosixOp& op = *Reads.front();
    const std::uint32_t interval = Timeouts.ReadInterval;
    const bool intervalOver = interval != 0 && interval != NoLimit && op.Transferred > 0 &&
                              now >= op.LastByte + Millis(interval);
    if (intervalOver || (op.HasDeadline && now >= op.Deadline)) Complete(Reads, op, true, 0);
  }
  if (!Writes.empty()) {
    TPosixOp& op = *Writes.front();
    if (op.HasDeadline && now >= op.Deadline) Complete(Writes, op, true, 0);
  }
}

int TPosixComPlatform::WorkerTimeout(Clock::time_point now) const {
  int timeout = -1;
  auto consider = [&](Clock::time_point when) {
    const int ms = MillisUntil(now, when);
    timeout = timeout < 0 ? ms : std::min(timeout, ms);
  };
  if (!Reads.empty()) {
    const TPosixOp& op = *Reads.front();
    if (op.HasDeadline) consider(op.Deadline);
    const std::uint32_t interval = Timeouts.ReadInterval;
    if (interval != 0 && interval != NoLimit && op.Transferred > 0)
      consider(op.LastByte + Millis(interval));
  }
  if (!Writes.empty()) {
    const TPosixOp& op = *Writes.front();
    if (op.HasDeadline) consider(op.Deadline);
    if (op.Draining) consider(now + Millis(1));
  }
  return timeout;
}

void TPosixComPlatform::RunWorker() {
  std::unique_lock lock(Lock);
  while (!StopWorker) {
    ExpireOps(Clock::now());
    pollfd fds[2] = {{WakeFd, POLLIN, 0}, {Fd, 0, 0}};
    if (!Reads.empty()) fds[1].events |= POLLIN;
    if (!Writes.empty() && !Writes.front()->Draining) fds[1].events |= POLLOUT;
    const bool watchPort = !Reads.empty() || !Writes.empty();
    const int timeout = WorkerTimeout(Clock::now());
    lock.unlock();
    const int ready = ::poll(fds, watchPort ? 2 : 1, timeout);
    lock.lock();
    if (fds[0].revents) DrainEventFd(WakeFd);
    if (ready < 0) continue;  // EINTR: just look again
    if (watchPort && fds[1].revents) {
      ProgressRead(fds[1].revents);
      ProgressWrite(fds[1].revents);
    } else if (!Writes.empty() && Writes.front()->Draining) {
      ProgressWrite(0);
    }
  }
}

bool TPosixComPlatform::WaitOp(TComOp& op) {
  std::unique_lock lock(Lock);
  auto& p = AsPosix(op);
  if (!p.Started) return true;
  OpEnded.wait(lock, [&] { return p.Done; });
  return true;
}

bool TPosixComPlatform::OpResult(TComOp& op, std::uint32_t& count) {
  std::lock_guard lock(Lock);
  const auto& p = AsPosix(op);
  count = p.Transferred;
  if (!p.Started) return true;
  if (!p.Done) return Fail(EINPROGRESS);
  return p.Ok || Fail(p.Error);
}

bool TPosixComPlatform::InputCount(std::uint32_t& count) {
  if (Fd < 0) return Fail(EBADF);
  int queued = 0;
  if (::ioctl(Fd, FIONREAD, &queued) != 0) return Fail(errno);
  std::lock_guard lock(Lock);
  count = static_cast<std::uint32_t>(queued) + static_cast<std::uint32_t>(InBuf.size());
  return true;
}

bool TPosixComPlatform::Purge(std::uint32_t flags) {
  if (Fd < 0) return Fail(EBADF);
  {
    std::lock_guard lock(Lock);
    if (flags & PurgeTxAbort) CancelAll(Writes);
    if (flags & PurgeRxAbort) CancelAll(Reads);
    if (flags & PurgeRxClear) InBuf.clear();
  }
  SignalEventFd(WakeFd);
  const bool clearIn = flags & PurgeRxClear, clearOut = flags & PurgeTxClear;
  if (clearIn || clearOut) {
    const int which = clearIn && clearOut ? TCIOFLUSH : clearIn ? TCIFLUSH : TCOFLUSH;
    if (::tcflush(Fd, which) != 0) return Fail(errno);
  }
  return true;
}

bool TPosixComPlatform::SetEventMask(std::uint32_t mask) {
  if (Fd < 0) return Fail(EBADF);
  {
    std::lock_guard lock(Lock);
    EventMask = mask;
    SeenArrivals = Arrivals;
    EventCharArrived = Above80 = false;
  }
  TxEmptySeen = false;
  ModemReadable = ReadModemLines(LastModem);
  CountersReadable = ReadLineCounters(LastCounters);
  return true;
}

bool TPosixComPlatform::ReadModemLines(TModemLines& lines) const {
  int bits = 0;
  if (::ioctl(Fd, TIOCMGET, &bits) != 0) return false;
  lines = TModemLines::FromTiocm(bits);
  return true;
}

bool TPosixComPlatform::ReadLineCounters(TLineCounters& counters) const {
  serial_icounter_struct c{};
  if (::ioctl(Fd, TIOCGICOUNT, &c) != 0) return false;
  counters = {c.brk, c.frame, c.overrun, c.parity, c.buf_overrun};
  return true;
}

// Event thread: what arrived since the last look, and the 80 % mark.
std::uint32_t TPosixComPlatform::InputEvents(std::uint32_t mask) {
  int queued = 0;
  if (::ioctl(Fd, FIONREAD, &queued) != 0) queued = 0;
  std::lock_guard lock(Lock);
  std::uint32_t events = 0;
  if (Arrivals != SeenArrivals) events |= EvMaskRxChar;
  SeenArrivals = Arrivals;
  if (EventCharArrived) events |= EvMaskRxFlag;
  EventCharArrived = false;
  const std::size_t count = InBuf.size() + static_cast<std::size_t>(std::max(queued, 0));
  const bool above = count >= InputCapacity() * 8 / 10;
  if (above && !Above80) events |= EvMaskRx80Full;
  Above80 = above;
  return events & mask;
}

// Event thread: takes what the line holds into the input buffer, as far as
// it has room, and hands it on to a read that waits. False on a hang-up.
bool TPosixComPlatform::PumpInput() {
  std::lock_guard lock(Lock);
  char chunk[4096];
  bool open = true;
  while (InBuf.size() < InputCapacity()) {
    const std::size_t room = std::min(sizeof chunk, InputCapacity() - InBuf.size());
    const ssize_t n = ::read(Fd, chunk, room);
    if (n <= 0) {
      open = n < 0 && (errno == EAGAIN || errno == EINTR);
      break;
    }
    InBuf.append(chunk, Arrived(chunk, static_cast<std::size_t>(n)));
  }
  if (!Reads.empty()) ProgressRead(0);
  return open;
}

std::uint32_t TPosixComPlatform::SampleLineEvents(std::uint32_t mask) {
  std::uint32_t events = 0;
  TModemLines modem;
  if (ModemReadable && ReadModemLines(modem)) {
    events |= ModemEvents(mask, LastModem, modem);
    LastModem = modem;
  }
  TLineCounters counters;
  if (CountersReadable && ReadLineCounters(counters)) {
    events |= CounterEvents(mask, LastCounters, counters);
    LastCounters = counters;
  }
  return events;
}

TEventWait TPosixComPlatform::WaitEvent(const TStopSignal& stop, std::uint32_t& result) {
  const std::uint32_t mask = EventMask;
  const bool watchInput = (mask & InputEventBits) != 0;
  const std::uint32_t lineEvents =
      mask & (EvMaskCts | EvMaskDsr | EvMaskRlsd | EvMaskRing | EvMaskBreak | EvMaskErr);
  const bool sampleLines = lineEvents && (ModemReadable || CountersReadable);
  bool lineOpen = true;
  for (;;) {
    result = (watchInput ? InputEvents(mask) : 0) | (sampleLines ? SampleLineEvents(mask) : 0);
    if ((mask & EvMaskTxEmpty) && TxEmptySeen.exchange(false)) result |= EvMaskTxEmpty;
    if (result != 0) return TEventWait::Events;
    if (!lineOpen) return FailWait(EIO);  // what came with the hang-up is reported first
    // A full input buffer is not read on until the owner reads (NotifyFd
    // tells), so input that nobody reads cannot make the wait spin.
    bool room = false;
    if (watchInput) {
      std::lock_guard lock(Lock);
      room = InBuf.size() < InputCapacity();
    }
    pollfd fds[3] = {{static_cast<int>(stop.Native()), POLLIN, 0},
                     {NotifyFd, POLLIN, 0},
                     {Fd, static_cast<short>(room ? POLLIN : 0), 0}};
    if (::poll(fds, 3, sampleLines ? ModemSampleMs : -1) < 0 && errno != EINTR)
      return FailWait(errno);
    if (fds[0].revents) return TEventWait::Stopped;
    if (fds[1].revents) DrainEventFd(NotifyFd);
    if (fds[2].revents & POLLIN) lineOpen = PumpInput();
    if (fds[2].revents & (POLLHUP | POLLERR | POLLNVAL)) lineOpen = false;
  }
}

}  // namespace

std::unique_ptr<TComPlatform> MakeSystemComPlatform() {
  return std::make_unique<TPosixComPlatform>();
}

}  // namespace serial
