// Win32 half of the serial port: the comm calls of kernel32 on a handle
// opened for overlapped transfers, each transfer with its own OVERLAPPED
// block and manual-reset event, and the event wait on WaitCommEvent.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "serial/ComPlatform.h"
#include "serial/ComThreadPlatform.h"

namespace serial {
namespace {

// Like the system's own per-thread last error, kept where the component
// asks for its text.
thread_local DWORD LastError = 0;

bool Fail(DWORD error) {
  LastError = error;
  return false;
}

bool FailLast() { return Fail(::GetLastError()); }

// A transfer that finished at once tells its count through its block: the
// count the call itself returns is not reliable for overlapped handles.
TIoStart StartResult(HANDLE port, OVERLAPPED& block, BOOL finished, std::uint32_t& done) {
  if (finished) {
    DWORD count = 0;
    ::GetOverlappedResult(port, &block, &count, FALSE);
    done = count;
    return TIoStart::Finished;
  }
  const DWORD error = ::GetLastError();
  if (error == ERROR_IO_PENDING) return TIoStart::Pending;
  Fail(error);
  return TIoStart::Failed;
}

// One transfer: the OVERLAPPED block, its event, and the bytes it moves,
// all kept alive by the platform's reference until the transfer has ended.
struct TWin32Op : TComOp {
  TWin32Op() { Block.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr); }
  ~TWin32Op() override {
    if (Block.hEvent != nullptr) ::CloseHandle(Block.hEvent);
  }
  OVERLAPPED Block{};
  std::vector<char> Data;
  bool Started = false;
};

TWin32Op& AsWin32(TComOp& op) { return static_cast<TWin32Op&>(op); }

DCB DcbFor(const TLineSettings& line) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  dcb.BaudRate = line.BaudRate;
  dcb.fBinary = line.Binary;
  dcb.fParity = line.ParityCheck;
  dcb.fOutxCtsFlow = line.OutxCtsFlow;
  dcb.fOutxDsrFlow = line.OutxDsrFlow;
  dcb.fDtrControl = line.DtrControl;
  dcb.fDsrSensitivity = line.DsrSensitivity;
  dcb.fTXContinueOnXoff = line.TxContinueOnXoff;
  dcb.fOutX = line.OutX;
  dcb.fInX = line.InX;
  dcb.fErrorChar = line.ErrorCharEnabled;
  dcb.fNull = line.DiscardNull;
  dcb.fRtsControl = line.RtsControl;
  dcb.fAbortOnError = line.AbortOnError;
  dcb.XonLim = line.XonLim;
  dcb.XoffLim = line.XoffLim;
  dcb.ByteSize = line.ByteSize;
  dcb.Parity = line.Parity;
  dcb.StopBits = line.StopBits;
  dcb.XonChar = static_cast<char>(line.XonChar);
  dcb.XoffChar = static_cast<char>(line.XoffChar);
  dcb.ErrorChar = static_cast<char>(line.ErrorChar);
  dcb.EofChar = static_cast<char>(line.EofChar);
  dcb.EvtChar = static_cast<char>(line.EvtChar);
  return dcb;
}

class TWin32ComPlatform final : public TComPlatform {
 public:
  ~TWin32ComPlatform() override {
    Close();
    if (EventBlock.hEvent != nullptr) ::CloseHandle(EventBlock.hEvent);
  }

