// How the host's tables are read: every call looks its operation up anew.
#include <gtest/gtest.h>

#include "host/host_ops.h"

namespace {

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
  EXPECT_EQ(host::MemExistsOp(3), 4);  // called once
  // Every arity calls nothing through an empty entry and answers 0.
  EXPECT_EQ(host::MemReadDwordOp(3, 0) | host::MemWriteDwordOp(3, 0, 1) |
                host::MemCopyOp(3, 4, 0, 0, 1) | host::BitmapExistsOp(3),
            0);
  host::UnbindDirectory();
  EXPECT_EQ(host::MemExistsOp(3), 0);
}

}  // namespace
