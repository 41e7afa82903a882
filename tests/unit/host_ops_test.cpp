// The host view: directory copies read at every call, and the reference
// store's safety against hostile arguments.
#include <climits>

#include "host_fixture.h"

using namespace host;

namespace {

TEST(HostOps, BindingCopiesSlotsOneToTwentySevenOnly) {
  UnbindDirectory();
  EXPECT_FALSE(MemblockTableBound());
  ModuleTable directory[40];
  static const TableEntry tables[40][1] = {};
  for (int i = 0; i < 40; ++i) directory[i] = tables[i];
  BindDirectory(directory);
  EXPECT_EQ(DirectorySlot(0), nullptr);
  for (int slot = 1; slot <= 27; ++slot) EXPECT_EQ(DirectorySlot(slot), tables[slot]) << slot;
  EXPECT_EQ(DirectorySlot(28), nullptr);
  EXPECT_TRUE(MemblockTableBound());
  UnbindDirectory();
  BindDirectory(nullptr);
  EXPECT_EQ(DirectorySlot(13), nullptr);
}

// The table entry is read at every call, not cached at binding.
TEST(HostOps, EntriesAreReadAtEveryCall) {
  static TableEntry table[32] = {};
  static int calls = 0;
  ModuleTable directory[28] = {};
  directory[kMemblockDirectorySlot] = table;
  BindDirectory(directory);
  EXPECT_EQ(MemExistsOp(3), 0);  // empty entry: nothing called
  table[MemExists] = reinterpret_cast<TableEntry>(
      static_cast<Op1>([](std::int32_t n) -> std::int32_t { return ++calls + n; }));
  EXPECT_EQ(MemExistsOp(3), 4);
  EXPECT_EQ(calls, 1);
  UnbindDirectory();
}

using Store = BoundHost;

TEST_F(Store, OutOfRangeAccessReadsZeroAndWritesNothing) {
  refhost::PutMemblock(1, std::vector<std::uint8_t>(8, 0xAB));
  for (std::int32_t offset : {-1, 5, 8, INT_MAX, INT_MIN, INT_MAX - 2}) {
    EXPECT_EQ(MemReadDwordOp(1, offset), 0) << offset;
    MemWriteDwordOp(1, offset, -1);
  }
  for (std::int32_t offset : {-1, 7, INT_MAX}) {
    EXPECT_EQ(MemReadWordOp(1, offset), 0) << offset;
    MemWriteWordOp(1, offset, -1);
  }
  EXPECT_EQ(refhost::MemblockBytes(1), std::vector<std::uint8_t>(8, 0xAB));
  EXPECT_EQ(MemReadDwordOp(1, 4), static_cast<std::int32_t>(0xABABABABu));
  EXPECT_EQ(MemReadWordOp(1, 6), 0xABAB);
  MemCopyOp(1, 1, 0, 4, INT_MAX);
  MemCopyOp(1, 1, INT_MIN, 0, 4);
  MemCopyOp(1, 1, 0, 6, 4);
  EXPECT_EQ(refhost::MemblockBytes(1), std::vector<std::uint8_t>(8, 0xAB));
  EXPECT_EQ(MemReadDwordOp(99, 0), 0);
}

TEST_F(Store, WordsKeepTheLow16BitsAndReadBackUnsigned) {
  MemMakeOp(1, 4);
  MemWriteWordOp(1, 0, 0x1234ABCD);
  EXPECT_EQ(MemReadWordOp(1, 0), 0xABCD);
  EXPECT_EQ(MemReadDwordOp(1, 0), 0xABCD);
  MemWriteDwordOp(1, 0, -2);
  EXPECT_EQ(MemReadWordOp(1, 2), 0xFFFF);
}

TEST_F(Store, MakeRefusesBadNumbersSizesAndTakenNumbers) {
  for (std::int32_t size : {0, -1, INT_MIN, INT_MAX}) MemMakeOp(1, size);
  MemMakeOp(0, 4);
  MemMakeOp(-1, 4);
  EXPECT_EQ(refhost::MemblockCount(), 0);
  MemMakeOp(1, 4);
  MemMakeOp(1, 40);
  EXPECT_EQ(MemSizeOp(1), 4);
  EXPECT_EQ(MemExistsOp(1), 1);
  MemDeleteOp(1);
  EXPECT_EQ(MemExistsOp(1), 0);
  EXPECT_EQ(MemSizeOp(1), 0);
}

}  // namespace
