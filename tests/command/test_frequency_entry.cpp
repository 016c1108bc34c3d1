// Frequency entry: the dialogs and the other inputs read one description of
// the values, and a step of its own leaves a held arrow repeating.
#include <gtest/gtest.h>

#include "tests/command/CommandPathFixture.h"

namespace control::test {
namespace {

TEST_F(CommandPathTest, DialogsAndOtherInputsReadOneDescriptionOfTheFrequency) {
  const std::optional<TEntryQuestion> set = Control.Frequency().AskEntry(TEntry::Frequency);
  ASSERT_TRUE(set);
  // The Set dialog takes 0 and values above the top, which the grid limits.
  EXPECT_EQ(Control.Frequency().Answer(*set, "0"), TOutcome::Done);
  EXPECT_EQ(Control.Frequency().Answer(*set, "20000000"), TOutcome::Done);
  EXPECT_EQ(Control.Frequency().Answer(*set, "-1"), TOutcome::Invalid);
  // Every other input keeps to the device's range.
  EXPECT_EQ(Control.Frequency().SetValue(TEntry::Frequency, 0), TOutcome::Invalid);
  EXPECT_EQ(Control.Frequency().SetValue(TEntry::Frequency, 13e6), TOutcome::Invalid);
  EXPECT_EQ(Control.Frequency().SetValue(TEntry::Frequency, 12.5e6), TOutcome::Done);
}

TEST_F(CommandPathTest, AStepOfItsOwnLeavesAHeldArrowRepeating) {
  Control.Frequency().ControlMouseDown(2, TMouseButton::Left);
  EXPECT_EQ(Control.Frequency().Step(1), TOutcome::Done);
  EXPECT_EQ(Control.State().RepeatTag, 2);
  Control.Frequency().ControlMouseUp(TMouseButton::Left);
  EXPECT_EQ(Control.State().RepeatTag, -1);
}

}  // namespace
}  // namespace control::test
