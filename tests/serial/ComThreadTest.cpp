// The event thread against a platform that records its calls: firing
// order, what reaches the platform, the stop signal, delivery.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "serial/ComThread.h"
#include "serial/EventDelivery.h"
#include "serial/TinyComms.h"
#include "tests/serial/FakeComPlatform.h"
#include "tests/serial/EventRecorder.h"
#include "tests/serial/MillisSince.h"

namespace serial {
namespace {

using namespace std::chrono_literals;
using test::TFakeComPlatform;
using test::TFakeEventPort;
using test::TRecorder;

TEST(ComThreadMask, EventsMapToTheSystemBits) {
  EXPECT_EQ(SystemEventMask(AllEvents), 0x05FFu);
  EXPECT_EQ(SystemEventMask(EventBit(evRxChar) | EventBit(evTxEmpty)), 0x0005u);
  EXPECT_EQ(SystemEventMask(EventBit(evRing)), 0x0100u);
  EXPECT_EQ(SystemEventMask(EventBit(evRx80Full)), 0x0400u);
  EXPECT_EQ(SystemEventMask(0), 0u);
}

TEST(ComThreadFiring, EventsOfOneWaitFireOnceEachInTheFixedOrder) {
  TFakeEventPort f({0x0005, 0x0042, 0x05FF});
  f.State->InputCount = 3;
  f.Port.Open();
  ASSERT_TRUE(f.Recorder.WaitFor(14));
  f.Port.Close();
  const std::vector<std::string> expected = {"RxChar", "TxEmpty",  // 0x0005
                                             "Break",  "RxFlag",   // 0x0042
                                             "RxChar", "TxEmpty", "Break", "Ring",
                                             "CTS",    "DSR",  // everything
                                             "RxFlag", "RLSD",    "Error", "Rx80Full"};
  EXPECT_EQ(f.Recorder.Snapshot(), expected);
  EXPECT_EQ(f.Recorder.Counts, (std::vector<std::int32_t>{3, 3}));
  EXPECT_EQ(f.State->EventMask, 0x05FFu);
}

TEST(ComThreadLifecycle, EmptyEventsStartNoThreadAndSetNoMask) {
  TFakeEventPort f({}, 0);
  f.Port.Open();
  f.Port.Close();
  EXPECT_EQ(f.State->Count("SetEventMask 0"), 0);
  for (const auto& call : f.State->TakeCalls()) EXPECT_NE(call.rfind("SetEventMask", 0), 0u);
}

TEST(ComThreadLifecycle, StopEndsTheThreadAtOnceAndPurgesOnlyAPresentPort) {
  {
    TFakeEventPort f({}, EventBit(evRxChar));
    f.Port.Open();
    std::this_thread::sleep_for(20ms);
    const auto start = std::chrono::steady_clock::now();
    f.Port.Close();
    EXPECT_LT(test::MillisSince(start), 500);
    EXPECT_EQ(f.State->Count("Purge 15"), 1);
    EXPECT_EQ(f.State->Count("SetEventMask 1"), 1);
  }
  {
    TFakeEventPort f({}, EventBit(evRxChar));
    f.Port.Open();
    f.Port.SetPortPresent(false);
    f.Port.Close();
    EXPECT_EQ(f.State->Count("Purge 15"), 0);
  }
}

TEST(ComThreadLifecycle, EventsChangedWhileOpenWaitForTheNextOpen) {
  TFakeEventPort f({}, EventBit(evRxChar));
  f.Port.Open();
  f.Port.SetEvents(EventBit(evTxEmpty));
  EXPECT_EQ(f.State->EventMask, 0x0001u);
  f.Port.Open();
  EXPECT_EQ(f.State->EventMask, 0x0004u);
}

TEST(ComThreadDelivery, WithoutAGuiDeliverySynchronizeFiresOnTheEventThread) {
  SetGuiDelivery(nullptr);
  TFakeEventPort f({0x0001});
  f.Port.SetSyncMethod(smSynchronize);
  std::atomic<bool> otherThread{false};
  f.Port.OnRxChar = [&](TTinyComPort&, std::int32_t) { otherThread = true; };
  f.Port.Open();
  const auto end = std::chrono::steady_clock::now() + 2s;
  while (!otherThread && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(1ms);
  f.Port.Close();
  EXPECT_TRUE(otherThread);
}

}  // namespace
}  // namespace serial
