// The allocator on its own: order of numbers handed out, the stack's layout,
// the odd cases the host can provoke, and the full stack.
#include "numbering/allocator.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace numbering;

namespace {

class Allocator : public ::testing::Test {
 protected:
  void SetUp() override {
    ReadyFreeStack();
    ResetNumbers();
  }
  void TearDown() override { ResetNumbers(); }

  static std::vector<std::int32_t> Stack() {
    return std::vector<std::int32_t>(FreeStack + 1, FreeStack + 1 + FreeCount);
  }
  static void Allocate(int times) {
    for (int i = 0; i < times; ++i) AllocateNumber();
  }
};

TEST_F(Allocator, HandsOutAscendingThenSmallestFreeFirst) {
  EXPECT_EQ(AllocateNumber(), 1);
  EXPECT_EQ(AllocateNumber(), 2);
  EXPECT_EQ(AllocateNumber(), 3);
  ReleaseNumber(1);
  ReleaseNumber(2);
  EXPECT_EQ(AllocateNumber(), 1);
  EXPECT_EQ(AllocateNumber(), 2);
  EXPECT_EQ(AllocateNumber(), 4);
}

TEST_F(Allocator, ReleasingTheTopLowersHighWaterWithoutCascading) {
  Allocate(3);
  ReleaseNumber(2);
  ReleaseNumber(3);
  EXPECT_EQ(HighWater, 2);
  EXPECT_EQ(Stack(), (std::vector<std::int32_t>{2}));
  EXPECT_EQ(NumbersInUse(), 1);
  EXPECT_EQ(AllocateNumber(), 2);
  EXPECT_EQ(AllocateNumber(), 3);
}

TEST_F(Allocator, StackIsDescendingWhateverTheReleaseOrder) {
  Allocate(10);
  EXPECT_EQ(ReleaseNumber(5), 0);
  ReleaseNumber(9);
  ReleaseNumber(7);
  EXPECT_EQ(Stack(), (std::vector<std::int32_t>{9, 7, 5}));
  ReleaseNumber(8);
  ReleaseNumber(1);
  ReleaseNumber(6);
  EXPECT_EQ(Stack(), (std::vector<std::int32_t>{9, 8, 7, 6, 5, 1}));
  EXPECT_EQ(AllocateNumber(), 1);
  EXPECT_EQ(AllocateNumber(), 5);
}

TEST_F(Allocator, InsertFreeReturnsThePosition) {
  FreeCount = 3;
  FreeStack[1] = 9;
  FreeStack[2] = 5;
  FreeStack[3] = 0;
  EXPECT_EQ(InsertFree(7), 2);
  EXPECT_EQ(Stack(), (std::vector<std::int32_t>{9, 7, 5}));
  FreeStack[++FreeCount] = 0;
  EXPECT_EQ(InsertFree(10), 1);
  FreeStack[++FreeCount] = 0;
  EXPECT_EQ(InsertFree(2), 5);
  EXPECT_EQ(Stack(), (std::vector<std::int32_t>{10, 9, 7, 5, 2}));
}

TEST_F(Allocator, NumbersAboveHighWaterGoOnTheStackAndCountCanGoNegative) {
  Allocate(3);
  for (std::int32_t n : {50, 60, 70, 80}) ReleaseNumber(n);
  EXPECT_EQ(Stack(), (std::vector<std::int32_t>{80, 70, 60, 50}));
  EXPECT_EQ(NumbersInUse(), -1);
  EXPECT_EQ(AllocateNumber(), 50);
}

TEST_F(Allocator, ASecondCopyOfAFreeNumberIsHandedOutTwice) {
  Allocate(10);
  ReleaseNumber(9);
  ReleaseNumber(7);
  ReleaseNumber(5);
  ReleaseNumber(7);
  EXPECT_EQ(Stack(), (std::vector<std::int32_t>{9, 7, 5, 7}));
  EXPECT_EQ(AllocateNumber(), 7);
  EXPECT_EQ(AllocateNumber(), 5);
  EXPECT_EQ(AllocateNumber(), 7);
  EXPECT_EQ(AllocateNumber(), 9);
}

TEST_F(Allocator, NumbersBelowOneAreIgnored) {
  Allocate(2);
  ReleaseNumber(0);
  ReleaseNumber(-3);
  ReleaseNumber(INT_MIN);
  EXPECT_EQ(FreeCount, 0);
  EXPECT_EQ(HighWater, 2);
}

TEST_F(Allocator, HighWaterWrapsAtTheTopOfTheRange) {
  HighWater = INT_MAX;
  EXPECT_EQ(AllocateNumber(), INT_MIN);
  EXPECT_EQ(NumbersInUse(), INT_MIN);
  FreeCount = 1;
  EXPECT_EQ(NumbersInUse(), INT_MAX);  // INT_MIN - 1 wraps
  FreeCount = 0;
}

TEST_F(Allocator, ResetForgetsNumbersButLeavesStackContents) {
  Allocate(4);
  ReleaseNumber(2);
  ResetNumbers();
  EXPECT_EQ(HighWater, 0);
  EXPECT_EQ(FreeCount, 0);
  EXPECT_EQ(FreeStack[1], 2);
  EXPECT_EQ(AllocateNumber(), 1);
}

// The stack holds at most 65537 numbers; a release beyond that is dropped and
// nothing past position 65537 is touched.
TEST_F(Allocator, FullStackDropsFurtherReleases) {
  HighWater = 200000;
  for (std::int32_t n = 1; n <= kMaxFree; ++n) ReleaseNumber(kMaxFree + 1 - n);
  ASSERT_EQ(FreeCount, kMaxFree);
  EXPECT_EQ(FreeStack[1], kMaxFree);
  EXPECT_EQ(FreeStack[kMaxFree], 1);
  ReleaseNumber(100000);
  ReleaseNumber(70000);
  EXPECT_EQ(FreeCount, kMaxFree);
  EXPECT_EQ(FreeStack[1], kMaxFree);
  EXPECT_EQ(NumbersInUse(), 200000 - kMaxFree);
  // Releasing the top still works: it needs no room on the stack.
  ReleaseNumber(200000);
  EXPECT_EQ(HighWater, 199999);
  // Once a number is handed out there is room again.
  EXPECT_EQ(AllocateNumber(), 1);
  ReleaseNumber(100000);
  EXPECT_EQ(FreeCount, kMaxFree);
  EXPECT_EQ(FreeStack[1], 100000);
}

}  // namespace
