#pragma once
// The narrow platform interface under the serial port component. It carries
// the platform's meanings (queue sizes, a device-control block, five
// time-outs, transfers that finish at once or later, purge flags, the event
// mask) without any of its types, so that the component's logic is the same
// on every platform and a fake can record what reaches it.
//
// Thread contract: every call except WaitEvent comes from the thread that is
// inside the component (the owner serialises those). WaitEvent is called by
// the event thread only, while the port is open.

#include <cstdint>
#include <memory>
#include <string>

namespace serial {

class TStopSignal;

// The line settings of the platform's device-control block.
struct TLineSettings {
  std::uint32_t BaudRate = 9600;
  bool Binary = true;
  bool ParityCheck = false;
  bool OutxCtsFlow = false;
  bool OutxDsrFlow = false;
  std::uint8_t DtrControl = 0;  // 0 off, 1 on, 2 handshake
  bool DsrSensitivity = false;
  bool TxContinueOnXoff = false;
  bool OutX = false;
  bool InX = false;
  bool ErrorCharEnabled = false;
  bool DiscardNull = false;
  std::uint8_t RtsControl = 0;  // 0 off, 1 on, 2 handshake, 3 toggle
  bool AbortOnError = false;
  std::uint16_t XonLim = 0;
  std::uint16_t XoffLim = 0;
  std::uint8_t ByteSize = 8;
  std::uint8_t Parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
  std::uint8_t StopBits = 0;  // 0 one, 1 one and a half, 2 two
  std::uint8_t XonChar = 0x11;
  std::uint8_t XoffChar = 0x13;
  std::uint8_t ErrorChar = 0;
  std::uint8_t EofChar = 0;
  std::uint8_t EvtChar = 0;

  bool operator==(const TLineSettings&) const = default;
};

// Milliseconds; 0xFFFFFFFF is the all-ones pattern that -1 becomes.
struct TTimeoutSettings {
  std::uint32_t ReadInterval = 0;
  std::uint32_t ReadTotalMultiplier = 0;
  std::uint32_t ReadTotalConstant = 0;
  std::uint32_t WriteTotalMultiplier = 0;
  std::uint32_t WriteTotalConstant = 0;

  bool operator==(const TTimeoutSettings&) const = default;
};

// Purge flags and event-mask bits keep the platform's values.
constexpr std::uint32_t PurgeTxAbort = 0x0001;
constexpr std::uint32_t PurgeRxAbort = 0x0002;
constexpr std::uint32_t PurgeTxClear = 0x0004;
constexpr std::uint32_t PurgeRxClear = 0x0008;

constexpr std::uint32_t EvMaskRxChar = 0x0001;
constexpr std::uint32_t EvMaskRxFlag = 0x0002;
constexpr std::uint32_t EvMaskTxEmpty = 0x0004;
constexpr std::uint32_t EvMaskCts = 0x0008;
constexpr std::uint32_t EvMaskDsr = 0x0010;
constexpr std::uint32_t EvMaskRlsd = 0x0020;
constexpr std::uint32_t EvMaskBreak = 0x0040;
constexpr std::uint32_t EvMaskErr = 0x0080;
constexpr std::uint32_t EvMaskRing = 0x0100;
constexpr std::uint32_t EvMaskRx80Full = 0x0400;

// One asynchronous transfer with its own completion signal. Opaque to the
// component; the platform keeps its own reference while the transfer runs,
// so a released operation can never be completed into freed memory.
class TComOp {
 public:
  virtual ~TComOp() = default;
};

enum class TIoStart { Finished, Pending, Failed };
enum class TEventWait { Events, Stopped, Failed };

class TComPlatform {
 public:
  virtual ~TComPlatform() = default;

  // Opens the named port for reading and writing, exclusively.
  virtual bool Open(const std::string& name) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;

  virtual bool SetupQueues(std::uint32_t inQueue, std::uint32_t outQueue) = 0;
  virtual bool SetLine(const TLineSettings& line) = 0;
  virtual bool SetTimeouts(const TTimeoutSettings& timeouts) = 0;

  virtual std::shared_ptr<TComOp> NewOp() = 0;
  // Cancels what the operation still has running; its result is gone.
  virtual void ReleaseOp(TComOp& op) = 0;
  // Start a transfer. Finished: done holds the byte count. Pending: the
  // operation signals when it ends. Failed: LastErrorText tells why.
  // A write copies its bytes; a read collects them in the operation.
  virtual TIoStart StartWrite(TComOp& op, const void* buffer, std::uint32_t count,
                              std::uint32_t& done) = 0;
  virtual TIoStart StartRead(TComOp& op, std::uint32_t count, std::uint32_t& done) = 0;
  // The bytes a read operation has collected so far.
  virtual const char* ReadData(const TComOp& op) const = 0;
  // Waits without time limit for the operation's signal; false if the wait failed.
  virtual bool WaitOp(TComOp& op) = 0;
  // Outcome of an ended operation, without waiting.
  virtual bool OpResult(TComOp& op, std::uint32_t& count) = 0;

  // Bytes in the input queue; also clears the port's error state.
  virtual bool InputCount(std::uint32_t& count) = 0;
  virtual bool Purge(std::uint32_t flags) = 0;
  // The system's text for the last failure of a call on this object.
  virtual std::string LastErrorText() const = 0;
  // The system's number for it (errno; on Windows GetLastError's), 0 when there is none.
  virtual int LastErrorNumber() const { return 0; }
  // Whether that failure means the device is gone.
  virtual bool LastErrorIsDeviceLost() const { return false; }

  virtual bool SetEventMask(std::uint32_t mask) = 0;
  // Blocks until one of the masked events occurs (mask receives them), the
  // stop signal is set, or the wait fails (e.g. hang-up).
  virtual TEventWait WaitEvent(const TStopSignal& stop, std::uint32_t& mask) = 0;
};

// The system's implementation, from the half that CMake chose: termios on a
// non-blocking descriptor (ComPlatformPosix.cpp) or the Win32 comm calls
// with overlapped transfers (ComPlatformWin32.cpp).
std::unique_ptr<TComPlatform> MakeSystemComPlatform();

}  // namespace serial
