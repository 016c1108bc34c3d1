#pragma once
// A real main window, offscreen, whose modal dialogs are answered from a
// script, optionally connected to the virtual generator on a pseudo-terminal.
//
// The window's handlers run on this (the GUI) thread; its update tick runs
// on the timer thread, and the device on its own thread. Tests read the
// window's shared state only through Locked(), under the window's lock.
// Waits are for an expected command count or for ticks, with deadlines.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "app/GeneratorRun.h"
#include "command/GeneratorControl.h"
#include "window/About.h"
#include "command/ControlPanel.h"
#include "window/ZOLMain.h"
#include "platform/MultimediaTimer.h"
#include "screen/ZOLScreen.h"
#include "serial/ComSel.h"
#include "serial/TinyComms.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/WindowOnRun.h"
#include "sim/PtyDevice.h"
#include "ui/GaugeBar.h"
#include "ui/SpeedButton.h"

namespace control::test {

using namespace std::chrono_literals;
using Kind = sim::TCommandKind;

// Keeps the window's event loop turning until pred holds or time runs out.
template <class Pred>
bool WaitUntil(Pred pred, std::chrono::milliseconds timeout = 3000ms) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!pred()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

// Keeps the event loop turning for a time the test itself means (a button
// held, a sweep running), not to wait for something to happen.
inline void ProcessEventsFor(std::chrono::milliseconds duration) {
  WaitUntil([] { return false; }, duration);
}

class MainWindowFixture : public ::testing::Test, protected TWindowOnRun {
 protected:
  // The run, not the test's own Run().
  using TWindowOnRun::Run;

  void SetUp() override { Open(); }

  void TearDown() override {
    // A test skipped in its set-up never opened the window.
    if (Dialogs)
      for (const std::string& d : Dialogs->Unexpected) ADD_FAILURE() << "unexpected " << d;
    // The window stops the device as it closes, before the device goes.
    Destroy();
    Device.reset();
  }

  // Runs f(shared) or f(state, model) under the window's lock.
  template <class F>
  auto Locked(F f) {
    std::lock_guard<std::mutex> guard(Run->Shared().Lock);
    if constexpr (std::is_invocable_v<F, TSharedState&>)
      return f(Run->Shared());
    else
      return f(Run->Shared().State, Run->Shared().Model);
  }

  // Waits until the tick has run `ticks` more times (each posts a redraw).
  bool WaitForTicks(std::uint64_t ticks = 2, std::chrono::milliseconds timeout = 3000ms) {
    const std::uint64_t until = RedrawCount + ticks;
    return WaitUntil([&] { return RedrawCount >= until; }, timeout);
  }

  // Waits until `ticks` more ticks have written their commands: what was
  // changed before has reached the line (a busy machine's redraws may lag).
  bool WaitForTicksWritten(std::uint64_t ticks, std::chrono::milliseconds timeout = 10000ms) {
    const std::uint64_t until =
        Locked([](TSharedState& s) { return s.State.TicksStarted; }) + ticks;
    return WaitUntil(
        [&] { return Locked([](TSharedState& s) { return s.State.TicksWritten; }) >= until; },
        timeout);
  }

  // Waits until the device holds what the tick last sent, its word and its
  // marker (the marker goes last in a tick): every command written so far
  // has been read, however late a busy machine moved the bytes. For a
  // line the program has stopped writing to (paused, held).
  bool WaitForDeviceCaughtUp(std::chrono::milliseconds timeout = 5000ms) {
    return WaitUntil(
        [&] {
          const TControlState sent = State();
          const sim::TDeviceState device = Device->State();
          return static_cast<std::int32_t>(device.TuningWord) == sent.LastSentWord &&
                 device.Marker == sent.LastMarkerState;
        },
        timeout);
  }

  bool Online() {
    return Locked(
        [](const TControlState& s, const screen::TZOLScreenModel&) { return s.DeviceOnline; });
  }

  // What the settings have marked to be sent.
  TUpdateFlags Flags() {
    return Locked([](TSharedState& s) { return s.Settings.Marked(); });
  }

  void ClearFlags() {
    Locked([](TSharedState& s) { s.Settings.UnmarkAll(); });
  }

  // For handler tests: no tick consumes the flags a handler sets.
  void StopTicksAndClearFlags() {
    Run->StopTicks();
    ClearFlags();
  }

  screen::TZOLScreenModel Model() {
    return Locked([](const TControlState&, const screen::TZOLScreenModel& s) {
      return static_cast<const screen::TZOLScreenModel&>(s);
    });
  }

  TGeneratorSettings Settings() {
    return Locked([](TSharedState& s) { return s.Settings; });
  }

  TControlState State() {
    return Locked([](const TControlState& s, const screen::TZOLScreenModel&) { return s; });
  }

  // A virtual generator registered under a port name of its own.
  void StartDevice(sim::TFaults faults = {}) {
    static int serial = 0;
    sim::TPtyOptions options;
    options.PortName = "zvt" + std::to_string(::getpid()) + "_" + std::to_string(++serial);
    options.Faults = faults;
    Device = std::make_unique<sim::TPtyDevice>(options);
    PortName = options.PortName;
  }

  // Presses Connect and picks the device's port; the handshake runs inside.
  void PressConnect() {
    Dialogs->PortChoices.push_back(PortName);
    Form->ConnectBtn->click();
  }

  // A full, successful handshake, up to the stop command it ends with.
  void ConnectDevice(sim::TFaults faults = {}) {
    StartDevice(faults);
    PressConnect();
    ASSERT_TRUE(Online());
    ASSERT_TRUE(WaitForCommands(4)) << "no stop command after the handshake";
    ASSERT_TRUE(WaitForTicks());
  }

  // Offline as after a failed or ended connection: port closed, Connect up
  // in purple, Run usable and released.
  void ExpectOffline() {
    EXPECT_FALSE(Online());
    EXPECT_FALSE(Run->Port().Connected());
    EXPECT_FALSE(Form->ConnectBtn->isChecked());
    EXPECT_TRUE(Form->ConnectBtn->isEnabled());
    EXPECT_EQ(Form->ConnectBtn->FontColor(), colors::Purple);
    EXPECT_TRUE(Form->RunBtn->isEnabled());
    EXPECT_FALSE(Form->RunBtn->isChecked());
  }

  std::vector<sim::TCommand> Received(std::size_t from = 0) const {
    std::vector<sim::TCommand> commands;
    const auto records = Device->Commands();
    for (std::size_t i = from; i < records.size(); ++i) commands.push_back(records[i].Command);
    return commands;
  }

  std::vector<Kind> ReceivedKinds(std::size_t from = 0) const {
    std::vector<Kind> kinds;
    for (const sim::TCommand& c : Received(from)) kinds.push_back(c.Kind);
    return kinds;
  }

  std::size_t CommandCount() const { return Device->Commands().size(); }

  bool WaitForCommands(std::size_t count, std::chrono::milliseconds timeout = 3000ms) {
    return WaitUntil([&] { return CommandCount() >= count; }, timeout);
  }

  // Waits for `count` more commands after `mark`, then for two more ticks,
  // so that anything sent in excess shows too.
  std::vector<Kind> KindsAfter(std::size_t mark, std::size_t count) {
    EXPECT_TRUE(WaitForCommands(mark + count));
    EXPECT_TRUE(WaitForTicks());
    return ReceivedKinds(mark);
  }

  std::unique_ptr<sim::TPtyDevice> Device;
  std::string PortName;
};

}  // namespace control::test
