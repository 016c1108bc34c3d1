// Who waits for the wire is answered in order once its tick has written.
#include <gtest/gtest.h>

#include <vector>

#include "tests/command/CommandPathFixture.h"

namespace control::test {
namespace {

TEST_F(CommandPathTest, WireWaitersAreAnsweredInOrderOnceTheirTickHasWritten) {
  std::vector<int> answered;
  Locked([](TSharedState& s) { return s.State.TicksStarted = s.State.TicksWritten = 7; });
  Control.Written().WhenWritten([&] { answered.push_back(1); });
  // A tick begins (it may have missed the change), then the next one.
  Locked([](TSharedState& s) { return s.State.TicksStarted = 8; });
  Control.Written().WhenWritten([&] { answered.push_back(2); });
  for (const auto& done : Control.Written().TakeWritten()) done();
  EXPECT_TRUE(answered.empty()) << "nothing written since";
  Locked([](TSharedState& s) { return s.State.TicksWritten = 8; });
  for (const auto& done : Control.Written().TakeWritten()) done();
  EXPECT_EQ(answered, std::vector<int>{1});
  Locked([](TSharedState& s) { return s.State.TicksWritten = 9; });
  for (const auto& done : Control.Written().TakeWritten()) done();
  EXPECT_EQ(answered, (std::vector<int>{1, 2}));
}

}  // namespace
}  // namespace control::test
