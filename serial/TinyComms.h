#pragma once
// The serial port component: one port opened with emulated overlapped
// transfers, its line settings, queue sizes and time-outs, writes, reads,
// the input count, and optional line events through an event thread.
//
// Thread contract: the component takes no locks. Its operations must not run
// on two threads at once; the owner serialises them (the program's run lets
// the update tick write only while the device is online, and opens, closes
// and runs the handshake on the GUI thread while it is not). The event thread
// only waits on the port and fires the handlers as SyncMethod prescribes.
//
// The platform's serial calls sit behind TComPlatform (ComPlatform.h); the
// system's own implementation is chosen when none is given.
//
// Line events: OnRxChar fires once for every arrival of bytes (also when a
// handler has emptied the queue since the last one), OnRxFlag when EventChar
// is among them. With smSynchronize and smWindow the handlers run on the GUI
// thread (EventDelivery.h; the Qt library sets this up by being linked);
// with smNone, or in a program without a GUI, on the event thread. The
// event machinery is the component's whole contract, kept and tested even
// though the program's own port selects no events and never starts it.
//
// Line settings that the POSIX half (termios) has no direct equivalent for;
// a refused one makes ConfigureLine, and so Open, raise EComPort "Unable to
// set com state: " followed by the reason:
//   sbOne5StopBits      honoured with dbFive (the UART sends 1.5 stop bits
//                       for two); refused with 6 to 8 data bits, and
//                       sbTwoStopBits is refused with dbFive, as on Windows
//   OutDsrFlow          refused
//   dtrHandshake        refused
//   rtsToggle           honoured through the driver's RS-485 mode (RTS on
//                       while sending); refused where the driver has none
//   OutCtsFlow, rtsHandshake
//                       honoured together (CRTSCTS); either alone refused,
//                       since CRTSCTS always does both
//   DiscardNull         emulated: reads drop null bytes; InputCount still
//                       counts those that no read has taken yet
//   Parity.Check        honoured: errors are counted (evError) and the byte
//                       is delivered as received
//   Parity.Replace      honoured with ReplaceChar 0 (INPCK reads a byte with a
//                       parity or framing error as 0); another character refused
//   XonLim, XoffLim     the kernel's marks are fixed at 128 bytes: honoured
//                       when input flow control (XonXoffIn or rtsHandshake)
//                       is on and ReadBufSize / 4 is 128, refused when on
//                       with other limits, unused otherwise
//   ReadBufSize, WriteBufSize
//                       the kernel's queues keep their sizes, as a Windows
//                       driver may; ReadBufSize bounds the input that the
//                       event wait takes ahead (see ComPlatformPosix.cpp)
// The Win32 half hands every setting to SetCommState, which judges it.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "serial/ComPlatform.h"
#include "serial/GenAlg.h"

namespace serial {

class TComPlatform;
class TComThread;
class TTinyComPort;

class EComPort : public std::runtime_error {
 public:
  explicit EComPort(const std::string& message, bool deviceLost = false, int errorNumber = 0)
      : std::runtime_error(message), FDeviceLost(deviceLost), FErrorNumber(errorNumber) {}
  // The failure came from a device that is gone (hang-up, unplugged adapter):
  // the owner goes offline as for a removed port.
  bool DeviceLost() const { return FDeviceLost; }
  // The system's error number behind the message (errno), 0 when none.
  int ErrorNumber() const { return FErrorNumber; }

 private:
  bool FDeviceLost;
  int FErrorNumber;
};

enum TBaudRate : std::uint8_t {
  br110,
  br300,
  br600,
  br1200,
  br2400,
  br4800,
  br9600,
  br14400,
  br19200,
  br38400,
  br56000,
  br57600,
  br115200
};
enum TStopBits : std::uint8_t { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TDataBits : std::uint8_t { dbFive, dbSix, dbSeven, dbEight };
enum TParityBits : std::uint8_t { prNone, prOdd, prEven, prMark, prSpace };
enum TDtrFlowControl : std::uint8_t { dtrDisable, dtrEnable, dtrHandshake };
enum TRtsFlowControl : std::uint8_t { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum TSyncMethod : std::uint8_t { smSynchronize, smWindow, smNone };
enum TEvent : std::uint8_t {
  evRxChar,
  evTxEmpty,
  evRxFlag,
  evRing,
  evBreak,
  evCTS,
  evDSR,
  evError,
  evRLSD,
  evRx80Full
};
// Bit n stands for the TEvent of ordinal n; the full set is 0x03FF.
using TEvents = std::uint16_t;
constexpr TEvents AllEvents = 0x03FF;
constexpr TEvents EventBit(TEvent e) { return static_cast<TEvents>(1u << e); }

int BaudRateValue(TBaudRate rate);

using TNotifyEvent = std::function<void(TTinyComPort& sender)>;
using TRxCharEvent = std::function<void(TTinyComPort& sender, std::int32_t inQue)>;

class TComTimeouts {
 public:
  explicit TComTimeouts(TTinyComPort* owner) : Owner(owner) {}
  // Copies the values only; each object keeps its own owner; nothing is re-applied.
  void Assign(const TComTimeouts& source);

