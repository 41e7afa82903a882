// Memblocks from resources and clones: the order of host calls, numbers
// consumed when nothing was made, and what the store ends up holding.
#include "host_fixture.h"
#include "numbering/numbering_commands.h"

using namespace host;

namespace {

using MakeFrom = BoundHost;

TEST_F(MakeFrom, BitmapAsksBitmapExistsOnlyForAFreeNumber) {
  refhost::AddBitmap(4, 2, 1, {0x11223344, 0x55667788});
  auto calls = CallsOf([] { EXPECT_EQ(MBC_DynamicMakeFromBitmap(4), 1); });
  EXPECT_CALLS(calls, Mem(MemExists, {1}, 0), Bmp(BitmapExists, {4}, 1),
               Mem(MemMakeFromBitmap, {1, 4}, 0));
  const auto bytes = refhost::MemblockBytes(1);
  ASSERT_EQ(bytes.size(), 20u);
  EXPECT_EQ(bytes[12], 0x44);
  EXPECT_EQ(bytes[19], 0x55);

  refhost::PutMemblock(2, {1});
  calls = CallsOf([] { EXPECT_EQ(MBC_DynamicMakeFromBitmap(4), 2); });
  EXPECT_CALLS(calls, Mem(MemExists, {2}, 1));
}

TEST_F(MakeFrom, MissingBitmapStillConsumesTheNumber) {
  auto calls = CallsOf([] { EXPECT_EQ(MBC_DynamicMakeFromBitmap(9), 1); });
  EXPECT_CALLS(calls, Mem(MemExists, {1}, 0), Bmp(BitmapExists, {9}, 0));
  EXPECT_FALSE(refhost::MemblockExists(1));
  EXPECT_EQ(MBC_Count(), 1);
  EXPECT_EQ(MBC_DynamicMake(4), 2);
}

TEST_F(MakeFrom, ArrayImageMeshSoundCallTheirOwnSlots) {
  refhost::AddArray(1234, {1, 2, 3, 4, 5});
  refhost::AddImage(3, 1, 1, {42});
  refhost::AddMesh(8, 3);
  refhost::AddSound(6, {-1, 2});
  auto calls = CallsOf([] {
    EXPECT_EQ(MBC_DynamicMakeFromArray(1234), 1);
    EXPECT_EQ(MBC_DynamicMakeFromImage(3), 2);
    EXPECT_EQ(MBC_DynamicMakeFromMesh(8), 3);
    EXPECT_EQ(MBC_DynamicMakeFromSound(6), 4);
  });
  EXPECT_CALLS(calls, Mem(MemExists, {1}, 0), Mem(MemMakeFromArray, {1, 1234}, 0),
               Mem(MemExists, {2}, 0), Mem(MemMakeFromImage, {2, 3}, 0), Mem(MemExists, {3}, 0),
               Mem(MemMakeFromMesh, {3, 8}, 0), Mem(MemExists, {4}, 0),
               Mem(MemMakeFromSound, {4, 6}, 0));
  EXPECT_EQ(refhost::MemblockBytes(1), (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(refhost::MemblockBytes(2).size(), 16u);
  EXPECT_EQ(refhost::MemblockBytes(3).size(), 12u + 3 * 36);
  EXPECT_EQ(refhost::MemblockBytes(4).size(), 16u);
}

TEST_F(MakeFrom, TakenNumberIsReturnedWithoutCallingTheMaker) {
  refhost::PutMemblock(1, {9});
  refhost::AddImage(3, 1, 1, {42});
  auto calls = CallsOf([] { EXPECT_EQ(MBC_DynamicMakeFromImage(3), 1); });
  EXPECT_CALLS(calls, Mem(MemExists, {1}, 1));
  EXPECT_EQ(refhost::MemblockBytes(1), (std::vector<std::uint8_t>{9}));
}

TEST_F(MakeFrom, ParametersPassUncheckedToTheHost) {
  auto calls = CallsOf([] {
    EXPECT_EQ(MBC_DynamicMakeFromSound(-7), 1);
    EXPECT_EQ(MBC_DynamicMakeFromArray(0), 2);
  });
  EXPECT_CALLS(calls, Mem(MemExists, {1}, 0), Mem(MemMakeFromSound, {1, -7}, 0),
               Mem(MemExists, {2}, 0), Mem(MemMakeFromArray, {2, 0}, 0));
  EXPECT_EQ(MBC_Count(), 2);
}

TEST_F(MakeFrom, CloneCopiesEveryByteFromOffsetZero) {
  for (int i = 0; i < 6; ++i) MBC_DynamicMake(4);
  std::vector<std::uint8_t> content(100);
  for (int i = 0; i < 100; ++i) content[i] = static_cast<std::uint8_t>(i * 7);
  refhost::PutMemblock(7, content);
  auto calls = CallsOf([] { EXPECT_EQ(MBC_CloneMemblock(7), 7); });
  // 7 is the next number, and it is taken by the source itself.
  EXPECT_CALLS(calls, Mem(MemExists, {7}, 1), Mem(MemExists, {7}, 1));

  calls = CallsOf([] { EXPECT_EQ(MBC_CloneMemblock(7), 8); });
  EXPECT_CALLS(calls, Mem(MemExists, {7}, 1), Mem(MemExists, {8}, 0), Mem(MemSize, {7}, 100),
               Mem(MemMake, {8, 100}, 0), Mem(MemCopy, {7, 8, 0, 0, 100}, 0));
  EXPECT_EQ(refhost::MemblockBytes(8), content);
}

TEST_F(MakeFrom, CloneOfAMissingSourceConsumesNoNumber) {
  auto calls = CallsOf([] { EXPECT_EQ(MBC_CloneMemblock(5), 0); });
  EXPECT_CALLS(calls, Mem(MemExists, {5}, 0));
  EXPECT_EQ(MBC_Count(), 0);
  EXPECT_EQ(MBC_DynamicMake(4), 1);
}

TEST_F(MakeFrom, CloneIntoATakenNumberLeavesBothUnchanged) {
  refhost::PutMemblock(5, {1, 2, 3});
  refhost::PutMemblock(1, {9, 9});
  EXPECT_EQ(MBC_CloneMemblock(5), 1);
  EXPECT_EQ(refhost::MemblockBytes(1), (std::vector<std::uint8_t>{9, 9}));
  EXPECT_EQ(refhost::MemblockBytes(5), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST_F(MakeFrom, NothingBeforeBinding) {
  numbering::InitState = 0;
  refhost::AddBitmap(1, 1, 1, {});
  refhost::PutMemblock(3, {1});
  auto calls = CallsOf([] {
    EXPECT_EQ(MBC_DynamicMakeFromArray(1), 0);
    EXPECT_EQ(MBC_DynamicMakeFromBitmap(1), 0);
    EXPECT_EQ(MBC_DynamicMakeFromImage(1), 0);
    EXPECT_EQ(MBC_DynamicMakeFromMesh(1), 0);
    EXPECT_EQ(MBC_DynamicMakeFromSound(1), 0);
    EXPECT_EQ(MBC_CloneMemblock(3), 0);
  });
  EXPECT_TRUE(calls.empty()) << refhost::Describe(calls);
  EXPECT_EQ(numbering::HighWater, 0);
}

}  // namespace
