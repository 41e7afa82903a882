// The load and unload hooks and the library's own lifetime in the host process.
#include <gtest/gtest.h>

#include <vector>

#include "loaded_plugin.h"

namespace {

using Lifecycle = LoadedPlugin;

TEST_F(Lifecycle, DestructorLeavesMemblocksAndNumbersAsTheyWere) {
  for (std::int32_t size : {10, 20, 30}) Command("MBC Make Memblock", {size});
  Command("MBC Delete Memblock", {2});
  const std::vector<std::int32_t> numbers = host_.Numbers();
  const std::vector<std::uint8_t> first = host_.Bytes(1);

  std::int32_t result = -1;
  const auto calls = CallsOf([&] { result = plugin_.CallUnloadHook(); });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(calls.empty()) << refhost::Describe(calls);
  EXPECT_EQ(host_.Numbers(), numbers);
  EXPECT_EQ(host_.Bytes(1), first);
  EXPECT_EQ(Command("MBC Exist Memblock Count"), 2);
  EXPECT_EQ(Command("MBC Make Memblock", {1}), 2) << "the taken-back number comes first";
  EXPECT_EQ(Command("MBC Make Memblock", {1}), 4);
}

TEST_F(Lifecycle, BeforeTheLoadHookNothingReachesTheHost) {
  plugin_.CallUnloadHook();
  ASSERT_TRUE(plugin_.Unload());
  ASSERT_NO_FATAL_FAILURE(LoadPlugin());
  const auto calls = CallsOf([&] {
    EXPECT_EQ(Command("MBC Make Memblock", {16}), 0);
    EXPECT_EQ(Command("MBC Exist Memblock Count"), 0);
    EXPECT_EQ(Command("MBC Make Memblock Image", {4, 4, 32}), 0);
    EXPECT_EQ(Command("MBC Get Pixel", {1, 0, 0}), 0);
    EXPECT_EQ(Command("MBC Circle", {1, 2, 2, 3, 7, 1}), 0);
    EXPECT_EQ(Command("MBC Stretch Image", {1, 4, 4}), 0);
  });
  EXPECT_TRUE(calls.empty()) << refhost::Describe(calls);
  EXPECT_EQ(host_.MemblockCount(), 0);
}

TEST_F(Lifecycle, FreedLibraryLeavesTheProcessAndComesBackFresh) {
  for (std::int32_t size : {10, 20, 30}) Command("MBC Make Memblock", {size});
  Command("MBC Delete Memblock", {2});
  const std::int32_t requests = host_.DirectoryRequests();

  EXPECT_EQ(plugin_.CallUnloadHook(), 0);
  ASSERT_TRUE(plugin_.Unload());
  EXPECT_EQ(GetModuleHandleA(refhost::kPluginFileName), nullptr);
  host_.ResetStore();

  ASSERT_NO_FATAL_FAILURE(LoadPlugin());
  EXPECT_EQ(Command("MBC Make Memblock", {16}), 0) << "a fresh library is not bound";
  EXPECT_EQ(Command("MBC Initialized"), 1);
  EXPECT_EQ(host_.DirectoryRequests(), 1) << "bound anew, once (" << requests << " before)";
  // A fresh allocator: first number 1, where the old one would give 2.
  EXPECT_EQ(Command("MBC Make Memblock", {16}), 1);
  EXPECT_EQ(Command("MBC Exist Memblock Count"), 1);
}

}  // namespace
