// The four numbering commands against the reference store, with their host
// call sequences.
#include "numbering/numbering_commands.h"

#include <climits>

#include "host_fixture.h"

using namespace host;
using numbering::FreeCount;
using numbering::FreeStack;
using numbering::HighWater;

namespace {

using NumberingCommands = BoundHost;

TEST_F(NumberingCommands, MakeAllocatesAndMakesWhenTheNumberIsFree) {
  auto calls = CallsOf([] { EXPECT_EQ(MBC_DynamicMake(100), 1); });
  EXPECT_CALLS(calls, Mem(MemExists, {1}, 0), Mem(MemMake, {1, 100}, 0));
  EXPECT_EQ(refhost::MemblockBytes(1).size(), 100u);
  EXPECT_EQ(MBC_DynamicMake(8), 2);
  EXPECT_EQ(MBC_DynamicMake(8), 3);
  EXPECT_EQ(MBC_Count(), 3);
}

TEST_F(NumberingCommands, MakeLeavesAScriptMadeMemblockUntouched) {
  refhost::PutMemblock(1, {7, 7, 7});
  auto calls = CallsOf([] { EXPECT_EQ(MBC_DynamicMake(100), 1); });
  EXPECT_CALLS(calls, Mem(MemExists, {1}, 1));
  EXPECT_EQ(refhost::MemblockBytes(1), (std::vector<std::uint8_t>{7, 7, 7}));
}

TEST_F(NumberingCommands, MakeHandsOutTheNumberEvenWhenTheHostMadeNothing) {
  EXPECT_EQ(MBC_DynamicMake(-5), 1);
  EXPECT_EQ(MBC_DynamicMake(0), 2);
  EXPECT_FALSE(refhost::MemblockExists(1));
  EXPECT_EQ(MBC_Count(), 2);
  EXPECT_EQ(MBC_DynamicMake(4), 3);
}

TEST_F(NumberingCommands, DeleteDeletesAndTakesTheNumberBack) {
  for (int i = 0; i < 3; ++i) MBC_DynamicMake(4);
  auto calls = CallsOf([] { EXPECT_EQ(MBC_Delete(2), 0); });
  EXPECT_CALLS(calls, Mem(MemExists, {2}, 1), Mem(MemDelete, {2}, 0));
  EXPECT_FALSE(refhost::MemblockExists(2));
  EXPECT_EQ(MBC_DynamicMake(4), 2);
  // Deleting the top lowers HighWater; the next make returns it again.
  MBC_Delete(3);
  EXPECT_EQ(HighWater, 2);
  EXPECT_EQ(MBC_DynamicMake(4), 3);
}

TEST_F(NumberingCommands, DeleteReleasesEvenWithoutAMemblock) {
  for (int i = 0; i < 3; ++i) MBC_DynamicMake(4);
  refhost::ResetStore();
  auto calls = CallsOf([] { EXPECT_EQ(MBC_Delete(2), 0); });
  EXPECT_CALLS(calls, Mem(MemExists, {2}, 0));
  EXPECT_EQ(FreeCount, 1);
  EXPECT_EQ(FreeStack[1], 2);
}

TEST_F(NumberingCommands, DeleteBelowOneReturnsItUnchangedWithoutHostCall) {
  MBC_DynamicMake(4);
  auto calls = CallsOf([] {
    EXPECT_EQ(MBC_Delete(0), 0);
    EXPECT_EQ(MBC_Delete(-4), -4);
    EXPECT_EQ(MBC_Delete(INT_MIN), INT_MIN);
  });
  EXPECT_TRUE(calls.empty()) << refhost::Describe(calls);
  EXPECT_EQ(MBC_Count(), 1);
}

TEST_F(NumberingCommands, CountTracksDeletesAboveHighWater) {
  for (int i = 0; i < 3; ++i) MBC_DynamicMake(4);
  for (std::int32_t n : {50, 60, 70, 80}) MBC_Delete(n);
  EXPECT_EQ(MBC_Count(), -1);
  EXPECT_EQ(MBC_DynamicMake(4), 50);
}

TEST_F(NumberingCommands, ClearDeletesEveryExistingMemblockFromTheTopDown) {
  for (int i = 0; i < 3; ++i) MBC_DynamicMake(4);
  MBC_Delete(2);
  refhost::PutMemblock(2, {1});  // the script made 2 itself
  refhost::PutMemblock(9, {1});  // above HighWater: not the allocator's business
  auto calls = CallsOf([] { EXPECT_EQ(MBC_Clear(), 0); });
  EXPECT_CALLS(calls, Mem(MemExists, {3}, 1), Mem(MemDelete, {3}, 0), Mem(MemExists, {2}, 1),
               Mem(MemDelete, {2}, 0), Mem(MemExists, {1}, 1), Mem(MemDelete, {1}, 0));
  EXPECT_EQ(refhost::MemblockCount(), 1);
  EXPECT_EQ(MBC_Count(), 0);
  EXPECT_EQ(MBC_DynamicMake(4), 1);
}

TEST_F(NumberingCommands, ClearFromZeroMakesNoHostCallAndResets) {
  MBC_Delete(5);  // a stray number on the stack
  auto calls = CallsOf([] { EXPECT_EQ(MBC_Clear(), 0); });
  EXPECT_TRUE(calls.empty()) << refhost::Describe(calls);
  EXPECT_EQ(FreeCount, 0);
}

TEST_F(NumberingCommands, NothingHappensBeforeBinding) {
  MBC_DynamicMake(4);
  numbering::InitState = 0;
  auto calls = CallsOf([] {
    EXPECT_EQ(MBC_DynamicMake(4), 0);
    EXPECT_EQ(MBC_Delete(1), 0);
    EXPECT_EQ(MBC_Delete(-4), 0);
    EXPECT_EQ(MBC_Count(), 0);
    EXPECT_EQ(MBC_Clear(), 0);
  });
  EXPECT_TRUE(calls.empty()) << refhost::Describe(calls);
  EXPECT_EQ(HighWater, 1);
  EXPECT_TRUE(refhost::MemblockExists(1));
}

// A plug-in whose tables were never copied calls nothing even if its flag
// says bound: every wrapper checks its table.
TEST_F(NumberingCommands, UnboundTablesAreNeverCalledThrough) {
  host::UnbindDirectory();
  EXPECT_EQ(MBC_DynamicMake(4), 1);
  EXPECT_EQ(MBC_Delete(1), 0);
  EXPECT_EQ(refhost::MemblockCount(), 0);
}

}  // namespace