  std::int32_t ReadInterval() const { return FReadInterval; }
  std::int32_t ReadTotalMultiplier() const { return FReadTotalMultiplier; }
  std::int32_t ReadTotalConstant() const { return FReadTotalConstant; }
  std::int32_t WriteTotalMultiplier() const { return FWriteTotalMultiplier; }
  std::int32_t WriteTotalConstant() const { return FWriteTotalConstant; }
  void SetReadInterval(std::int32_t value);
  void SetReadTotalMultiplier(std::int32_t value);
  void SetReadTotalConstant(std::int32_t value);
  void SetWriteTotalMultiplier(std::int32_t value);
  void SetWriteTotalConstant(std::int32_t value);

 private:
  TTinyComPort* Owner;
  std::int32_t FReadInterval = -1;
  std::int32_t FReadTotalMultiplier = 0;
  std::int32_t FReadTotalConstant = 0;
  std::int32_t FWriteTotalMultiplier = 100;
  std::int32_t FWriteTotalConstant = 1000;
};

class TFlowControl {
 public:
  explicit TFlowControl(TTinyComPort* owner) : Owner(owner) {}
  void Assign(const TFlowControl& source);

  bool OutCtsFlow() const { return FOutCtsFlow; }
  bool OutDsrFlow() const { return FOutDsrFlow; }
  TDtrFlowControl ControlDtr() const { return FControlDtr; }
  TRtsFlowControl ControlRts() const { return FControlRts; }
  bool XonXoffOut() const { return FXonXoffOut; }
  bool XonXoffIn() const { return FXonXoffIn; }
  void SetOutCtsFlow(bool value);
  void SetOutDsrFlow(bool value);
  void SetControlDtr(TDtrFlowControl value);
  void SetControlRts(TRtsFlowControl value);
  void SetXonXoffOut(bool value);
  void SetXonXoffIn(bool value);

 private:
  TTinyComPort* Owner;
  bool FOutCtsFlow = false;
  bool FOutDsrFlow = false;
  TDtrFlowControl FControlDtr = dtrDisable;
  TRtsFlowControl FControlRts = rtsDisable;
  bool FXonXoffOut = false;
  bool FXonXoffIn = false;
};

class TParity {
 public:
  explicit TParity(TTinyComPort* owner) : Owner(owner) {}
  void Assign(const TParity& source);

  TParityBits Bits() const { return FBits; }
  bool Check() const { return FCheck; }
  bool Replace() const { return FReplace; }
  std::uint8_t ReplaceChar() const { return FReplaceChar; }
  void SetBits(TParityBits value);
  void SetCheck(bool value);
  void SetReplace(bool value);
  void SetReplaceChar(std::uint8_t value);

 private:
  TTinyComPort* Owner;
  TParityBits FBits = prNone;
  bool FCheck = false;
  bool FReplace = false;
  std::uint8_t FReplaceChar = 0;
};

class TTinyComPort {
 public:
  // platform: the serial calls to use; null chooses the system's own.
  explicit TTinyComPort(std::unique_ptr<TComPlatform> platform = nullptr);
  ~TTinyComPort();
  TTinyComPort(const TTinyComPort&) = delete;
  TTinyComPort& operator=(const TTinyComPort&) = delete;

  void Open();
  void Close();
  bool Connected() const { return FConnected; }
  bool PortPresent() const { return FPortPresent; }
  void SetPortPresent(bool present) { FPortPresent = present; }

