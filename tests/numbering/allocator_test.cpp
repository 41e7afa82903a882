// The allocator's inside, which the commands cannot show from outside: where
// InsertFree puts a number, the free-number stack full, the 32-bit top.
#include "numbering/allocator.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace numbering;

namespace {

// InsertFree says where it put the number; the commands never look. Into the
// 40 even numbers from 80 down, an odd number 83 - 2p goes to position p (the
// first and last of a block of eight looked at together among them), shifting
// those below it down by one; one already there, the top one too, goes to the bottom.
struct Insertion {
  std::int32_t number;
  std::int32_t position;
};
class AllocatorInsertFree : public ::testing::TestWithParam<Insertion> {};
TEST_P(AllocatorInsertFree, ReturnsThePosition) {
  const auto [v, position] = GetParam();
  ResetNumbers();
  std::vector<std::int32_t> want;
  for (std::int32_t n = 80; n >= 2; n -= 2) want.push_back(FreeStack[++FreeCount] = n);
  FreeStack[++FreeCount] = 0;
  EXPECT_EQ(InsertFree(v), position);
  want.insert(want.begin() + position - 1, v);
  EXPECT_EQ(std::vector<std::int32_t>(FreeStack + 1, FreeStack + 42), want);
}
INSTANTIATE_TEST_SUITE_P(, AllocatorInsertFree,
                         ::testing::Values(Insertion{81, 1}, Insertion{79, 2}, Insertion{65, 9},
                                           Insertion{63, 10}, Insertion{41, 21}, Insertion{1, 41},
                                           Insertion{40, 41}, Insertion{80, 41}),
                         [](const auto& info) {
                           return std::to_string(info.param.number) + "_goes_to_" +
                                  std::to_string(info.param.position);
                         });

// The stack holds at most 65537 numbers; a release beyond that is dropped
// and nothing past position 65537 is touched. Releasing the top still works.
TEST(Allocator, AFullStackDropsFurtherReleases) {
  ResetNumbers();
  HighWater = 200000;
  FreeCount = 65537;
  for (std::int32_t i = 1; i <= 65537; ++i) FreeStack[i] = 65538 - i;
  // Count, top and bottom of the stack, numbers in use.
  const auto state = [] {
    return std::vector<std::int32_t>{FreeCount, FreeStack[1], FreeStack[65537], NumbersInUse()};
  };
  EXPECT_EQ(ReleaseNumber(100000), 0);
  EXPECT_EQ(state(), (std::vector<std::int32_t>{65537, 65537, 1, 200000 - 65537}));
  ReleaseNumber(200000);
  EXPECT_EQ(AllocateNumber(), 1);
  ReleaseNumber(100000);
  EXPECT_EQ(state(), (std::vector<std::int32_t>{65537, 100000, 2, 199999 - 65537}));
}

// Below 1 nothing is a number: releasing 0, even with 0 as the top, or -1
// answers 0 and changes neither the top nor the stack.
TEST(Allocator, TheTopWrapsInThirtyTwoBitsAndNothingBelowOneIsTakenBack) {
  ResetNumbers();
  for (const std::int32_t n : {0, -1}) {
    // The number released, the answer, then the top and the count.
    EXPECT_EQ((std::vector<std::int32_t>{n, ReleaseNumber(n), HighWater, FreeCount}),
              (std::vector<std::int32_t>{n, 0, 0, 0}));
  }
  HighWater = INT_MAX;
  EXPECT_EQ(AllocateNumber(), INT_MIN);
  FreeCount = 1;
  EXPECT_EQ(NumbersInUse(), INT_MAX);
}

}  // namespace
