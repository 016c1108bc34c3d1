// The tick at full rate on the timer thread while the GUI side changes the
// settings under the lock: meant for ThreadSanitizer.
#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "platform/MultimediaTimer.h"
#include "tests/core/test_core_fixture.h"

namespace control::test {
namespace {

using namespace std::chrono_literals;

class StressTest : public CoreTest {
 protected:
  // What a GUI handler does: change the settings, which mark what is to
  // be sent, under the lock.
  void Handler(std::mt19937& random) {
    std::lock_guard<std::mutex> lock(Shared.Lock);
    TGeneratorSettings& s = Settings;
    switch (random() % 8) {
      case 0:
        s.SetStart(AskedFrequency(1.0 + random() % 1000));
        s.SetStop(AskedFrequency(1000.0 + random() % 1000000));
        s.RequestSweepRestart();
        break;
      case 1:
        s.SetFrequency(AskedFrequency(0.1 + random() % 12000000));
        break;
      case 2:
        s.SetMarker(AskedFrequency(1.0 + random() % 100000));
        s.SetWidthCode(1 + static_cast<int>(random() % 0xFFFF));
        break;
      case 3:
        s.SetMode(s.Mode() == TMode::Sweep ? TMode::Normal : TMode::Sweep);
        s.SetLogSpacing(random() % 2 == 0);
        s.SetDirection(static_cast<TDirection>(random() % 3));
        break;
      case 4:
        s.SetMode(s.Mode() == TMode::Pulse ? TMode::Normal : TMode::Pulse);
        s.RequestResync();
        break;
      case 5:
        s.SetAttenuation(TWaveform::Sine, static_cast<int>(random() % 16));
        s.SetPause(random() % 4 == 0);
        break;
      case 6:
        s.SetRun(!s.Run());
        Shared.State.SweepStarted = false;
        break;
      default:
        s.StepFrequency(s.Frequency());
        s.SetWaveform(s.Waveform() == TWaveform::Square ? TWaveform::Sine : TWaveform::Square);
        break;
    }
  }
};

TEST_F(StressTest, TickOnTimerThreadWhileHandlersChangeTheModel) {
  Settings.SetSweepTime(1);
  std::atomic<bool> draining{true};
  std::atomic<std::size_t> received{0};
  std::thread device([&] {
    while (draining) received += Device.Receive(65536, 5).size();
  });
  std::atomic<int> redraws{0};
  Cycle.PostRedraw = [&] { ++redraws; };
  std::atomic<int> lost{0};
  Cycle.PortLost = [&](const std::string&) { ++lost; };

  platform::TMultimediaTimer timer;
  ASSERT_TRUE(timer.Start(1ms, [this] { Cycle.TimerCallback(); }));
  std::mt19937 random(12345);
  const auto end = std::chrono::steady_clock::now() + 2500ms;
  int handled = 0;
  while (std::chrono::steady_clock::now() < end) {
    Handler(random);
    ++handled;
    // A redraw reads the settings under the lock too.
    {
      std::lock_guard<std::mutex> lock(Shared.Lock);
      const TGeneratorSettings copy = Settings;
      EXPECT_GE(copy.Frequency().Word, 0);
    }
    std::this_thread::sleep_for(200us);
  }
  timer.Stop();
  {
    std::lock_guard<std::mutex> lock(Shared.Lock);
    Port.WaitForPending();
  }
  draining = false;
  device.join();

  EXPECT_GT(handled, 100);
  EXPECT_GT(redraws.load(), 100);
  EXPECT_GT(received.load(), 0u);
  EXPECT_EQ(lost.load(), 0);
  EXPECT_TRUE(Shared.State.DeviceOnline);
  EXPECT_EQ(Shared.State.TickGuard, 0);
}

}  // namespace
}  // namespace control::test