  bool Open(const std::string& name) override {
    Close();
    Port = ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED, nullptr);
    return Port != INVALID_HANDLE_VALUE || FailLast();
  }
  void Close() override {
    if (Port != INVALID_HANDLE_VALUE) ::CloseHandle(Port);
    Port = INVALID_HANDLE_VALUE;
  }
  bool IsOpen() const override { return Port != INVALID_HANDLE_VALUE; }

  bool SetupQueues(std::uint32_t inQueue, std::uint32_t outQueue) override {
    return ::SetupComm(Port, inQueue, outQueue) || FailLast();
  }
  bool SetLine(const TLineSettings& line) override {
    DCB dcb = DcbFor(line);
    return ::SetCommState(Port, &dcb) || FailLast();
  }
  bool SetTimeouts(const TTimeoutSettings& t) override {
    COMMTIMEOUTS timeouts{t.ReadInterval, t.ReadTotalMultiplier, t.ReadTotalConstant,
                          t.WriteTotalMultiplier, t.WriteTotalConstant};
    return ::SetCommTimeouts(Port, &timeouts) || FailLast();
  }

  std::shared_ptr<TComOp> NewOp() override { return std::make_shared<TWin32Op>(); }

  // A transfer still running is cancelled and awaited, so the system never
  // completes it into the operation once the component has let it go.
  void ReleaseOp(TComOp& op) override {
    TWin32Op& w = AsWin32(op);
    if (!w.Started || HasOverlappedIoCompleted(&w.Block)) return;
    DWORD ignored = 0;
    ::CancelIoEx(Port, &w.Block);
    ::GetOverlappedResult(Port, &w.Block, &ignored, TRUE);
  }

  TIoStart StartWrite(TComOp& op, const void* buffer, std::uint32_t count,
                      std::uint32_t& done) override {
    TWin32Op& w = AsWin32(op);
    const char* bytes = static_cast<const char*>(buffer);
    w.Data.assign(bytes, bytes + count);
    w.Started = true;
    return StartResult(Port, w.Block, ::WriteFile(Port, w.Data.data(), count, nullptr, &w.Block),
                       done);
  }
  TIoStart StartRead(TComOp& op, std::uint32_t count, std::uint32_t& done) override {
    TWin32Op& w = AsWin32(op);
    w.Data.assign(count, '\0');
    w.Started = true;
    return StartResult(Port, w.Block, ::ReadFile(Port, w.Data.data(), count, nullptr, &w.Block),
                       done);
  }
  const char* ReadData(const TComOp& op) const override {
    return static_cast<const TWin32Op&>(op).Data.data();
  }
  bool WaitOp(TComOp& op) override {
    TWin32Op& w = AsWin32(op);
    if (!w.Started) return true;
    return ::WaitForSingleObject(w.Block.hEvent, INFINITE) == WAIT_OBJECT_0 || FailLast();
  }
  bool OpResult(TComOp& op, std::uint32_t& count) override {
    TWin32Op& w = AsWin32(op);
    count = 0;
    if (!w.Started) return true;
    DWORD n = 0;
    const BOOL ok = ::GetOverlappedResult(Port, &w.Block, &n, FALSE);
    count = n;
    // Wine ends a read that ran into its time-out with STATUS_TIMEOUT, which
    // GetOverlappedResult reports as ERROR_TIMEOUT; Windows ends it as a
    // success. Either way the read is over with the bytes it has.
    return ok || ::GetLastError() == ERROR_TIMEOUT || FailLast();
  }

  bool InputCount(std::uint32_t& count) override {
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(Port, &errors, &status)) return FailLast();
    count = status.cbInQue;
    return true;
  }
  bool Purge(std::uint32_t flags) override { return ::PurgeComm(Port, flags) || FailLast(); }

  std::string LastErrorText() const override {
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
        nullptr, LastError, 0x0400, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message = length != 0 && text != nullptr
                              ? std::string(text, length)
                              : "system error " + std::to_string(LastError);
    if (text != nullptr) ::LocalFree(text);
    return message;
  }
  int LastErrorNumber() const override { return static_cast<int>(LastError); }
  bool LastErrorIsDeviceLost() const override {
    switch (LastError) {
      case ERROR_BAD_COMMAND:
      case ERROR_GEN_FAILURE:
      case ERROR_DEVICE_REMOVED:
      case ERROR_DEVICE_NOT_CONNECTED:
      case ERROR_BROKEN_PIPE:
        return true;
      default:
        return false;
    }
  }

  bool SetEventMask(std::uint32_t mask) override {
    if (EventBlock.hEvent == nullptr) {
      EventBlock.hEvent = ::CreateEventA(nullptr, TRUE, TRUE, nullptr);
      if (EventBlock.hEvent == nullptr) return FailLast();
    }
    return ::SetCommMask(Port, mask) || FailLast();
  }

  TEventWait WaitEvent(const TStopSignal& stop, std::uint32_t& mask) override {
    HANDLE waitList[2] = {reinterpret_cast<HANDLE>(stop.Native()), EventBlock.hEvent};
    for (;;) {
      // A wait that completes at once every time must not hide the stop.
      if (::WaitForSingleObject(waitList[0], 0) == WAIT_OBJECT_0) return TEventWait::Stopped;
      EventsGot = 0;
      if (::WaitCommEvent(Port, &EventsGot, &EventBlock)) {
        mask = EventsGot;
        return TEventWait::Events;
      }
      if (::GetLastError() != ERROR_IO_PENDING) {
        Fail(::GetLastError());
        return TEventWait::Failed;
      }
      const DWORD woken = ::WaitForMultipleObjects(2, waitList, FALSE, INFINITE);
      DWORD ignored = 0;
      if (woken != WAIT_OBJECT_0 + 1) {
        // The wait outlives no call: cancel it while its block still exists.
        ::CancelIoEx(Port, &EventBlock);
        ::GetOverlappedResult(Port, &EventBlock, &ignored, TRUE);
        return woken == WAIT_OBJECT_0 ? TEventWait::Stopped : TEventWait::Failed;
      }
      if (::GetOverlappedResult(Port, &EventBlock, &ignored, FALSE)) {
        mask = EventsGot;
        return TEventWait::Events;
      }
    }
  }

 private:
  HANDLE Port = INVALID_HANDLE_VALUE;
  // The event thread's own wait: its block and where the system puts the mask.
  OVERLAPPED EventBlock{};
  DWORD EventsGot = 0;
};

}  // namespace

std::unique_ptr<TComPlatform> MakeSystemComPlatform() {
  return std::make_unique<TWin32ComPlatform>();
}

}  // namespace serial
