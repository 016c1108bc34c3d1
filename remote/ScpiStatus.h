#pragma once
// The IEEE 488.2 status of one instrument: the standard event status
// register with its enable mask, the service request enable mask and the
// error queue. Plain C++; GUI thread only (owned by TScpiCore).

#include <cstddef>
#include <cstdint>
#include <deque>

#include "remote/ScpiErrors.h"

namespace remote {

namespace esr {
constexpr std::uint8_t OperationComplete = 1;
constexpr std::uint8_t QueryError = 4;
constexpr std::uint8_t DeviceError = 8;
constexpr std::uint8_t ExecutionError = 16;
constexpr std::uint8_t CommandError = 32;
}  // namespace esr

namespace stb {
constexpr std::uint8_t ErrorQueue = 4;
constexpr std::uint8_t MessageAvailable = 16;
constexpr std::uint8_t EventSummary = 32;
constexpr std::uint8_t ServiceRequest = 64;
}  // namespace stb

class TStatusRegisters {
 public:
  static constexpr std::size_t QueueLength = 20;

  // Queues the error and sets the event bit of its class. A full queue keeps
  // its oldest entries and turns its newest into -350.
  void PushError(int code, std::string detail = {});
  // Removes and answers the oldest entry; 0 "No error" when empty.
  TError PopError();
  std::size_t ErrorCount() const { return Errors.size(); }

  void SetEvents(std::uint8_t bits) { Esr |= bits; }
  // *ESR?: answers the register and clears it.
  std::uint8_t TakeEvents();
  // The status byte; the message-available bit is the caller's, per client.
  std::uint8_t StatusByte(bool messageAvailable) const;
  // *CLS: the event register and the error queue.
  void Clear();

  std::uint8_t EventEnable = 0;    // *ESE
  std::uint8_t ServiceEnable = 0;  // *SRE, without bit 6

 private:
  std::uint8_t Esr = 0;
  std::deque<TError> Errors;
};

}  // namespace remote
