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

// Runs the event loop until done() or for at most ms.
bool Until(const std::function<bool()>& done, int ms = 2000) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return done();
}

struct TReconnectFixture : ::testing::Test {
  TFakeDevice Device;
  std::map<std::string, std::string> Present{{"sim0", "sim0"}};  // given -> its name now
  std::string LookupError;
  std::string Said;
  std::unique_ptr<TReconnect> Reconnect = Make({1, 8});

  std::unique_ptr<TReconnect> Make(TRetryTimes times) {
    return std::make_unique<TReconnect>(
        Device,
        [this](const std::string& given, std::string& error) {
          error = LookupError;
          const auto at = Present.find(given);
          return at == Present.end() ? std::nullopt : std::optional<std::string>(at->second);
        },
        [](const std::string& name) { return "virtual " + name; },
        [this](TLevel, const std::string& text) { Said += text + "\n"; }, times);
  }
  bool Told(const std::string& part) const { return Said.find(part) != std::string::npos; }
  void Keep(const std::string& given = "sim0") {
    Reconnect->Keep(given);
    ASSERT_TRUE(Until([&] { return Device.IsOnline; }));
  }
};

TEST_F(TReconnectFixture, ConnectsAtStartAndTellsTheIdentity) {
  Keep();
  EXPECT_EQ(Device.Attempts, std::vector<std::string>{"sim0"});
  EXPECT_FALSE(Reconnect->Waiting());
  EXPECT_TRUE(Told("connected to sim0 (virtual sim0), the generator answered \"Zolvek\""));
}

TEST_F(TReconnectFixture, AStablePathFollowsTheNameItLeadsToAtEachConnect) {
  Present = {{"/dev/serial/by-id/usb-x", "ttyUSB3"}};
  Keep("/dev/serial/by-id/usb-x");
  EXPECT_EQ(Device.Port, "ttyUSB3");
  Present["/dev/serial/by-id/usb-x"] = "ttyUSB4";  // another number at the replug
  Device.Lose();
  ASSERT_TRUE(Until([&] { return Device.IsOnline; }));
  EXPECT_EQ(Device.Port, "ttyUSB4");
  EXPECT_TRUE(Told("lost the generator on ttyUSB3") && Told("reconnected to ttyUSB4"));
}

TEST_F(TReconnectFixture, RetriesWaitLongerUpToTheLongestAndTellAFailureOnce) {
  Device.Answers = false;
  Reconnect->Keep("sim0");
  ASSERT_TRUE(Until([&] { return Device.Attempts.size() >= 6; }));
  EXPECT_EQ(Reconnect->RetryInMs(), 8);
  EXPECT_EQ(Said.find("did not answer"), Said.rfind("did not answer")) << Said;
  Device.Answers = true;
  ASSERT_TRUE(Until([&] { return Device.IsOnline; }));
  EXPECT_EQ(Reconnect->RetryInMs(), -1);
}

TEST_F(TReconnectFixture, AMissingPortIsNotTriedAndAnArrivalTriesAtOnce) {
  Reconnect.reset();
  Reconnect = Make({60000, 60000});
  Present.clear();
  Reconnect->Keep("sim0");
  ASSERT_TRUE(Until([&] { return Told("sim0 is not there"); }));
  EXPECT_TRUE(Device.Attempts.empty());
  Present["sim0"] = "sim0";
  Reconnect->PortAppeared("ttyUSB0");  // any arrival: a path is looked up again
  EXPECT_TRUE(Until([&] { return Device.IsOnline; }, 500)) << "waited for the retry";
}

TEST_F(TReconnectFixture, APathThatLeadsToNoPortIsGivenUp) {
  LookupError = "leads to /tmp/x, which is no port under /dev";
  Reconnect->Keep("/tmp/x");
  ASSERT_TRUE(Until([&] { return Told("cannot keep /tmp/x"); }));
  EXPECT_FALSE(Reconnect->Waiting());
  EXPECT_TRUE(Device.Attempts.empty());
}

TEST_F(TReconnectFixture, APortAClientConnectedIsKeptAndEndsAWait) {
  Device.Answers = false;
  Reconnect->Keep("sim0");
  ASSERT_TRUE(Until([&] { return !Device.Attempts.empty(); }));
  Device.Set(Device.Port = "sim1", Device.IsOnline = true);  // SYST:CONN "sim1"
  EXPECT_FALSE(Reconnect->Waiting());
  EXPECT_TRUE(Told("a client connected sim1"));
  Device.Answers = true;
  Present = {{"sim1", "sim1"}};
  Device.Lose();
  ASSERT_TRUE(Until([&] { return Device.IsOnline; }));
  EXPECT_EQ(Device.Attempts.back(), "sim1");
}

// Run and Pause before the loss, what a client did while the device was
// away, and what is down once it is back.
struct TRestoreCase {
  const char* Name;
  bool RunBefore, PauseBefore;
  void (*WhileAway)(TFakeDevice&);
  bool RunAfter, PauseAfter;
};

class TRestore : public TReconnectFixture, public ::testing::WithParamInterface<TRestoreCase> {};

TEST_P(TRestore, RunAndPauseAreAsTheClientsLeftThem) {
  const TRestoreCase& c = GetParam();
  Keep();
  Device.Set(Device.Run = c.RunBefore, Device.Pause = c.PauseBefore);
  Present.clear();
  Device.Lose();
  c.WhileAway(Device);
  Present["sim0"] = "sim0";
  Reconnect->PortAppeared("sim0");
  ASSERT_TRUE(Until([&] { return Device.IsOnline; }));
  EXPECT_EQ(Device.Run, c.RunAfter);
  EXPECT_EQ(Device.Pause, c.PauseAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TRestore,
    ::testing::Values(
        TRestoreCase{"RunDown", true, false, [](TFakeDevice&) {}, true, false},
        TRestoreCase{"RunAndPauseDown", true, true, [](TFakeDevice&) {}, true, true},
        TRestoreCase{"RunUp", false, false, [](TFakeDevice&) {}, false, false},
        TRestoreCase{"OtherSettingAway", true, false, [](TFakeDevice& d) { d.Set(); }, true, false},
        TRestoreCase{"RunPressedAway", false, false, [](TFakeDevice& d) { d.Set(d.Run = true); },
                     true, false},
        TRestoreCase{"RunReleasedAway", true, false,
                     [](TFakeDevice& d) { d.Set(d.Run = true), d.Set(d.Run = false); }, false,
                     false}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace bridge::test
