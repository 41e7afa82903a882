// Numbering, memblocks from resources and clones: the numbers handed out, the
// host calls made, and what is left in the host.
#include <gtest/gtest.h>

#include "target.h"

namespace {

using cases::Case;

#define MAKE "MBC Make Memblock 8 => "
#define DELETE "; MBC Delete Memblock "
#define COUNT "; MBC Exist Memblock Count => "

const Case kNumbering[] = {
    {"a make takes the next number and makes its memblock", MAKE "1, 2, 3",
     "MBC Make Memblock 100 => 4", "MemExists(4) -> 0; MemMake(4, 100) -> 0",
     "v = dword 4, 96 => 0" COUNT "4"},
    {"a number the script made itself is handed out, its memblock as it was", "memblock 1, 3",
     "MBC Make Memblock 100 => 1", "MemExists(1) -> 1"},
    {"the number is handed out whatever the size, made or not", "MBC Make Memblock 0 => 1",
     "MBC Make Memblock -5 => 2", "MemExists(2) -> 0; MemMake(2, -5) -> 0", COUNT "2; " MAKE "3"},
    {"delete deletes the memblock", MAKE "1, 2, 3", "MBC Delete Memblock 2 => 0",
     "MemExists(2) -> 1; MemDelete(2) -> 0", COUNT "2; " MAKE "2, 4"},
    {"deleting the top lowers it", MAKE "1, 2, 3" DELETE "3 => 0", "MBC Make Memblock 8 => 3",
     "MemExists(3) -> 0; MemMake(3, 8) -> 0", COUNT "3"},
    {"no cascading: 2 stays free below a deleted top 3",
     MAKE "1, 2, 3" DELETE "2 => 0" DELETE "3 => 0" COUNT "1", "MBC Make Memblock 8 => 2",
     "MemExists(2) -> 0; MemMake(2, 8) -> 0", MAKE "3" COUNT "3"},
    {"numbers taken back in any order come out smallest first",
     MAKE "1, 2, 3, 4, 5, 6, 7, 8, 9, 10" DELETE "5 => 0" DELETE "9 => 0" DELETE "7 => 0",
     "MBC Make Memblock 8 => 5", "MemExists(5) -> 0; MemMake(5, 8) -> 0", MAKE "7, 9, 11"},
    {"numbers above the top are taken back too, and the count can go negative",
     MAKE "1, 2, 3" DELETE "50 => 0" DELETE "80 => 0" DELETE "60 => 0" DELETE "70 => 0" COUNT "-1",
     "MBC Make Memblock 8 => 50", "MemExists(50) -> 0; MemMake(50, 8) -> 0", MAKE "60, 70, 80, 4"},
    {"a number taken back twice is handed out twice",
     MAKE "1, 2, 3, 4, 5, 6, 7, 8, 9, 10" DELETE "9 => 0" DELETE "7 => 0" DELETE "5 => 0",
     "MBC Delete Memblock 7 => 0", "MemExists(7) -> 0", MAKE "7, 5, 7, 9, 11"},
    {"numbers below 1 come back unchanged, with no host call",
     MAKE "1" DELETE "0 => 0" DELETE "-2147483648 => -2147483648", "MBC Delete Memblock -4 => -4",
     "", COUNT "1"},
    {"clear deletes every memblock from the top down to 1, the script's own among them",
     MAKE "1, 2, 3" DELETE "2 => 0; memblock 2, 1; memblock 9, 4", "MBC Clear All Memblocks",
     "MemExists(3) -> 1; MemDelete(3) -> 0; MemExists(2) -> 1; MemDelete(2) -> 0; "
     "MemExists(1) -> 1; MemDelete(1) -> 0",
     "v = dword 9, 0 => 0" COUNT "0; " MAKE "1"},
    {"clear from nothing calls nothing and forgets the numbers taken back",
     "MBC Delete Memblock 5 => 0", "MBC Clear All Memblocks", "", MAKE "1" COUNT "1"},
    {"the unload hook leaves memblocks and numbers as they were", MAKE "1, 2, 3" DELETE "2 => 0",
     "call \"Destructor\" => 0", "", COUNT "2; v = dword 3, 4 => 0; " MAKE "2, 4"},
    // Memblocks from resources, and clones.
    {"from a bitmap that exists", "bitmap 4, 2, 1, 7", "MBC Make Memblock From Bitmap 4 => 1",
     "MemExists(1) -> 0; BitmapExists(4) -> 1; MemMakeFromBitmap(1, 4) -> 0",
     "v = dword 1, 0 => 2; v = dword 1, 16 => 7"},
    {"from a missing bitmap: the number is used all the same", "",
     "MBC Make Memblock From Bitmap 9 => 1", "MemExists(1) -> 0; BitmapExists(9) -> 0",
     "MBC Exist Memblock Count => 1; MBC Make Memblock 4 => 2"},
    {"from a bitmap under a taken number: the bitmap is not asked", "bitmap 4, 2, 1; memblock 1, 1",
     "MBC Make Memblock From Bitmap 4 => 1", "MemExists(1) -> 1"},
    {"from an array", "array 1234, 1, 2, 3", "MBC Make Memblock From Array 1234 => 1",
     "MemExists(1) -> 0; MemMakeFromArray(1, 1234) -> 0"},
    {"from an image", "image 3, 1, 1, 42", "MBC Make Memblock From Image 3 => 1",
     "MemExists(1) -> 0; MemMakeFromImage(1, 3) -> 0", "v = dword 1, 12 => 42"},
    {"from a mesh, through the host's slot 6", "mesh 8, 3", "MBC Make Memblock From Mesh 8 => 1",
     "MemExists(1) -> 0; MemMakeFromMesh(1, 8) -> 0", "v = dword 1, 0 => 338"},
    {"from a sound, the parameter passed on unchecked", "", "MBC Make Memblock From Sound -7 => 1",
     "MemExists(1) -> 0; MemMakeFromSound(1, -7) -> 0"},
    {"clone copies every byte from offset 0 to offset 0",
     "memblock 7, 100; dword 7, 96, 0x55AA1234", "MBC Clone Memblock 7 => 1",
     "MemExists(7) -> 1; MemExists(1) -> 0; MemSize(7) -> 100; MemMake(1, 100) -> 0; "
     "MemCopy(7, 1, 0, 0, 100) -> 0",
     "v = dword 1, 96 => 0x55AA1234"},
    {"clone of a missing memblock takes no number", "", "MBC Clone Memblock 5 => 0",
     "MemExists(5) -> 0", "MBC Make Memblock 8 => 1"},
    {"clone into a taken number leaves both memblocks", "memblock 5, 8; memblock 1, 4",
     "MBC Clone Memblock 5 => 1", "MemExists(5) -> 1; MemExists(1) -> 1"},
};

TEST(Numbering, Cases) {
  for (const Case& c : kNumbering) EXPECT_EQ(cases::Check(c), "") << c.name;
}

}  // namespace
