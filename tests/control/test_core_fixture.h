#pragma once
// Shared fixture of the control core's tests: a pseudo-terminal whose slave
// side is opened by a real serial::TTinyComPort with the main window's line
// settings, and whose master side plays the generator. An update cycle sits
// on the port with its own shared state and screen model.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "control/ControlState.h"
#include "control/UpdateCycle.h"
#include "screen/ZOLScreenModel.h"
#include "serial/ComPlatform.h"  // complete type for the port's default platform
#include "serial/TinyComms.h"

namespace control::test {

// The generator's end of a pseudo-terminal.
class TPtyDevice {
 public:
  TPtyDevice();
  ~TPtyDevice();
  TPtyDevice(const TPtyDevice&) = delete;
  TPtyDevice& operator=(const TPtyDevice&) = delete;

  const std::string& SlavePath() const { return Slave; }
  int MasterFd() const { return Master; }
  // Everything that arrives until the line has been quiet for quietMs.
  std::string ReadAll(int quietMs = 30);
  // Waits up to timeoutMs for count bytes; returns what came.
  std::string ReadBytes(std::size_t count, int timeoutMs = 2000);
  void Send(const std::string& bytes);
  // Closes the master side: the port sees a hang-up.
  void HangUp();

 private:
  int Master = -1;
  int SlaveFd = -1;
  std::string Slave;
};

// Commands split into readable tokens: "Z", "S", "s", "&", "coarse:4ABCDE",
// "fine:C000F1", "code:040F00"-style hex for other packets, and "p:1234",
// "w:1234", "m:1", "d:3" for the text commands with arguments.
std::vector<std::string> Tokens(const std::string& bytes);
std::string Hex6(std::uint32_t value);
std::string Bytes(std::initializer_list<int> values);

class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // One timer callback; returns what reached the line.
  std::string Tick();
  std::vector<std::string> TickTokens() { return Tokens(Tick()); }
  // What reached the line once the queued commands were written and the
  // pending write completed.
  std::string Sent();

  TPtyDevice Device;
  TSharedState Shared;
  screen::TZOLScreenModel Model;
  serial::TTinyComPort Port;
  TUpdateCycle Cycle{Shared, Model, Port};
  int Redraws = 0;  // counted on the calling thread
  std::vector<std::string> Lost;
};

}  // namespace control::test
