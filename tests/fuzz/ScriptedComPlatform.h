#pragma once
// A serial platform whose device answers from a script: the bytes waiting
// when the port opens, then one reply for each write, released as the
// write is made. A read takes what has arrived, up to its count; none
// arrived is a read that timed out. Reads may be left pending and finish
// in the wait, and fail from a given read on, as a line that goes away.
//
// Single thread (the test's); the port owns the platform, the script is
// shared with the test.

#include <deque>
#include <memory>
#include <string>

#include "serial/ComPlatform.h"

namespace fuzz {

struct TDeviceScript {
  std::string Arrived;              // in the input queue, not read yet
  std::deque<std::string> Replies;  // one released by each write
  std::string Written;              // everything the program wrote
  bool LeavePending = false;        // reads finish in the wait, not at once
  int FailFromRead = -1;            // this read and every later one fail
  int Reads = 0;
  bool Open = false;
};

class TScriptedComPlatform : public serial::TComPlatform {
 public:
  explicit TScriptedComPlatform(std::shared_ptr<TDeviceScript> script)
      : Script(std::move(script)) {}

  bool Open(const std::string&) override { return Script->Open = true; }
  void Close() override { Script->Open = false; }
  bool IsOpen() const override { return Script->Open; }
  bool SetupQueues(std::uint32_t, std::uint32_t) override { return true; }
  bool SetLine(const serial::TLineSettings&) override { return true; }
  bool SetTimeouts(const serial::TTimeoutSettings&) override { return true; }

  std::shared_ptr<serial::TComOp> NewOp() override { return std::make_shared<TOp>(); }
  void ReleaseOp(serial::TComOp&) override {}
  serial::TIoStart StartWrite(serial::TComOp&, const void* buffer, std::uint32_t count,
                              std::uint32_t& done) override {
    Script->Written.append(static_cast<const char*>(buffer), count);
    if (!Script->Replies.empty()) {
      Script->Arrived += Script->Replies.front();
      Script->Replies.pop_front();
    }
    done = count;
    return serial::TIoStart::Finished;
  }
  serial::TIoStart StartRead(serial::TComOp& op, std::uint32_t count,
                             std::uint32_t& done) override {
    if (Script->FailFromRead >= 0 && Script->Reads++ >= Script->FailFromRead)
      return serial::TIoStart::Failed;
    TOp& read = static_cast<TOp&>(op);
    read.Data = Script->Arrived.substr(0, count);
    Script->Arrived.erase(0, read.Data.size());
    if (Script->LeavePending) return serial::TIoStart::Pending;
    done = static_cast<std::uint32_t>(read.Data.size());
    return serial::TIoStart::Finished;
  }
  const char* ReadData(const serial::TComOp& op) const override {
    return static_cast<const TOp&>(op).Data.data();
  }
  bool WaitOp(serial::TComOp&) override { return true; }
  bool OpResult(serial::TComOp& op, std::uint32_t& count) override {
    count = static_cast<std::uint32_t>(static_cast<TOp&>(op).Data.size());
    return true;
  }
  bool InputCount(std::uint32_t& count) override {
    count = static_cast<std::uint32_t>(Script->Arrived.size());
    return true;
  }
  bool Purge(std::uint32_t) override { return true; }
  std::string LastErrorText() const override { return "Input/output error"; }
  bool LastErrorIsDeviceLost() const override { return true; }
  bool SetEventMask(std::uint32_t) override { return true; }
  serial::TEventWait WaitEvent(const serial::TStopSignal&, std::uint32_t&) override {
    return serial::TEventWait::Failed;
  }

 private:
  struct TOp : serial::TComOp {
    std::string Data;
  };

  std::shared_ptr<TDeviceScript> Script;
};

}  // namespace fuzz
