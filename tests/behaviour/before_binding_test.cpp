// The plug-in before it is bound: every command returns 0 and calls nothing;
// then "MBC Initialized" binds it without the load hook.
#include <gtest/gtest.h>

#include "cases.h"
#include "target.h"

// Before binding every command returns 0 and calls nothing, even for
// memblocks the host has; "MBC Initialized" then binds a plug-in whose load
// hook never ran, and its allocator starts from 1.
TEST(Binding, NothingHappensUntilBoundAndInitializedBindsWithoutTheLoadHook) {
  target::Restart(false);
  EXPECT_EQ(cases::Steps("marked 1, 4, 4, 32; marked 2, 4, 4, 32"), "");
  const std::uint64_t calls = target::Host().CallCount();
  EXPECT_EQ(
      cases::Steps("MBC Make Memblock 16 => 0; MBC Delete Memblock 1 => 0; "
                   "MBC Delete Memblock -4 => 0; MBC Exist Memblock Count => 0; "
                   "MBC Clear All Memblocks; MBC Clone Memblock 1 => 0; "
                   "MBC Make Memblock From Array 1 => 0; MBC Make Memblock From Bitmap 1 => 0; "
                   "MBC Make Memblock From Image 1 => 0; MBC Make Memblock From Mesh 1 => 0; "
                   "MBC Make Memblock From Sound 1 => 0; MBC Make Memblock Image 4, 4, 32 => 0; "
                   "call \"PrepareMeshMemblock\", 2 => 0; call \"IMPlot\", 1, 0, 0, 7 => 0; "
                   "MBC Get Pixel 1, 0, 0 => 0; call \"IMCircle\", 1, 2, 2, 3, 7, 1 => 0; "
                   "call \"IMCube\", 1, 0, 0, 1, 7, 5 => 0; MBC Cube 1, 0, 0, 3, 7, 0; "
                   "call \"IMBox\", 1, 0, 0, 3, 3, 7, 1 => 0; call \"IMStretch\", 1, 2 => 0; "
                   "MBC Stretch Image 1, 8, 8 => 0"),
      "");
  EXPECT_EQ(target::Host().CallCount(), calls);
  EXPECT_EQ(target::Host().MemblockCount(), 2);
  EXPECT_EQ(cases::Steps("dword 1, 12 => 0x1000; MBC Initialized => 1; MBC Make Memblock 16 => 1; "
                         "MBC Initialized => 1; MBC Make Memblock 16 => 2"),
            "");
  EXPECT_TRUE(target::Boxes().empty());
}
