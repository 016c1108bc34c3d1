// The serial port component's logic: what is asked of the platform, when,
// with which values, and what a failure becomes.

#include "serial/TinyComms.h"

#include <algorithm>
#include <cstring>

#include "serial/ComPlatform.h"
#include "serial/ComThread.h"

namespace serial {

// One asynchronous transfer on the pending stack. Owned by the stack from
// its push until the consumer that pops it releases it.
struct TTinyComPort::TPendingOp {
  std::shared_ptr<TComOp> Op;
  std::string* ReadTarget = nullptr;  // a read left pending fills this string
};

namespace {

constexpr int RateValues[] = {110,   300,   600,   1200,  2400,  4800,  9600,
                              14400, 19200, 38400, 56000, 57600, 115200};

std::uint32_t Pattern(std::int32_t value) { return static_cast<std::uint32_t>(value); }

template <typename T>
bool Changed(T& field, T value) {
  if (field == value) return false;
  field = value;
  return true;
}

}  // namespace

int BaudRateValue(TBaudRate rate) { return rate <= br115200 ? RateValues[rate] : 0; }

// ---- settings objects -------------------------------------------------------

void TComTimeouts::Assign(const TComTimeouts& source) {
  FReadInterval = source.FReadInterval;
  FReadTotalMultiplier = source.FReadTotalMultiplier;
  FReadTotalConstant = source.FReadTotalConstant;
  FWriteTotalMultiplier = source.FWriteTotalMultiplier;
  FWriteTotalConstant = source.FWriteTotalConstant;
}

void TComTimeouts::SetReadInterval(std::int32_t value) {
  if (Changed(FReadInterval, value)) Owner->ConfigureTimeouts();
}
void TComTimeouts::SetReadTotalMultiplier(std::int32_t value) {
  if (Changed(FReadTotalMultiplier, value)) Owner->ConfigureTimeouts();
}
void TComTimeouts::SetReadTotalConstant(std::int32_t value) {
  if (Changed(FReadTotalConstant, value)) Owner->ConfigureTimeouts();
}
void TComTimeouts::SetWriteTotalMultiplier(std::int32_t value) {
  if (Changed(FWriteTotalMultiplier, value)) Owner->ConfigureTimeouts();
}
void TComTimeouts::SetWriteTotalConstant(std::int32_t value) {
  if (Changed(FWriteTotalConstant, value)) Owner->ConfigureTimeouts();
}

void TFlowControl::Assign(const TFlowControl& source) {
  FOutCtsFlow = source.FOutCtsFlow;
  FOutDsrFlow = source.FOutDsrFlow;
  FControlDtr = source.FControlDtr;
  FControlRts = source.FControlRts;
  FXonXoffOut = source.FXonXoffOut;
  FXonXoffIn = source.FXonXoffIn;
}

void TFlowControl::SetOutCtsFlow(bool value) {
  if (Changed(FOutCtsFlow, value)) Owner->ConfigureLine();
}
void TFlowControl::SetOutDsrFlow(bool value) {
  if (Changed(FOutDsrFlow, value)) Owner->ConfigureLine();
}
void TFlowControl::SetControlDtr(TDtrFlowControl value) {
  if (Changed(FControlDtr, value)) Owner->ConfigureLine();
}
void TFlowControl::SetControlRts(TRtsFlowControl value) {
  if (Changed(FControlRts, value)) Owner->ConfigureLine();
}
void TFlowControl::SetXonXoffOut(bool value) {
  if (Changed(FXonXoffOut, value)) Owner->ConfigureLine();
}
void TFlowControl::SetXonXoffIn(bool value) {
  if (Changed(FXonXoffIn, value)) Owner->ConfigureLine();
}

void TParity::Assign(const TParity& source) {
  FBits = source.FBits;
  FCheck = source.FCheck;
  FReplace = source.FReplace;
  FReplaceChar = source.FReplaceChar;
}

void TParity::SetBits(TParityBits value) {
  if (Changed(FBits, value)) Owner->ConfigureLine();
}
void TParity::SetCheck(bool value) {
  if (Changed(FCheck, value)) Owner->ConfigureLine();
}
void TParity::SetReplace(bool value) {
  if (Changed(FReplace, value)) Owner->ConfigureLine();
}
void TParity::SetReplaceChar(std::uint8_t value) {
  if (Changed(FReplaceChar, value)) Owner->ConfigureLine();
}

// ---- construction, open and close -------------------------------------------

TTinyComPort::TTinyComPort(std::unique_ptr<TComPlatform> platform)
    : FPlatform(platform ? std::move(platform) : MakeSystemComPlatform()),
      FParity(std::make_unique<TParity>(this)),
      FTimeouts(std::make_unique<TComTimeouts>(this)),
      FFlowControl(std::make_unique<TFlowControl>(this)) {}

TTinyComPort::~TTinyComPort() {
  try {
    Close();
  } catch (const EComPort&) {
    // A failed purge still released every pending transfer; end the rest here.
  }
  while (HasPending()) ReleasePendingOp(static_cast<TPendingOp*>(FPending.Pop()));
  FEventThread.reset();
  FPlatform->Close();
}

void TTinyComPort::Open() {
  Close();
  if (!FPlatform->Open(FPort)) RaiseLastError("Unable to open com port: ");
  FConnected = true;
  try {
    ConfigureAll();
  } catch (const EComPort&) {
    FPlatform->Close();
    FConnected = false;
    throw;
  }
  FThreadStarted = FEvents != 0;
  if (FThreadStarted) FEventThread = std::make_unique<TComThread>(*this);
  if (OnOpen) OnOpen(*this);
}

void TTinyComPort::Close() {
  if (!FConnected) return;
  AbortAll();
  if (FThreadStarted) {
    FEventThread.reset();
    FThreadStarted = false;
  }
  FPlatform->Close();
  FConnected = false;
  if (OnClose) OnClose(*this);
}

// ---- configuration ----------------------------------------------------------

void TTinyComPort::ConfigureQueues() {
  if (!FConnected || !FPortPresent) return;
  if (!FPlatform->SetupQueues(FReadBufSize, FWriteBufSize))
    RaiseLastError("Unable to set com state: ");
}

void TTinyComPort::ConfigureLine() {
  if (!FConnected) return;
  TLineSettings line;
  line.BaudRate = static_cast<std::uint32_t>(BaudRateValue(FBaudRate));
  line.Binary = true;
  line.ParityCheck = FParity->Check();
  line.OutxCtsFlow = FFlowControl->OutCtsFlow();
  line.OutxDsrFlow = FFlowControl->OutDsrFlow();
  line.DtrControl = FFlowControl->ControlDtr();
  line.OutX = FFlowControl->XonXoffOut();
  line.InX = FFlowControl->XonXoffIn();
  line.ErrorCharEnabled = FParity->Replace();
  line.DiscardNull = FDiscardNull;
  line.RtsControl = FFlowControl->ControlRts();
  line.XonLim = line.XoffLim = static_cast<std::uint16_t>(FReadBufSize / 4);
  line.ByteSize = static_cast<std::uint8_t>(FDataBits + 5);
  line.Parity = FParity->Bits();
  line.StopBits = FStopBits;
  line.XonChar = 0x11;
  line.XoffChar = 0x13;
  line.ErrorChar = FParity->Replace() ? FParity->ReplaceChar() : 0;
  line.EofChar = 0;
  line.EvtChar = FEventChar;
  if (!FPlatform->SetLine(line)) RaiseLastError("Unable to set com state: ");
}

void TTinyComPort::ConfigureTimeouts() {
  if (!FConnected) return;
  const TComTimeouts& t = *FTimeouts;
  const TTimeoutSettings timeouts{Pattern(t.ReadInterval()), Pattern(t.ReadTotalMultiplier()),
                                  Pattern(t.ReadTotalConstant()), Pattern(t.WriteTotalMultiplier()),
                                  Pattern(t.WriteTotalConstant())};
  if (!FPlatform->SetTimeouts(timeouts)) RaiseLastError("Unable to set com state: ");
}

void TTinyComPort::ConfigureAll() {
  ConfigureQueues();
  ConfigureLine();
  ConfigureTimeouts();
}

// ---- transfers --------------------------------------------------------------

TTinyComPort::TPendingOp& TTinyComPort::PushPendingOp() {
  auto op = std::make_unique<TPendingOp>();
  op->Op = FPlatform->NewOp();
  FPending.Push(op.get());
  return *op.release();
}

void TTinyComPort::ReleasePendingOp(TPendingOp* op) {
  std::unique_ptr<TPendingOp> owned(op);
  FPlatform->ReleaseOp(*owned->Op);
}

std::int32_t TTinyComPort::Write(const void* buffer, std::int32_t count, bool wait) {
  count = std::max(count, 0);
  TPendingOp& op = PushPendingOp();
  bool pending = false, finished = true, ok = true;
  std::uint32_t n = 0;
  if (FPortPresent) {
    const TIoStart start =
        FPlatform->StartWrite(*op.Op, buffer, static_cast<std::uint32_t>(count), n);
    ok = start == TIoStart::Finished;
    if (start == TIoStart::Pending) {
      finished = false;
      if (wait) {
        n = static_cast<std::uint32_t>(WaitForPending());  // takes this operation
        ok = true;
      } else {
        pending = true;
      }
    }
  }
  if (finished) ReleasePendingOp(static_cast<TPendingOp*>(FPending.Pop()));
  if (!ok && !pending) RaiseLastError("Operation failed: ");
  return pending ? -1 : static_cast<std::int32_t>(n);
}

std::int32_t TTinyComPort::WriteStr(const std::string& text, bool wait) {
  return Write(text.data(), static_cast<std::int32_t>(text.size()), wait);
}

std::int32_t TTinyComPort::ReadStr(std::string& s, std::int32_t count, bool wait) {
  count = std::max(count, 0);
  s.assign(static_cast<std::size_t>(count) + 1, '\0');
  std::uint32_t n = 0;
  TPendingOp& op = PushPendingOp();
  op.ReadTarget = &s;
  bool pending = false, finished = true, ok = true;
  if (FPortPresent) {
    const TIoStart start = FPlatform->StartRead(*op.Op, static_cast<std::uint32_t>(count), n);
    ok = start == TIoStart::Finished;
    if (ok && n > 0) std::memcpy(s.data(), FPlatform->ReadData(*op.Op), n);
    if (start == TIoStart::Pending) {
      finished = false;
      if (wait) {
        n = static_cast<std::uint32_t>(WaitForPending());  // fills s
        ok = true;
      } else {
        pending = true;
      }
    }
  }
  s.resize(static_cast<std::size_t>(count));
  if (finished) ReleasePendingOp(static_cast<TPendingOp*>(FPending.Pop()));
  if (!ok && !pending) RaiseLastError("Operation aborted: ");
  return pending ? -1 : static_cast<std::int32_t>(n);
}

std::int32_t TTinyComPort::WaitForPending() {
  if (!HasPending()) return -2;
  std::unique_ptr<TPendingOp> op(static_cast<TPendingOp*>(FPending.Pop()));
  std::uint32_t n = 0;
  bool ok = true;
  if (FPortPresent) {
    ok = FPlatform->WaitOp(*op->Op) && FPlatform->OpResult(*op->Op, n);
  } else {
    FPlatform->WaitOp(*op->Op);
  }
  if (ok && n > 0 && op->ReadTarget != nullptr) {
    const std::size_t bytes = std::min<std::size_t>(n, op->ReadTarget->size());
    std::memcpy(op->ReadTarget->data(), FPlatform->ReadData(*op->Op), bytes);
  }
  const std::string error = ok ? std::string() : LastErrorText();
  const bool lost = !ok && FPlatform->LastErrorIsDeviceLost();
  ReleasePendingOp(op.release());
  if (!ok) throw EComPort("Operation failed: " + error, lost);
  return static_cast<std::int32_t>(n);
}

bool TTinyComPort::HasPending() const { return !FPending.IsEmpty(); }

void TTinyComPort::AbortAll() {
  if (!HasPending()) return;
  bool purged = true, lost = false;
  std::string error;
  if (FPortPresent && !FPlatform->Purge(PurgeTxAbort | PurgeRxAbort)) {
    purged = false;
    error = LastErrorText();
    lost = FPlatform->LastErrorIsDeviceLost();
  }
  // Newest first; releasing also stops the platform from completing into it.
  while (HasPending()) ReleasePendingOp(static_cast<TPendingOp*>(FPending.Pop()));
  if (!purged) throw EComPort("Cannot abort operation: " + error, lost);
}

std::int32_t TTinyComPort::InputCount() {
  if (!FPortPresent) return 0;
  std::uint32_t count = 0;
  if (!FPlatform->InputCount(count)) RaiseLastError("Unable to read com status: ");
  return static_cast<std::int32_t>(count);
}

std::string TTinyComPort::LastErrorText() const { return FPlatform->LastErrorText(); }

void TTinyComPort::RaiseLastError(const char* prefix) const {
  throw EComPort(prefix + LastErrorText(), FPlatform->LastErrorIsDeviceLost(),
                 FPlatform->LastErrorNumber());
}

// ---- property setters -------------------------------------------------------

void TTinyComPort::SetBaudRate(TBaudRate value) {
  if (Changed(FBaudRate, value)) ConfigureLine();
}
void TTinyComPort::SetStopBits(TStopBits value) {
  if (Changed(FStopBits, value)) ConfigureLine();
}
void TTinyComPort::SetDataBits(TDataBits value) {
  if (Changed(FDataBits, value)) ConfigureLine();
}
void TTinyComPort::SetDiscardNull(bool value) {
  if (Changed(FDiscardNull, value)) ConfigureLine();
}
void TTinyComPort::SetEventChar(std::uint8_t value) {
  if (Changed(FEventChar, value)) ConfigureLine();
}
void TTinyComPort::SetWriteBufSize(std::uint32_t value) {
  if (Changed(FWriteBufSize, value)) ConfigureQueues();
}
void TTinyComPort::SetReadBufSize(std::uint32_t value) {
  if (Changed(FReadBufSize, value)) ConfigureQueues();
}

void TTinyComPort::SetSyncMethod(TSyncMethod value) {
  if (value == FSyncMethod) return;
  if (FConnected) throw EComPort("Cannot set SyncMethod while connected");
  FSyncMethod = value;
}

// ---- firing -----------------------------------------------------------------

void TTinyComPort::FireRxChar() {
  if (OnRxChar) OnRxChar(*this, InputCount());
}
void TTinyComPort::FireTxEmpty() {
  if (OnTxEmpty) OnTxEmpty(*this);
}
void TTinyComPort::FireBreak() {
  if (OnBreak) OnBreak(*this);
}
void TTinyComPort::FireRing() {
  if (OnRing) OnRing(*this);
}
void TTinyComPort::FireCTS() {
  if (OnCTS) OnCTS(*this);
}
void TTinyComPort::FireDSR() {
  if (OnDSR) OnDSR(*this);
}
void TTinyComPort::FireRxFlag() {
  if (OnRxFlag) OnRxFlag(*this);
}
void TTinyComPort::FireRLSD() {
  if (OnRLSD) OnRLSD(*this);
}
void TTinyComPort::FireError() {
  if (OnError) OnError(*this);
}
void TTinyComPort::FireRx80Full() {
  if (OnRx80Full) OnRx80Full(*this);
}

void TTinyComPort::FireEventBit(std::uint32_t bit) {
  switch (bit) {
    case EvMaskRxChar:
      return FireRxChar();
    case EvMaskTxEmpty:
      return FireTxEmpty();
    case EvMaskBreak:
      return FireBreak();
    case EvMaskRing:
      return FireRing();
    case EvMaskCts:
      return FireCTS();
    case EvMaskDsr:
      return FireDSR();
    case EvMaskRxFlag:
      return FireRxFlag();
    case EvMaskRlsd:
      return FireRLSD();
    case EvMaskErr:
      return FireError();
    case EvMaskRx80Full:
      return FireRx80Full();
    default:
      return;
  }
}

// ---- MainComPort's stored settings ------------------------------------------

void ApplyMainComPortSettings(TTinyComPort& port) {
  port.SetBaudRate(br9600);
  port.SetPort("COM1");
  port.Parity().SetBits(prNone);
  port.Parity().SetCheck(false);
  port.Parity().SetReplace(false);
  port.Parity().SetReplaceChar(0);
  port.SetStopBits(sbOneStopBit);
  port.SetDataBits(dbEight);
  port.SetDiscardNull(false);
  port.SetEventChar(0);
  port.SetEvents(0);
  port.SetWriteBufSize(1024);
  port.SetReadBufSize(1024);
  port.FlowControl().SetOutCtsFlow(false);
  port.FlowControl().SetOutDsrFlow(false);
  port.FlowControl().SetControlDtr(dtrDisable);
  port.FlowControl().SetControlRts(rtsDisable);
  port.FlowControl().SetXonXoffOut(false);
  port.FlowControl().SetXonXoffIn(false);
  port.Timeouts().SetReadInterval(3000);
  port.Timeouts().SetReadTotalMultiplier(10);
  port.Timeouts().SetReadTotalConstant(1000);
  port.Timeouts().SetWriteTotalMultiplier(0);
  port.Timeouts().SetWriteTotalConstant(0);
  port.SetSyncMethod(smSynchronize);
}

}  // namespace serial
