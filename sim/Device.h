#pragma once
// The virtual generator without its line: decodes what the program sends,
// keeps the device state, queues the answers (with the selected faults) and
// describes every command for the log.
//
// Not thread-safe: one thread (the device thread of TPtyDevice, or a test)
// owns a TDevice.

#include "sim/Command.h"
#include "sim/Decoder.h"
#include "sim/DeviceState.h"
#include "sim/Faults.h"
#include "sim/OutputQueue.h"
#include "sim/Tables.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace sim {

struct TLogEntry {
  TCommandRecord Record;
  std::string Meaning;
  double FrequencyHz = 0;  // output frequency after the command
};

class TDevice {
 public:
  explicit TDevice(TFaults faults = {}, TTables tables = {});

  // Handles bytes read at nowUs: appends one entry per decoded command to
  // `out`, changes the state and queues the answers. Once the hang-up fault
  // is due, further bytes are ignored.
  void Receive(const std::uint8_t* data, std::size_t size, std::int64_t nowUs,
               std::vector<TLogEntry>& out);
  // Queues the periodic garbage when it is due.
  void Tick(std::int64_t nowUs);
  // Earliest time something is due (a byte to send, garbage), or -1.
  std::int64_t NextWakeUs() const;
  bool HangUpDue() const { return HangUpDue_; }

  const TDeviceState& State() const { return State_; }
  const TTables& Tables() const { return Tables_; }
  TOutputQueue& Output() { return Output_; }
  std::size_t DecoderPending() const { return Decoder_.PendingSize(); }

 private:
  void Answer(const TCommand& command, std::int64_t nowUs);
  std::string IdentityReply();
  std::string TableReply(char table) const;
  std::string Garbage();

  TFaults Faults_;
  TTables Tables_;
  TDecoder Decoder_;
  TDeviceState State_;
  TOutputQueue Output_;
  std::vector<TCommand> Decoded_;
  std::minstd_rand Random_{20261208};
  int SilentLeft_ = 0;
  int CommandCount_ = 0;
  bool HangUpDue_ = false;
  std::int64_t NextGarbageUs_ = -1;
};

// One JSON line (without the line feed) describing a logged command:
// {"t_us":..,"raw":"4c4adebc","kind":"coarse","value":..,"meaning":"..","freq_hz":..}
std::string FormatLogLine(const TLogEntry& entry);

}  // namespace sim
