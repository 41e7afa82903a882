// Attach, detach and the unload hook.
#include "plugin/lifecycle.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "plugin/platform_fake.h"
#include "host/host_ops.h"
#include "numbering/numbering_commands.h"
#include "plugin/binding.h"
#include "tests/unit/host_fixture.h"

namespace {

TEST(Lifecycle, AttachZeroFillsTheFreeStack) {
  std::fill(std::begin(numbering::FreeStack), std::end(numbering::FreeStack), -1);
  plugin::OnProcessAttach();
  EXPECT_TRUE(std::all_of(std::begin(numbering::FreeStack), std::end(numbering::FreeStack),
                          [](std::int32_t entry) { return entry == 0; }));
}

class Detach : public ::testing::Test {
 protected:
  void SetUp() override {
    refhost::ResetStore();
    platform_.AddDirectoryExport("RuzazUrovuv.dll", "VarIvoziVavu", refhost::Directory());
    platform_.AddValueExport("ZavarOvur.dll", "?GetGlobPtr@@YAKXZ", 7);
    plugin::RunLoadHook(platform_);
    platform_.TakeCalls();
  }
  void ExpectUnbound() {
    EXPECT_EQ(numbering::InitState, 0);
    EXPECT_EQ(plugin::CorePtr, 0u);
    EXPECT_EQ(plugin::HeldCompanion(), nullptr);
    EXPECT_EQ(host::DirectorySlot(13), nullptr);
  }
  FakePlatform platform_;
};

TEST_F(Detach, UnloadReleasesTheKeptCompanion) {
  plugin::OnProcessDetach(platform_, true);
  EXPECT_EQ(platform_.TakeCalls(), std::vector<std::string>{"release #1"});
  ExpectUnbound();
  // Nothing is released twice.
  plugin::OnProcessDetach(platform_, true);
  EXPECT_TRUE(platform_.TakeCalls().empty());
}

TEST_F(Detach, ProcessEndReleasesNothing) {
  plugin::OnProcessDetach(platform_, false);
  EXPECT_TRUE(platform_.TakeCalls().empty());
  ExpectUnbound();
}

using UnloadHook = BoundHost;

TEST_F(UnloadHook, DestructorReturnsZeroAndLeavesMemblocksAndNumbersAlone) {
  for (int i = 0; i < 4; ++i) MBC_DynamicMake(8);
  MBC_Delete(2);
  const std::int32_t highWater = numbering::HighWater;
  const std::int32_t freeCount = numbering::FreeCount;
  const std::int32_t firstFree = numbering::FreeStack[1];

  auto calls = CallsOf([] { EXPECT_EQ(Destructor(), 0); });
  EXPECT_TRUE(calls.empty()) << refhost::Describe(calls);
  EXPECT_EQ(refhost::MemblockCount(), 3);
  EXPECT_EQ(numbering::InitState, 1);
  EXPECT_EQ(numbering::HighWater, highWater);
  EXPECT_EQ(numbering::FreeCount, freeCount);
  EXPECT_EQ(numbering::FreeStack[1], firstFree);
  EXPECT_EQ(MBC_DynamicMake(8), 2);
}

}  // namespace
