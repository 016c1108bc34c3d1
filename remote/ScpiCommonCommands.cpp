// IEEE 488.2 common commands and the SYSTem subsystem.

#include "remote/ScpiCommandTable.h"
#include "remote/ScpiCore.h"
#include "remote/ScpiFormat.h"
#include "remote/ScpiParams.h"

namespace remote {
namespace {

constexpr TLimits MaskLimits{0, 255, 0};
// The SCPI version the command set follows.
constexpr const char* ScpiVersion = "1999.0";

TStatusRegisters& Status(TCommandContext& c) { return c.Core.Status(); }

int Reply(TCommandContext& c, std::string text) {
  c.Reply = std::move(text);
  return error::None;
}

int SetMask(const TParam* p, std::uint8_t& mask, std::uint8_t ignored) {
  int value = 0;
  if (const int e = WholeValue(*p, TUnitKind::None, MaskLimits, value)) return e;
  if (value < 0 || value > 255) return error::DataOutOfRange;
  mask = static_cast<std::uint8_t>(value & ~ignored);
  return error::None;
}

int Identify(TCommandContext& c, const TParam*) { return Reply(c, c.Core.Identity()); }

int Reset(TCommandContext& c, const TParam*) {
  c.Core.Instrument().Reset();
  c.Changed = true;
  return error::None;
}

int ClearStatus(TCommandContext& c, const TParam*) {
  c.Core.ClearStatus();
  return error::None;
}

int SetEventEnable(TCommandContext& c, const TParam* p) {
  return SetMask(p, Status(c).EventEnable, 0);
}
int EventEnable(TCommandContext& c, const TParam*) {
  return Reply(c, std::to_string(Status(c).EventEnable));
}
int Events(TCommandContext& c, const TParam*) {
  return Reply(c, std::to_string(Status(c).TakeEvents()));
}

// Bit 6 of the service request enable mask is ignored (IEEE 488.2).
int SetServiceEnable(TCommandContext& c, const TParam* p) {
  return SetMask(p, Status(c).ServiceEnable, stb::ServiceRequest);
}
int ServiceEnable(TCommandContext& c, const TParam*) {
  return Reply(c, std::to_string(Status(c).ServiceEnable));
}

int StatusByte(TCommandContext& c, const TParam*) {
  return Reply(c, std::to_string(Status(c).StatusByte(c.MessageAvailable)));
}

int ArmOperationComplete(TCommandContext& c, const TParam*) {
  c.Core.ArmOperationComplete();
  return error::None;
}

int OperationComplete(TCommandContext& c, const TParam*) {
  c.Wait = TWait::WrittenThenOne;
  return error::None;
}

int WaitToContinue(TCommandContext& c, const TParam*) {
  c.Wait = TWait::Written;
  return error::None;
}

int SelfTest(TCommandContext& c, const TParam*) { return Reply(c, "0"); }

const TCommand Common[] = {
    {"*IDN", nullptr, Identify, false, false},
    {"*RST", Reset, nullptr, false, false},
    {"*CLS", ClearStatus, nullptr, false, false},
    {"*ESE", SetEventEnable, EventEnable, true, false},
    {"*ESR", nullptr, Events, false, false},
    {"*SRE", SetServiceEnable, ServiceEnable, true, false},
    {"*STB", nullptr, StatusByte, false, false},
    {"*OPC", ArmOperationComplete, OperationComplete, false, false},
    {"*WAI", WaitToContinue, nullptr, false, false},
    {"*TST", nullptr, SelfTest, false, false},
};

int NextError(TCommandContext& c, const TParam*) {
  return Reply(c, FormatError(Status(c).PopError()));
}
int ErrorCount(TCommandContext& c, const TParam*) {
  return Reply(c, std::to_string(Status(c).ErrorCount()));
}
int Version(TCommandContext& c, const TParam*) { return Reply(c, ScpiVersion); }

// "NAME" connects with the handshake, OFF disconnects.
int Connect(TCommandContext& c, const TParam* p) {
  static const TMnemonic off("OFF");
  TInstrument& device = c.Core.Instrument();
  if (p->Kind == TParamKind::Keyword) {
    if (!off.Matches(p->Text)) return error::IllegalParameterValue;
    device.Disconnect();
    return error::None;
  }
  std::string name;
  if (const int e = StringValue(*p, name)) return e;
  if (name.empty()) return error::IllegalParameterValue;
  const int e = OutcomeError(device.Connect(name));
  if (!e) c.Changed = true;
  return e;
}

// The last port opened and whether the program is online.
int Connection(TCommandContext& c, const TParam*) {
  const TInstrument& device = c.Core.Instrument();
  return Reply(c, FormatString(device.PortName()) + "," + FormatBoolean(device.Online()));
}

const TCommand System[] = {
    {"SYSTem:ERRor[:NEXT]", nullptr, NextError, false, false},
    {"SYSTem:ERRor:COUNt", nullptr, ErrorCount, false, false},
    {"SYSTem:VERSion", nullptr, Version, false, false},
    {"SYSTem:CONNect", Connect, Connection, true, false},
};

}  // namespace

std::span<const TCommand> CommonCommands() { return Common; }
std::span<const TCommand> SystemCommands() { return System; }

}  // namespace remote
