// The tick at full rate on the timer thread while the GUI side changes the
// model, the controls and the flags under the lock: meant for ThreadSanitizer.
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
  // What a GUI handler does: change the model and raise a flag, under the lock.
  void Handler(std::mt19937& random) {
    std::lock_guard<std::mutex> lock(Shared.Lock);
    TControlSnapshot& controls = Shared.Controls;
    TUpdateFlags& flags = Shared.State.Flags;
    switch (random() % 8) {
      case 0:
        Model.SetSlotFreq(screen::StartSlot, 1.0 + random() % 1000);
        Model.SetSlotFreq(screen::StopSlot, 1000.0 + random() % 1000000);
        flags.SweepRestart = true;
        break;
      case 1:
        Model.SetSlotFreq(screen::FrequencySlot, 0.1 + random() % 12000000);
        flags.FreqDirty = true;
        break;
      case 2:
        Model.SetSlotFreq(screen::MarkerSlot, 1.0 + random() % 100000);
        flags.PulseWidthDirty = true;
        break;
      case 3:
        controls.SweepDown = !controls.SweepDown;
        controls.LinLogPos = static_cast<int>(random() % 2);
        controls.SweepDirPos = static_cast<int>(random() % 3);
        break;
      case 4:
        controls.PulseDown = !controls.PulseDown;
        Model.Waveform = -Model.Waveform;
        flags.ResyncAll = true;
        break;
      case 5:
        Model.AmpLevelAnalog = static_cast<int>(random() % 16);
        flags.AmpAnalogDirty = true;
        controls.PauseDown = random() % 4 == 0;
        break;
      case 6:
        controls.RunDown = !controls.RunDown;
        Shared.State.SweepStarted = false;
        flags.ResyncAll = true;
        break;
      default:
        flags.FreqStepDirty = true;
        controls.SquareDown = !controls.SquareDown;
        flags.WaveDirty = true;
        break;
    }
  }
};

TEST_F(StressTest, TickOnTimerThreadWhileHandlersChangeTheModel) {
  Shared.Controls.SwGaugePos = 1;
  Model.LogScale = true;
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
    // A render reads the model under the lock too.
    {
      std::lock_guard<std::mutex> lock(Shared.Lock);
      const screen::TZOLScreenModel copy = Model;
      EXPECT_GE(copy.Slots[screen::FrequencySlot].Word, 0);
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
