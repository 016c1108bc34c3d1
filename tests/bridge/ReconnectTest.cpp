// The reconnect's decisions: when it tries, what it tries, what it tells
// and what it presses again, over a scripted command path.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <map>
#include <memory>

#include "bridge/Reconnect.h"
#include "tests/bridge/FakeDevice.h"

namespace bridge::test {
namespace {

// Runs the event loop until done() or 2 s have passed.
bool Until(const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < 2000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return done();
}

struct TReconnectFixture : ::testing::Test {
  TFakeDevice Device;
  // Which ports are there now, and what a path leads to.
  std::map<std::string, std::string> Present{{"sim0", "sim0"}};
  std::string LookupError;
  std::vector<std::pair<TLevel, std::string>> Said;
  std::unique_ptr<TReconnect> Made = Make({1, 8});
  TReconnect& Reconnect = *Made;

  std::unique_ptr<TReconnect> Make(TRetryTimes times) {
    return std::make_unique<TReconnect>(
        Device,
        [this](const std::string& given, std::string& error) {
          error = LookupError;
          const auto at = Present.find(given);
          return at == Present.end() ? std::nullopt : std::optional<std::string>(at->second);
        },
        [](const std::string& name) { return "virtual " + name; },
        [this](TLevel level, const std::string& text) {
          Said.push_back({level, text});
        },
        times);
  }

