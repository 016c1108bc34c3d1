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

int SetMask(const TParam* p, std::uint8_t& mask, std::uint8_t ignored)
{
  int value = 0;
  if (const int e = WholeValue(*p, TUnitKind::None, MaskLimits, value)) return e;
  if (value < 0 || value > 255) return error::DataOutOfRange;
  mask = static_cast<std::uint8_t>(value & ~ignored);
  return error::None;
}

int Reply(TCommandContext& c, std::string text)
{
  c.Reply = std::move(text);
  return error::None;
}

const TCommand Common[] = {
  {"*IDN", nullptr, [](TCommandContext& c, const TParam*) { return Reply(c, c.Core.Identity()); }, false, false},
  {"*RST", [](TCommandContext& c, const TParam*) {
     c.Core.Instrument().Reset();
     c.Changed = true;
     return error::None;
   }, nullptr, false, false},
  {"*CLS", [](TCommandContext& c, const TParam*) { c.Core.ClearStatus(); return error::None; }, nullptr, false, false},
  {"*ESE", [](TCommandContext& c, const TParam* p) { return SetMask(p, Status(c).EventEnable, 0); },
   [](TCommandContext& c, const TParam*) { return Reply(c, std::to_string(Status(c).EventEnable)); }, true, false},
  {"*ESR", nullptr, [](TCommandContext& c, const TParam*) { return Reply(c, std::to_string(Status(c).TakeEvents())); },
   false, false},
  // Bit 6 of the service request enable mask is ignored (IEEE 488.2).
  {"*SRE", [](TCommandContext& c, const TParam* p) { return SetMask(p, Status(c).ServiceEnable, stb::ServiceRequest); },
   [](TCommandContext& c, const TParam*) { return Reply(c, std::to_string(Status(c).ServiceEnable)); }, true, false},
  {"*STB", nullptr,
   [](TCommandContext& c, const TParam*) { return Reply(c, std::to_string(Status(c).StatusByte(c.MessageAvailable))); },
   false, false},
  {"*OPC", [](TCommandContext& c, const TParam*) { c.Core.ArmOperationComplete(); return error::None; },
   [](TCommandContext& c, const TParam*) { c.Wait = TWait::WrittenThenOne; return error::None; }, false, false},
  {"*WAI", [](TCommandContext& c, const TParam*) { c.Wait = TWait::Written; return error::None; }, nullptr, false, false},
  {"*TST", nullptr, [](TCommandContext& c, const TParam*) { return Reply(c, "0"); }, false, false},
};

int Connect(TCommandContext& c, const TParam* p)
{
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

const TCommand System[] = {
  {"SYSTem:ERRor[:NEXT]", nullptr,
   [](TCommandContext& c, const TParam*) { return Reply(c, FormatError(Status(c).PopError())); }, false, false},
  {"SYSTem:ERRor:COUNt", nullptr,
   [](TCommandContext& c, const TParam*) { return Reply(c, std::to_string(Status(c).ErrorCount())); }, false, false},
  {"SYSTem:VERSion", nullptr, [](TCommandContext& c, const TParam*) { return Reply(c, ScpiVersion); }, false, false},
  {"SYSTem:CONNect", Connect,
   [](TCommandContext& c, const TParam*) {
     const TInstrument& device = c.Core.Instrument();
     return Reply(c, FormatString(device.PortName()) + "," + FormatBoolean(device.Online()));
   }, true, false},
};

}  // namespace

std::span<const TCommand> CommonCommands() { return Common; }
std::span<const TCommand> SystemCommands() { return System; }

}  // namespace remote
