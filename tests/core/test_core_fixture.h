#pragma once
// Shared fixture of the control core's tests: a pseudo-terminal whose slave
// side is opened by a real serial::TTinyComPort with the main window's line
// settings, and whose master side plays the generator. An update cycle sits
// on the port with its own shared state.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/ControlState.h"
#include "core/UpdateCycle.h"
#include "screen/ZOLScreenModel.h"
#include "serial/ComPlatform.h"  // complete type for the port's default platform
#include "serial/TinyComms.h"
#include "tests/support/CountingComPlatform.h"
#include "tests/support/PtyPair.h"

namespace control::test {

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
  // What reached the line: the queued commands are written, the pending
  // write completes, and the device side waits for exactly the bytes the
  // cycle wrote since the last look (with a deadline).
  std::string Sent();
  // Writes the commands the update steps queued, as a tick does.
  void WritePending();

  test_support::TPtyPair Device;
  TSharedState Shared;
  TGeneratorSettings& Settings = Shared.Settings;
  std::atomic<std::uint64_t> BytesWritten{0};
  serial::TTinyComPort Port{std::make_unique<test_support::TCountingComPlatform>(BytesWritten)};
  TUpdateCycle Cycle{Shared, Port};
  int Redraws = 0;  // counted on the calling thread
  std::uint64_t BytesSeen = 0;
  std::vector<std::string> Lost;
};

// The output frequency on a given tuning word.
inline TFrequency OnWord(std::int32_t word) { return {0.0, word, false}; }

}  // namespace control::test
