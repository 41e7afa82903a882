// What the commands cannot show from outside: the free-number stack itself,
// its full state, the 32-bit top, and how the host's tables are read.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "host/host_ops.h"
#include "numbering/allocator.h"

using namespace numbering;

namespace {

std::vector<std::int32_t> Stack() {
  return std::vector<std::int32_t>(FreeStack + 1, FreeStack + 1 + FreeCount);
}

// InsertFree says where it put the number; the commands never look.
TEST(Allocator, InsertFreeReturnsThePosition) {
  ResetNumbers();
  for (std::int32_t n : {9, 5}) FreeStack[++FreeCount] = n;
  FreeStack[++FreeCount] = 0;
  EXPECT_EQ(InsertFree(7), 2);
  FreeStack[++FreeCount] = 0;
  EXPECT_EQ(InsertFree(1), 4);
  EXPECT_EQ(Stack(), (std::vector<std::int32_t>{9, 7, 5, 1}));
  ResetNumbers();
}

// The stack holds at most 65537 numbers; a release beyond that is dropped
// and nothing past position 65537 is touched. Releasing the top still works.
TEST(Allocator, AFullStackDropsFurtherReleases) {
  ResetNumbers();
  HighWater = 200000;
  FreeCount = 65537;
  for (std::int32_t i = 1; i <= 65537; ++i) FreeStack[i] = 65538 - i;
  ReleaseNumber(100000);
  EXPECT_EQ(FreeCount, 65537);
  EXPECT_EQ(FreeStack[1], 65537);
  EXPECT_EQ(FreeStack[65537], 1);
  EXPECT_EQ(NumbersInUse(), 200000 - 65537);
  ReleaseNumber(200000);
  EXPECT_EQ(HighWater, 199999);
  EXPECT_EQ(AllocateNumber(), 1);
  ReleaseNumber(100000);
  EXPECT_EQ(FreeCount, 65537);
  EXPECT_EQ(FreeStack[1], 100000);
  EXPECT_EQ(FreeStack[65537], 2);
  ResetNumbers();
}

TEST(Allocator, TheTopWrapsInThirtyTwoBits) {
  ResetNumbers();
  HighWater = INT_MAX;
  EXPECT_EQ(AllocateNumber(), INT_MIN);
  EXPECT_EQ(NumbersInUse(), INT_MIN);
  FreeCount = 1;
  EXPECT_EQ(NumbersInUse(), INT_MAX);
  ResetNumbers();
}

// The operation's address is read from the table at every call, never kept
// from an earlier one; an empty entry is not called.
TEST(HostTables, AnEntryIsReadAtEveryCall) {
  static host::TableEntry table[32] = {};
  static int calls = 0;
  host::ModuleTable directory[32] = {};
  directory[13] = table;
  host::BindDirectory(directory);
  EXPECT_EQ(host::MemExistsOp(3), 0);
  table[14] = reinterpret_cast<host::TableEntry>(
      static_cast<host::Op1>([](std::int32_t n) -> std::int32_t { return ++calls + n; }));
  EXPECT_EQ(host::MemExistsOp(3), 4);
  EXPECT_EQ(calls, 1);
  // Every arity calls nothing through an empty entry and answers 0.
  EXPECT_EQ(host::MemReadDwordOp(3, 0) | host::MemWriteDwordOp(3, 0, 1) |
                host::MemCopyOp(3, 4, 0, 0, 1) | host::BitmapExistsOp(3),
            0);
  host::UnbindDirectory();
  EXPECT_EQ(host::MemExistsOp(3), 0);
  EXPECT_EQ(calls, 1);
}

}  // namespace
