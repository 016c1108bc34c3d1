#include <gtest/gtest.h>

#include <memory>

#include "serial/GenAlg.h"

namespace serial {
namespace {

TEST(StackTest, PopsInReverseOrderAndRaisesWhenEmpty) {
  TStack stack;
  int a = 1, b = 2;
  EXPECT_TRUE(stack.IsEmpty());
  stack.Push(&a);
  stack.Push(&b);
  EXPECT_FALSE(stack.IsEmpty());
  EXPECT_EQ(stack.Pop(), &b);
  EXPECT_EQ(stack.Pop(), &a);
  EXPECT_TRUE(stack.IsEmpty());
  try {
    stack.Pop();
    FAIL() << "Pop on an empty stack must raise";
  } catch (const EGenericAlg& e) {
    EXPECT_STREQ(e.what(), "Stack is empty");
  }
  EXPECT_TRUE(stack.IsEmpty());
}

TEST(StackTest, NullItemsAreItems) {
  TStack stack;
  stack.Push(nullptr);
  EXPECT_FALSE(stack.IsEmpty());
  EXPECT_EQ(stack.Pop(), nullptr);
  EXPECT_TRUE(stack.IsEmpty());
}

TEST(StackTest, DestroyingReleasesNodesNotItems) {
  auto item = std::make_unique<int>(42);
  {
    TStack stack;
    for (int i = 0; i < 1000; ++i) stack.Push(item.get());
  }
  // The items stay with their owner (ASan would flag a double release).
  EXPECT_EQ(*item, 42);
}

TEST(StackTest, IsEmptyThroughTheBase) {
  TStack stack;
  const TGenericStruct& base = stack;
  EXPECT_TRUE(base.IsEmpty());
  int x = 0;
  stack.Push(&x);
  EXPECT_FALSE(base.IsEmpty());
}

}  // namespace
}  // namespace serial
