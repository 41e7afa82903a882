// Image and mesh memblocks and single-pixel access: layouts, offsets, depths,
// refusals and hostile arguments.
#include "image/pixel_access.h"

#include <climits>

#include "host_fixture.h"
#include "image/layouts.h"
#include "numbering/numbering_commands.h"

using namespace host;

namespace {

using PixelAccess = BoundHost;

TEST_F(PixelAccess, TypicalRequestMakesThenPlotsAtOffset1312) {
  auto calls = CallsOf([] { EXPECT_EQ(MakeMemblockImage(64, 32, 32), 1); });
  EXPECT_CALLS(calls, Mem(MemExists, {1}, 0), Mem(MemMake, {1, 8204}, 0),
               Mem(MemWriteDword, {1, 0, 64}, 0), Mem(MemWriteDword, {1, 4, 32}, 0),
               Mem(MemWriteDword, {1, 8, 32}, 0));
  calls = CallsOf([] { EXPECT_EQ(IMPlot(1, 5, 5, 0x00FF8040), 0); });
  EXPECT_CALLS(calls, Mem(MemExists, {1}, 1), Mem(MemReadDword, {1, 0}, 64),
               Mem(MemReadDword, {1, 4}, 32), Mem(MemReadDword, {1, 8}, 32),
               Mem(MemWriteDword, {1, 1312, 0x00FF8040}, 0));
  calls = CallsOf([] { EXPECT_EQ(IMGetPixel(1, 5, 5), 0x00FF8040); });
  EXPECT_CALLS(calls, Mem(MemExists, {1}, 1), Mem(MemReadDword, {1, 0}, 64),
               Mem(MemReadDword, {1, 4}, 32), Mem(MemReadDword, {1, 8}, 32),
               Mem(MemReadDword, {1, 1312}, 0x00FF8040));
}

TEST_F(PixelAccess, ImageSizesAndRefusals) {
  EXPECT_EQ(MakeMemblockImage(4, 3, 32), 1);
  const auto image = refhost::MemblockBytes(1);
  ASSERT_EQ(image.size(), 60u);
  EXPECT_EQ(refhost::DwordAt(image, 0), 4);
  EXPECT_EQ(refhost::DwordAt(image, 4), 3);
  EXPECT_EQ(refhost::DwordAt(image, 8), 32);
  EXPECT_EQ(MakeMemblockImage(4, 3, 16), 2);
  EXPECT_EQ(refhost::MemblockBytes(2).size(), 36u);
  EXPECT_EQ(MakeMemblockImage(2, 2, 24), 3);
  EXPECT_EQ(refhost::MemblockBytes(3).size(), 24u);

  auto calls = CallsOf([] {
    EXPECT_EQ(MakeMemblockImage(4, 3, 15), 0);
    EXPECT_EQ(MakeMemblockImage(0, 3, 32), 0);
    EXPECT_EQ(MakeMemblockImage(4, -1, 32), 0);
    EXPECT_EQ(MakeMemblockImage(INT_MIN, INT_MIN, INT_MIN), 0);
  });
  EXPECT_TRUE(calls.empty()) << refhost::Describe(calls);
  EXPECT_EQ(MBC_Count(), 3);
}

TEST_F(PixelAccess, OverflowingSizeWrapsBeforeReachingTheHost) {
  // 65536 * 65536 * 4 + 12 wraps to 12; 65535 * 65537 * 2 + 12 to 10.
  auto calls = CallsOf([] {
    EXPECT_EQ(MakeMemblockImage(65536, 65536, 32), 1);
    EXPECT_EQ(MakeMemblockImage(65535, 65537, 16), 2);
    EXPECT_EQ(MakeMemblockImage(INT_MAX, INT_MAX, INT_MAX), 3);
  });
  EXPECT_EQ(calls[1], Mem(MemMake, {1, 12}, 0));
  EXPECT_EQ(calls[6], Mem(MemMake, {2, 10}, 0));
  // INT_MAX * INT_MAX = 1; * (INT_MAX / 8 = 268435455) + 12.
  EXPECT_EQ(calls[11], Mem(MemMake, {3, 268435467}, 0));
  // The header lands in the 12-byte block, the rest stays clipped by the host.
  EXPECT_EQ(refhost::DwordAt(refhost::MemblockBytes(1), 0), 65536);
}

TEST_F(PixelAccess, PlotAtEachEdge) {
  MakeMemblockImage(4, 3, 32);
  auto calls = CallsOf([] { IMPlot(1, 3, 2, 7); });
  EXPECT_EQ(calls.back(), Mem(MemWriteDword, {1, 56, 7}, 0));
  calls = CallsOf([] {
    IMPlot(1, 4, 0, 9);
    IMPlot(1, 0, 3, 9);
    IMPlot(1, -1, 0, 9);
    IMPlot(1, 0, -1, 9);
    IMPlot(1, INT_MIN, INT_MIN, 9);
    IMPlot(1, INT_MAX, 0, 9);
  });
  EXPECT_EQ(calls.size(), 6u * 4u) << refhost::Describe(calls);
  for (const auto& call : calls) EXPECT_NE(call.slot, MemWriteDword);
  EXPECT_EQ(IMGetPixel(1, 3, 2), 7);
  EXPECT_EQ(IMGetPixel(1, 0, 0), 0);
  EXPECT_EQ(IMGetPixel(1, 4, 0), 0);
  EXPECT_EQ(IMGetPixel(1, -1, 2), 0);
}

TEST_F(PixelAccess, TwoBytePixelsKeepTheLow16Bits) {
  MakeMemblockImage(4, 3, 16);
  auto calls = CallsOf([] { IMPlot(1, 1, 2, 0x7FFF1234); });
  EXPECT_EQ(calls.back(), Mem(MemWriteWord, {1, 12 + 2 + 16, 0x7FFF1234}, 0));
  EXPECT_EQ(IMGetPixel(1, 1, 2), 0x1234);
  IMPlot(1, 0, 0, -1);
  EXPECT_EQ(IMGetPixel(1, 0, 0), 0xFFFF);
  // Depth 23 is still 2 bytes a pixel; 39 still 4.
  refhost::PutMemblock(5, std::vector<std::uint8_t>(12 + 8));
  MemWriteDwordOp(5, 0, 2);
  MemWriteDwordOp(5, 4, 2);
  MemWriteDwordOp(5, 8, 23);
  IMPlot(5, 1, 1, 0xABCD);
  EXPECT_EQ(IMGetPixel(5, 1, 1), 0xABCD);
  EXPECT_EQ(MemReadWordOp(5, 12 + 6), 0xABCD);
}

TEST_F(PixelAccess, OtherDepthsAreNeverPlottedOrRead) {
  MakeMemblockImage(2, 2, 24);
  const auto before = refhost::MemblockBytes(1);
  auto calls = CallsOf([] {
    IMPlot(1, 1, 1, -1);
    EXPECT_EQ(IMGetPixel(1, 1, 1), 0);
  });
  EXPECT_EQ(calls.size(), 8u);
  EXPECT_EQ(refhost::MemblockBytes(1), before);
}

TEST_F(PixelAccess, MissingOrBadMemblocksAreRefusedEarly) {
  auto calls = CallsOf([] {
    IMPlot(0, 0, 0, 1);
    IMPlot(-3, 0, 0, 1);
    EXPECT_EQ(IMGetPixel(INT_MIN, 0, 0), 0);
  });
  EXPECT_TRUE(calls.empty());
  calls = CallsOf([] { EXPECT_EQ(IMGetPixel(7, 0, 0), 0); });
  EXPECT_CALLS(calls, Mem(MemExists, {7}, 0));
}

// Offsets wrap in 32 bits: a header that lies about the size sends a wrapped
// offset to the host, which the store refuses.
TEST_F(PixelAccess, PixelOffsetWrapsWithoutUndefinedBehaviour) {
  EXPECT_EQ(image::PixelOffset(3, 2, 4, 4), 56);
  EXPECT_EQ(image::PixelOffset(0, 65536, 65536, 4), 12);
  // INT_MAX * 4 wraps to -4, INT_MAX * INT_MAX to 1.
  EXPECT_EQ(image::PixelOffset(INT_MAX, INT_MAX, INT_MAX, 4), -4 + 4 + 12);
  EXPECT_EQ(image::PixelOffset(INT_MIN, 0, 1, 2), 12);
  refhost::PutMemblock(2, std::vector<std::uint8_t>(16));
  MemWriteDwordOp(2, 0, INT_MAX);
  MemWriteDwordOp(2, 4, INT_MAX);
  MemWriteDwordOp(2, 8, 32);
  auto calls = CallsOf([] { IMPlot(2, 1, 1, 5); });
  // 1 * 4 + 1 * INT_MAX * 4 + 12 wraps to 12: the only pixel the block holds.
  EXPECT_EQ(calls.back(), Mem(MemWriteDword, {2, 12, 5}, 0));
  EXPECT_EQ(MemReadDwordOp(2, 12), 5);
  EXPECT_EQ(MemReadDwordOp(2, 8), 32);
}

TEST_F(PixelAccess, MeshHeader) {
  auto calls = CallsOf([] { EXPECT_EQ(PrepareMeshMemblock(2), 1); });
  EXPECT_CALLS(calls, Mem(MemExists, {1}, 0), Mem(MemMake, {1, 232}, 0),
               Mem(MemWriteDword, {1, 0, 338}, 0), Mem(MemWriteDword, {1, 4, 36}, 0),
               Mem(MemWriteDword, {1, 8, 2}, 0));
  const auto mesh = refhost::MemblockBytes(1);
  ASSERT_EQ(mesh.size(), 232u);
  EXPECT_EQ(refhost::DwordAt(mesh, 0), 338);
  EXPECT_EQ(refhost::DwordAt(mesh, 4), 36);
  EXPECT_EQ(refhost::DwordAt(mesh, 8), 2);
  // The count is not validated: -1 asks for 108 * -1 + 16 = -92 bytes.
  calls = CallsOf([] { EXPECT_EQ(PrepareMeshMemblock(-1), 2); });
  EXPECT_EQ(calls[1], Mem(MemMake, {2, -92}, 0));
  EXPECT_EQ(calls[4], Mem(MemWriteDword, {2, 8, -1}, 0));
}

// A number that names a memblock the script made itself is passed over: the
// script's memblock keeps its contents and the image gets the next number.
TEST_F(PixelAccess, MakersNeverWriteIntoAScriptMadeMemblock) {
  refhost::PutMemblock(1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  auto calls = CallsOf([] { EXPECT_EQ(MakeMemblockImage(1, 1, 32), 2); });
  EXPECT_CALLS(calls, Mem(MemExists, {1}, 1), Mem(MemExists, {2}, 0), Mem(MemMake, {2, 16}, 0),
               Mem(MemWriteDword, {2, 0, 1}, 0), Mem(MemWriteDword, {2, 4, 1}, 0),
               Mem(MemWriteDword, {2, 8, 32}, 0));
  EXPECT_EQ(refhost::MemblockBytes(1).front(), 1);
  refhost::PutMemblock(3, {3});
  EXPECT_EQ(PrepareMeshMemblock(1), 4);
  EXPECT_EQ(refhost::MemblockBytes(3), (std::vector<std::uint8_t>{3}));
  // The passed-over numbers stay handed out, as MBC_DynamicMake leaves them.
  EXPECT_EQ(MBC_Count(), 4);
}

TEST_F(PixelAccess, NothingBeforeBinding) {
  numbering::InitState = 0;
  host::UnbindDirectory();
  EXPECT_EQ(MakeMemblockImage(4, 4, 32), 0);
  EXPECT_EQ(PrepareMeshMemblock(2), 0);
  EXPECT_EQ(IMPlot(1, 0, 0, 1), 0);
  EXPECT_EQ(IMGetPixel(1, 0, 0), 0);
  EXPECT_EQ(numbering::HighWater, 0);
  EXPECT_EQ(refhost::MemblockCount(), 0);
}

}  // namespace
