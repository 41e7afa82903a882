// The plug-in as a whole: its command table, what it does before and after
// binding, and its load and unload hooks.
#include <gtest/gtest.h>

#include "cases.h"
#include "target.h"

namespace {

TEST(CommandTable, HoldsExactlyTheNineteenRows) {
  const char16_t* const rows[] = {
      u"MBC Initialized[%L%MBC_Init%",
      u"MBC Clear All Memblocks%0%MBC_Clear%",
      u"MBC Exist Memblock Count[%L%MBC_Count%",
      u"MBC Delete Memblock[%LL%MBC_Delete%Memblock Number",
      u"MBC Clone Memblock[%LL%MBC_CloneMemblock%Source Memblock",
      u"MBC Make Memblock[%LL%MBC_DynamicMake%Bytes Size",
      u"MBC Make Memblock From Array[%LH%MBC_DynamicMakeFromArray%Array Name(0)",
      u"MBC Make Memblock From Bitmap[%LL%MBC_DynamicMakeFromBitmap%Bitmap Number",
      u"MBC Make Memblock From Image[%LL%MBC_DynamicMakeFromImage%Image Number",
      u"MBC Make Memblock From Mesh[%LL%MBC_DynamicMakeFromMesh%Mesh Number",
      u"MBC Make Memblock From Sound[%LL%MBC_DynamicMakeFromSound%Sound Number",
      u"MBC Make Memblock Image[%LLLL%MakeMemblockImage%Width, Height, Depth",
      u"MBC Plot%LLLL%IMPlot%Memblock Number, X, Y, RGBColor",
      u"MBC Get Pixel[%LLLL%IMGetPixel%Memblock Number, X, Y",
      u"MBC Circle%LLLLLL%IMCircle%Memblock Number, X, Y, Diameter, RGBColor, FillMode",
      u"MBC Cube%LLLLLL%IMCube%Memblock Number, X, Y, Size, RGBColor, FillMode",
      u"MBC Box%LLLLLLL%IMBox%Memblock Number, Left, Top, Bottom, Right, RGBColor, FillMode",
      u"MBC Stretch Image%LL%IMStretch%Source IM, Target IM",
      u"MBC Stretch Image[%LLLL%IMStretch2%Source IM, Width, Height",
  };
  target::Restart(false);
  std::u16string text;
  EXPECT_FALSE(target::Row(0, &text)) << "string 0 is empty";
  for (unsigned id = 1; id <= 19; ++id) {
    EXPECT_TRUE(target::Row(id, &text) && text == rows[id - 1]) << "row " << id;
  }
  EXPECT_FALSE(target::Row(20, &text)) << "a row past 19";
  EXPECT_EQ(target::Plugin().Commands().size(), 19u);
}

// Before binding every command returns 0 and calls nothing, even for
// memblocks the host has; "MBC Initialized" then binds a plug-in whose load
// hook never ran, and its allocator starts from 1.
TEST(Binding, NothingHappensUntilBoundAndInitializedBindsWithoutTheLoadHook) {
  target::Restart(false);
  EXPECT_EQ(cases::Steps("marked 1, 4, 4, 32; marked 2, 4, 4, 32"), "");
  const char* probes[] = {"MBC Make Memblock 16 => 0",
                          "MBC Delete Memblock 1 => 0",
                          "MBC Delete Memblock -4 => 0",
                          "MBC Exist Memblock Count => 0",
                          "MBC Clear All Memblocks",
                          "MBC Clone Memblock 1 => 0",
                          "MBC Make Memblock From Array 1 => 0",
                          "MBC Make Memblock From Bitmap 1 => 0",
                          "MBC Make Memblock From Image 1 => 0",
                          "MBC Make Memblock From Mesh 1 => 0",
                          "MBC Make Memblock From Sound 1 => 0",
                          "MBC Make Memblock Image 4, 4, 32 => 0",
                          "call \"PrepareMeshMemblock\", 2 => 0",
                          "MBC Plot 1, 0, 0, 7",
                          "MBC Get Pixel 1, 0, 0 => 0",
                          "MBC Circle 1, 2, 2, 3, 7, 1",
                          "MBC Cube 1, 0, 0, 1, 7, 5",
                          "MBC Cube 1, 0, 0, 3, 7, 0",
                          "MBC Box 1, 0, 0, 3, 3, 7, 1",
                          "MBC Stretch Image 1, 2",
                          "MBC Stretch Image 1, 8, 8 => 0"};
  for (const char* probe : probes) {
    EXPECT_EQ(cases::Check({probe, "", probe, ""}, false), "") << probe;
  }
  EXPECT_EQ(target::Host().MemblockCount(), 2);
  EXPECT_EQ(
      cases::Steps("v = dword 1, 12 => 0x1000; MBC Initialized => 1; MBC Make Memblock 16 => 1; "
                   "MBC Initialized => 1; MBC Make Memblock 16 => 2"),
      "");
  EXPECT_TRUE(target::Boxes().empty());
}

TEST(Lifecycle, TheUnloadHookLeavesMemblocksAndNumbersAsTheyWere) {
  EXPECT_EQ(cases::Check({"",
                          "MBC Make Memblock 10 => 1; MBC Make Memblock 20 => 2; "
                          "MBC Make Memblock 30 => 3; MBC Delete Memblock 2 => 0",
                          "call \"Destructor\" => 0", "",
                          "MBC Exist Memblock Count => 2; v = dword 3, 26 => 0; "
                          "MBC Make Memblock 1 => 2; MBC Make Memblock 1 => 4"}),
            "");
}

}  // namespace
