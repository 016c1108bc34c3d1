#include "remote/ScpiCore.h"

namespace remote {
namespace {

constexpr const char* Maker = "Zolvek";
constexpr const char* Model = "DDS-12M5";

// A port name inside the comma-separated identity keeps it four fields.
std::string IdentityField(const std::string& text) {
  std::string field = text;
  for (char& c : field)
    if (c == ',' || c == ';' || c == '"' || static_cast<unsigned char>(c) < 0x20) c = '_';
  return field;
}

}  // namespace

TScpiCore::TScpiCore(TInstrument& instrument) : Device(instrument) {}

std::string TScpiCore::Identity() const {
  const std::string port = Device.Online() ? IdentityField(Device.PortName()) : std::string();
  return std::string(Maker) + "," + Model + "," + (port.empty() ? "none" : port) + "," +
         ZOLVEK_VERSION;
}

void TScpiCore::ArmOperationComplete() {
  const std::weak_ptr<unsigned> clears = ClearCount;
  const unsigned armedAt = *ClearCount;
  Device.WhenWritten([this, clears, armedAt] {
    const auto count = clears.lock();
    if (count && *count == armedAt) Registers.SetEvents(esr::OperationComplete);
  });
}

void TScpiCore::DeviceLost() {
  const std::string port = Device.PortName();
  Registers.PushError(error::DeviceSpecific,
                      "generator lost" + (port.empty() ? std::string() : " on " + port));
}

void TScpiCore::ClearStatus() {
  Registers.Clear();
  ++*ClearCount;
}

}  // namespace remote
