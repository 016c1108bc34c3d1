#pragma once
// A platform that records every call the port component makes, so tests can
// check what reaches the device and in which order. Transfers finish at once
// unless told to stay pending; pending ones end when the test says so.

#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "serial/ComPlatform.h"
#include "serial/ComThreadPlatform.h"

namespace serial::test {

class TFakeComPlatform : public TComPlatform {
 public:
  struct TFakeOp : TComOp {
    int Id = 0;
    bool Started = false;
    std::uint32_t Count = 0;
    std::string Data;
  };

  // Shared with the test after the port takes ownership of the platform.
  struct TState {
    std::mutex Lock;
    std::vector<std::string> Calls;
    bool Open = false;
    bool FailOpen = false, FailQueues = false, FailLine = false, FailTimeouts = false;
    bool FailPurge = false, FailWrite = false, FailRead = false, FailResult = false;
    bool LeavePending = false;
    std::uint32_t InputCount = 0;
    TLineSettings Line;
    TTimeoutSettings Timeouts;
    std::uint32_t EventMask = 0;
    std::deque<std::uint32_t> EventsToReport;  // one per WaitEvent, then wait for stop
    std::string ReadBytes = "abcdefgh";
    std::vector<int> WaitedOps;
    std::string Written;

    void Record(const std::string& call) {
      std::lock_guard lock(Lock);
      Calls.push_back(call);
    }
    std::vector<std::string> TakeCalls() {
      std::lock_guard lock(Lock);
      return std::exchange(Calls, {});
    }
    int Count(const std::string& call) {
      std::lock_guard lock(Lock);
      int n = 0;
      for (const auto& c : Calls) n += c == call;
      return n;
    }
  };

  explicit TFakeComPlatform(std::shared_ptr<TState> state) : State(std::move(state)) {}

  bool Open(const std::string& name) override {
    State->Record("Open " + name);
    if (State->FailOpen) return Fail("No such file or directory");
    State->Open = true;
    return true;
  }
  void Close() override {
    if (!State->Open) return;
    State->Record("Close");
    State->Open = false;
  }
  bool IsOpen() const override { return State->Open; }
  bool SetupQueues(std::uint32_t in, std::uint32_t out) override {
    State->Record("SetupQueues " + std::to_string(in) + " " + std::to_string(out));
    return !State->FailQueues || Fail("Invalid argument");
  }
  bool SetLine(const TLineSettings& line) override {
    State->Record("SetLine");
    State->Line = line;
    return !State->FailLine || Fail("Inappropriate ioctl for device");
  }
  bool SetTimeouts(const TTimeoutSettings& timeouts) override {
    State->Record("SetTimeouts");
    State->Timeouts = timeouts;
    return !State->FailTimeouts || Fail("Invalid argument");
  }
  std::shared_ptr<TComOp> NewOp() override {
    auto op = std::make_shared<TFakeOp>();
    op->Id = ++NextId;
    return op;
  }
  void ReleaseOp(TComOp& op) override { Released.push_back(Fake(op).Id); }
  TIoStart StartWrite(TComOp& op, const void* buffer, std::uint32_t count,
                      std::uint32_t& done) override {
    State->Record("StartWrite " + std::to_string(count));
    if (State->FailWrite) return Fail("Input/output error"), TIoStart::Failed;
    Fake(op).Started = true;
    Fake(op).Count = count;
    State->Written.append(static_cast<const char*>(buffer), count);
    if (State->LeavePending) return TIoStart::Pending;
    done = count;
    return TIoStart::Finished;
  }
  TIoStart StartRead(TComOp& op, std::uint32_t count, std::uint32_t& done) override {
    State->Record("StartRead " + std::to_string(count));
    if (State->FailRead) return Fail("Input/output error"), TIoStart::Failed;
    Fake(op).Started = true;
    Fake(op).Count = count;
    Fake(op).Data = State->ReadBytes.substr(0, count);
    if (State->LeavePending) return TIoStart::Pending;
    done = static_cast<std::uint32_t>(Fake(op).Data.size());
    return TIoStart::Finished;
  }
  const char* ReadData(const TComOp& op) const override {
    return static_cast<const TFakeOp&>(op).Data.data();
  }
  bool WaitOp(TComOp& op) override {
    State->Record("WaitOp");
    State->WaitedOps.push_back(Fake(op).Id);
    return true;
  }
  bool OpResult(TComOp& op, std::uint32_t& count) override {
    State->Record("OpResult");
    count = Fake(op).Count;
    return !State->FailResult || Fail("Input/output error");
  }
  bool InputCount(std::uint32_t& count) override {
    State->Record("InputCount");
    count = State->InputCount;
    return true;
  }
  bool Purge(std::uint32_t flags) override {
    State->Record("Purge " + std::to_string(flags));
    return !State->FailPurge || Fail("Bad file descriptor");
  }
  std::string LastErrorText() const override { return LastError; }
  bool SetEventMask(std::uint32_t mask) override {
    State->Record("SetEventMask " + std::to_string(mask));
    State->EventMask = mask;
    return true;
  }
  TEventWait WaitEvent(const TStopSignal& stop, std::uint32_t& mask) override {
    {
      std::lock_guard lock(State->Lock);
      if (!State->EventsToReport.empty()) {
        mask = State->EventsToReport.front();
        State->EventsToReport.pop_front();
        return TEventWait::Events;
      }
    }
    stop.Wait();
    return TEventWait::Stopped;
  }

  std::vector<int> Released;

 private:
  static TFakeOp& Fake(TComOp& op) { return static_cast<TFakeOp&>(op); }
  bool Fail(const std::string& text) {
    LastError = text;
    return false;
  }

  std::shared_ptr<TState> State;
  std::string LastError;
  int NextId = 0;
};

}  // namespace serial::test