  std::int32_t InputCount();
  // Bytes written, or -1 when the transfer was left pending. The bytes are
  // copied, so buffer may go at once. A negative count counts as 0.
  std::int32_t Write(const void* buffer, std::int32_t count, bool wait);
  std::int32_t WriteStr(const std::string& text, bool wait);
  // Bytes read, or -1 when left pending; s ends with count characters. A
  // read left pending fills s when WaitForPending takes it, so s must live
  // until then. A negative count counts as 0.
  std::int32_t ReadStr(std::string& s, std::int32_t count, bool wait);
  // Bytes of the newest pending transfer, or -2 when none is pending.
  std::int32_t WaitForPending();
  bool HasPending() const;
  void AbortAll();

  // Properties. Setters do nothing when given the current value.
  TBaudRate BaudRate() const { return FBaudRate; }
  void SetBaudRate(TBaudRate value);
  const std::string& Port() const { return FPort; }
  void SetPort(const std::string& value) { FPort = value; }
  TStopBits StopBits() const { return FStopBits; }
  void SetStopBits(TStopBits value);
  TDataBits DataBits() const { return FDataBits; }
  void SetDataBits(TDataBits value);
  bool DiscardNull() const { return FDiscardNull; }
  void SetDiscardNull(bool value);
  std::uint8_t EventChar() const { return FEventChar; }
  void SetEventChar(std::uint8_t value);
  TEvents Events() const { return FEvents; }
  void SetEvents(TEvents value) { FEvents = value; }
  std::uint32_t WriteBufSize() const { return FWriteBufSize; }
  void SetWriteBufSize(std::uint32_t value);
  std::uint32_t ReadBufSize() const { return FReadBufSize; }
  void SetReadBufSize(std::uint32_t value);
  TSyncMethod SyncMethod() const { return FSyncMethod; }
  void SetSyncMethod(TSyncMethod value);
  TParity& Parity() { return *FParity; }
  TComTimeouts& Timeouts() { return *FTimeouts; }
  TFlowControl& FlowControl() { return *FFlowControl; }

  TRxCharEvent OnRxChar;
  TNotifyEvent OnTxEmpty, OnBreak, OnRing, OnCTS, OnDSR, OnRLSD, OnError, OnRxFlag, OnOpen, OnClose,
      OnRx80Full;

  // Re-apply a group of settings to the open port (no-ops while closed).
  void ConfigureQueues();
  void ConfigureLine();
  void ConfigureTimeouts();
  void ConfigureAll();

  // Called by the event thread (or the main-thread delivery it uses).
  void FireRxChar();
  void FireTxEmpty();
  void FireBreak();
  void FireRing();
  void FireCTS();
  void FireDSR();
  void FireRxFlag();
  void FireRLSD();
  void FireError();
  void FireRx80Full();
  // Fires the handler of one system event-mask bit (the event-window path).
  void FireEventBit(std::uint32_t bit);

  TComPlatform& Platform() { return *FPlatform; }

 private:
  struct TPendingOp;
  std::string LastErrorText() const;
  [[noreturn]] void RaiseLastError(const char* prefix) const;
  TPendingOp& PushPendingOp();
  void ReleasePendingOp(TPendingOp* op);

  std::unique_ptr<TComPlatform> FPlatform;
  std::unique_ptr<TComThread> FEventThread;
  bool FThreadStarted = false;
  TStack FPending;
  bool FConnected = false;
  // Written by the owner, read by the event thread when it ends.
  std::atomic<bool> FPortPresent{false};
  TBaudRate FBaudRate = br9600;
  std::string FPort = "COM1";
  TStopBits FStopBits = sbOneStopBit;
  TDataBits FDataBits = dbEight;
  bool FDiscardNull = false;
  std::uint8_t FEventChar = 0;
  TEvents FEvents = AllEvents;
  std::uint32_t FWriteBufSize = 1024;
  std::uint32_t FReadBufSize = 1024;
  std::unique_ptr<TParity> FParity;
  std::unique_ptr<TComTimeouts> FTimeouts;
  std::unique_ptr<TFlowControl> FFlowControl;
  TSyncMethod FSyncMethod = smSynchronize;
};

// Applies MainComPort's stored settings: 9600 8N1, no flow control, events
// empty, read time-outs 3000 ms interval and 10 ms per byte + 1000 ms.
void ApplyMainComPortSettings(TTinyComPort& port);

}  // namespace serial
