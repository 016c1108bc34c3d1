#include "remote/ScpiStatus.h"

#include <utility>

namespace remote {
namespace {

std::uint8_t EventOfClass(int code) {
  if (code <= -100 && code > -200) return esr::CommandError;
  if (code <= -200 && code > -300) return esr::ExecutionError;
  if (code <= -300 && code > -400) return esr::DeviceError;
  if (code <= -400 && code > -500) return esr::QueryError;
  return 0;
}

}  // namespace

void TStatusRegisters::PushError(int code, std::string detail) {
  Esr |= EventOfClass(code);
  if (Errors.size() < QueueLength)
    Errors.push_back({code, std::move(detail)});
  else
    Errors.back() = {error::QueueOverflow, {}};
}

TError TStatusRegisters::PopError() {
  if (Errors.empty()) return {};
  TError oldest = std::move(Errors.front());
  Errors.pop_front();
  return oldest;
}

std::uint8_t TStatusRegisters::TakeEvents() { return std::exchange(Esr, std::uint8_t{0}); }

std::uint8_t TStatusRegisters::StatusByte(bool messageAvailable) const {
  std::uint8_t status = 0;
  if (!Errors.empty()) status |= stb::ErrorQueue;
  if (messageAvailable) status |= stb::MessageAvailable;
  if (Esr & EventEnable) status |= stb::EventSummary;
  if (status & ServiceEnable) status |= stb::ServiceRequest;
  return status;
}

void TStatusRegisters::Clear() {
  Esr = 0;
  Errors.clear();
}

}  // namespace remote
