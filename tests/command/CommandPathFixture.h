#pragma once
// The command path without a window: a shared state, a port that is not
// opened, the device link and the command path over them, started up.

#include <gtest/gtest.h>

#include <mutex>

#include "command/DeviceLink.h"
#include "command/GeneratorControl.h"
#include "serial/TinyComms.h"

namespace control::test {

class CommandPathTest : public ::testing::Test {
 protected:
  CommandPathTest() { Control.InitControlState(); }

  template <class F>
  auto Locked(F f) {
    std::lock_guard<std::mutex> guard(Shared.Lock);
    return f(Shared);
  }

  TSharedState Shared;
  serial::TTinyComPort Port;
  TDeviceLink Link{Shared, Port};
  TGeneratorControl Control{Shared, Link};
};

}  // namespace control::test
