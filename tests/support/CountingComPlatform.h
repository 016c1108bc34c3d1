#pragma once
// The system's serial platform, counting the bytes handed to its writes:
// what a test waits for at the other end of the line. Counted from any
// thread that writes; read from any.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "serial/ComPlatform.h"

namespace test_support {

class TCountingComPlatform : public serial::TComPlatform {
 public:
  explicit TCountingComPlatform(std::atomic<std::uint64_t>& written)
      : Inner(serial::MakeSystemComPlatform()), Written(written) {}

  serial::TIoStart StartWrite(serial::TComOp& op, const void* buffer, std::uint32_t count,
                              std::uint32_t& done) override {
    Written += count;
    return Inner->StartWrite(op, buffer, count, done);
  }

  bool Open(const std::string& name) override { return Inner->Open(name); }
  void Close() override { Inner->Close(); }
  bool IsOpen() const override { return Inner->IsOpen(); }
  bool SetupQueues(std::uint32_t in, std::uint32_t out) override {
    return Inner->SetupQueues(in, out);
  }
  bool SetLine(const serial::TLineSettings& line) override { return Inner->SetLine(line); }
  bool SetTimeouts(const serial::TTimeoutSettings& t) override { return Inner->SetTimeouts(t); }
  std::shared_ptr<serial::TComOp> NewOp() override { return Inner->NewOp(); }
  void ReleaseOp(serial::TComOp& op) override { Inner->ReleaseOp(op); }
  serial::TIoStart StartRead(serial::TComOp& op, std::uint32_t count,
                             std::uint32_t& done) override {
    return Inner->StartRead(op, count, done);
  }
  const char* ReadData(const serial::TComOp& op) const override { return Inner->ReadData(op); }
  bool WaitOp(serial::TComOp& op) override { return Inner->WaitOp(op); }
  bool OpResult(serial::TComOp& op, std::uint32_t& count) override {
    return Inner->OpResult(op, count);
  }
  bool InputCount(std::uint32_t& count) override { return Inner->InputCount(count); }
  bool Purge(std::uint32_t flags) override { return Inner->Purge(flags); }
  std::string LastErrorText() const override { return Inner->LastErrorText(); }
  int LastErrorNumber() const override { return Inner->LastErrorNumber(); }
  bool LastErrorIsDeviceLost() const override { return Inner->LastErrorIsDeviceLost(); }
  bool SetEventMask(std::uint32_t mask) override { return Inner->SetEventMask(mask); }
  serial::TEventWait WaitEvent(const serial::TStopSignal& stop, std::uint32_t& mask) override {
    return Inner->WaitEvent(stop, mask);
  }

 private:
  std::unique_ptr<serial::TComPlatform> Inner;
  std::atomic<std::uint64_t>& Written;
};

}  // namespace test_support
