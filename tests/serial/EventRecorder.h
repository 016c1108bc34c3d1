#pragma once
// Records the serial port's handler calls from whichever thread fires them,
// and a port with events on the recording platform (smNone, all present).

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <deque>
#include <memory>

#include "serial/TinyComms.h"
#include "tests/serial/FakeComPlatform.h"

namespace serial::test {

using namespace std::chrono_literals;

struct TRecorder {
  std::mutex Lock;
  std::vector<std::string> Fired;
  std::vector<std::int32_t> Counts;

  void Attach(TTinyComPort& port) {
    port.OnRxChar = [this](TTinyComPort&, std::int32_t inQue) {
      std::lock_guard lock(Lock);
      Fired.push_back("RxChar");
      Counts.push_back(inQue);
    };
    auto named = [this](const char* name) {
      return [this, name](TTinyComPort&) {
        std::lock_guard lock(Lock);
        Fired.push_back(name);
      };
    };
    port.OnTxEmpty = named("TxEmpty");
    port.OnBreak = named("Break");
    port.OnRing = named("Ring");
    port.OnCTS = named("CTS");
    port.OnDSR = named("DSR");
    port.OnRxFlag = named("RxFlag");
    port.OnRLSD = named("RLSD");
    port.OnError = named("Error");
    port.OnRx80Full = named("Rx80Full");
  }
  std::vector<std::string> Snapshot() {
    std::lock_guard lock(Lock);
    return Fired;
  }
  bool WaitFor(std::size_t count, std::chrono::milliseconds limit = 2000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      if (Snapshot().size() >= count) return true;
      std::this_thread::sleep_for(1ms);
    }
    return false;
  }
};

struct TFakeEventPort {
  std::shared_ptr<TFakeComPlatform::TState> State = std::make_shared<TFakeComPlatform::TState>();
  TRecorder Recorder;  // outlives the port, whose handlers point to it
  TTinyComPort Port{std::make_unique<TFakeComPlatform>(State)};

  explicit TFakeEventPort(std::deque<std::uint32_t> masks, TEvents events = AllEvents) {
    State->EventsToReport = std::move(masks);
    Port.SetSyncMethod(smNone);
    Port.SetEvents(events);
    Port.SetPortPresent(true);
    Recorder.Attach(Port);
  }
};

}  // namespace serial::test