  bool SaidSomething(const std::string& part) const {
    for (const auto& [level, text] : Said)
      if (text.find(part) != std::string::npos) return true;
    return false;
  }
  void ConnectAtStart() {
    Reconnect.Keep("sim0");
    ASSERT_TRUE(Until([&] { return Device.IsOnline; }));
  }
};

TEST_F(TReconnectFixture, ConnectsAtStartAndTellsTheIdentity) {
  ConnectAtStart();
  EXPECT_EQ(Device.Attempts, std::vector<std::string>{"sim0"});
  EXPECT_FALSE(Reconnect.Waiting());
  EXPECT_TRUE(SaidSomething("connected to sim0 (virtual sim0), the generator answered \"Zolvek\""));
}

TEST_F(TReconnectFixture, AStablePathIsConnectedAsTheNameItLeadsTo) {
  Present = {{"/dev/serial/by-id/usb-x", "ttyUSB3"}};
  Reconnect.Keep("/dev/serial/by-id/usb-x");
  ASSERT_TRUE(Until([&] { return Device.IsOnline; }));
  EXPECT_EQ(Device.Port, "ttyUSB3");
  // Plugged again, the adapter gets another number; the path follows it.
  Present["/dev/serial/by-id/usb-x"] = "ttyUSB4";
  Device.Lose();
  ASSERT_TRUE(Until([&] { return Device.IsOnline; }));
  EXPECT_EQ(Device.Port, "ttyUSB4");
}

TEST_F(TReconnectFixture, RetriesWaitLongerEachTimeUpToTheLongest) {
  Device.Answers = false;
  Reconnect.Keep("sim0");
  ASSERT_TRUE(Until([&] { return Device.Attempts.size() >= 6; }));
  EXPECT_EQ(Reconnect.RetryInMs(), 8);
  EXPECT_TRUE(Reconnect.Waiting());
  Device.Answers = true;
  ASSERT_TRUE(Until([&] { return Device.IsOnline; }));
  EXPECT_FALSE(Reconnect.Waiting());
}

TEST_F(TReconnectFixture, AFailureIsToldOnceNotAtEveryRetry) {
  Device.Answers = false;
  Reconnect.Keep("sim0");
  ASSERT_TRUE(Until([&] { return Device.Attempts.size() >= 4; }));
  int told = 0;
  for (const auto& said : Said) told += said.second.find("did not answer") != std::string::npos;
  EXPECT_EQ(told, 1);
}

TEST_F(TReconnectFixture, AMissingPortIsNotTriedUntilItIsThere) {
  Present.clear();
  Reconnect.Keep("sim0");
  ASSERT_TRUE(Until([&] { return SaidSomething("sim0 is not there"); }));
  EXPECT_TRUE(Device.Attempts.empty());
  Present["sim0"] = "sim0";
  Reconnect.PortAppeared("sim0");
  ASSERT_TRUE(Until([&] { return Device.IsOnline; }));
}

TEST_F(TReconnectFixture, APortThatAppearsIsTriedAtOnce) {
  Made.reset();
  const std::unique_ptr<TReconnect> slow = Make({60000, 60000});
  Present.clear();
  slow->Keep("sim0");
  ASSERT_TRUE(Until([&] { return slow->RetryInMs() == 60000; }));
  Present["sim0"] = "sim0";
  slow->PortAppeared("ttyUSB0");  // any arrival: a path is looked up again
  EXPECT_TRUE(Until([&] { return Device.IsOnline; })) << "an arrival does not wait for the retry";
}

TEST_F(TReconnectFixture, AnArrivalWhileOnlineChangesNothing) {
  ConnectAtStart();
  Reconnect.PortAppeared("sim0");
  QCoreApplication::processEvents();
  EXPECT_EQ(Device.Attempts.size(), 1u);
}

TEST_F(TReconnectFixture, APathThatLeadsToNoPortIsGivenUp) {
  LookupError = "leads to /tmp/x, which is no port under /dev";
  Reconnect.Keep("/tmp/x");
  ASSERT_TRUE(Until([&] { return SaidSomething("cannot keep /tmp/x"); }));
  EXPECT_FALSE(Reconnect.Waiting());
  EXPECT_TRUE(Device.Attempts.empty());
}

// What was down before the loss, and what a client did while the device
// was away, against what is pressed once it is back.
struct TRestoreCase {
  const char* Name;
  bool RunBefore;
  bool PauseBefore;
  std::function<void(TFakeDevice&)> WhileAway;
  bool RunAfter;
  bool PauseAfter;
};

class TRestore : public TReconnectFixture, public ::testing::WithParamInterface<TRestoreCase> {};

TEST_P(TRestore, RunAndPauseAreAsTheClientsLeftThem) {
  const TRestoreCase& c = GetParam();
  ConnectAtStart();
  Device.Run = c.RunBefore;
  Device.ClientSets(true);
  Device.Pause = c.PauseBefore;
  Device.ClientSets(true);
  Present.clear();
  Device.Lose();
  EXPECT_TRUE(SaidSomething("lost the generator on sim0"));
  c.WhileAway(Device);
  Present["sim0"] = "sim0";
  Reconnect.PortAppeared("sim0");
  ASSERT_TRUE(Until([&] { return Device.IsOnline; }));
  EXPECT_TRUE(SaidSomething("reconnected to sim0"));
  EXPECT_EQ(Device.Run, c.RunAfter);
  EXPECT_EQ(Device.Pause, c.PauseAfter);
}

void Nothing(TFakeDevice&) {}
void OtherSetting(TFakeDevice& d) { d.ClientSets(true); }
void PressRun(TFakeDevice& d) { d.ClientSets(d.Run = true); }
void ReleaseRun(TFakeDevice& d) {
  d.ClientSets(d.Run = true);
  d.ClientSets(d.Run = false);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TRestore,
    ::testing::Values(TRestoreCase{"RunDown", true, false, Nothing, true, false},
                      TRestoreCase{"RunAndPauseDown", true, true, Nothing, true, true},
                      TRestoreCase{"RunUp", false, false, Nothing, false, false},
                      TRestoreCase{"OtherSettingAway", true, false, OtherSetting, true, false},
                      TRestoreCase{"RunPressedAway", false, false, PressRun, true, false},
                      TRestoreCase{"RunReleasedAway", true, false, ReleaseRun, false, false}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(TReconnectFixture, APortAClientConnectedIsKeptAfterItsLoss) {
  ConnectAtStart();
  // SYST:CONN "sim1": offline from sim0, then online on sim1.
  Device.IsOnline = false;
  Device.Fire();
  Device.Port = "sim1";
  Device.IsOnline = true;
  Device.Fire();
  EXPECT_TRUE(SaidSomething("a client connected sim1"));
  Present = {{"sim1", "sim1"}};
  Device.Lose();
  ASSERT_TRUE(Until([&] { return Device.IsOnline; }));
  EXPECT_EQ(Device.Attempts.back(), "sim1");
}

TEST_F(TReconnectFixture, AClientsConnectWhileWaitingEndsTheWait) {
  Device.Answers = false;
  Reconnect.Keep("sim0");
  ASSERT_TRUE(Until([&] { return !Device.Attempts.empty(); }));
  Device.Port = "sim2";
  Device.IsOnline = true;
  Device.Fire();
  EXPECT_FALSE(Reconnect.Waiting());
  const std::size_t attempts = Device.Attempts.size();
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 30) QCoreApplication::processEvents();
  EXPECT_EQ(Device.Attempts.size(), attempts);
}

}  // namespace
}  // namespace bridge::test
