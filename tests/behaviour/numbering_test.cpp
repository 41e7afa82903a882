// Numbering, memblocks from resources and clones: the numbers handed out, the
// host calls made, and what is left in the host.
#include "cases.h"
#include "rows.h"

#define MAKE "MBC Make Memblock 8 => "
#define DELETE "; MBC Delete Memblock "
#define COUNT "; MBC Exist Memblock Count => "

const cases::Case kNumbering[] = {
    {"a make takes the next number and makes its memblock", MAKE "1, 2, 3",
     "MBC Make Memblock 100 => 4", "MemExists(4) -> 0; MemMake(4, 100) -> 0",
     "dword 4, 96 => 0" COUNT "4"},
    {"a number the script made itself is handed out, its memblock as it was", "memblock 1, 3",
     "MBC Make Memblock 100 => 1", "MemExists(1) -> 1"},
    {"delete deletes the memblock", MAKE "1, 2, 3", "MBC Delete Memblock 2 => 0",
     "MemExists(2) -> 1; MemDelete(2) -> 0", COUNT "2; " MAKE "2, 4"},
    {"deleting the top lowers it, with no cascading: 2 stays free below a deleted top 3",
     MAKE "1, 2, 3" DELETE "2 => 0" DELETE "3 => 0" COUNT "1", "MBC Make Memblock 8 => 2",
     "MemExists(2) -> 0; MemMake(2, 8) -> 0", MAKE "3" COUNT "3"},
    {"numbers taken back in any order, above the top too, come out smallest first; the count "
     "can go negative",
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
     "dword 9, 0 => 0" COUNT "0; " MAKE "1"},
    {"the unload hook leaves memblocks and numbers as they were", MAKE "1, 2, 3" DELETE "2 => 0",
     "call \"Destructor\" => 0", "", COUNT "2; dword 3, 4 => 0; " MAKE "2, 4"},
    // Memblocks from resources, and clones.
    {"from a missing bitmap: the number is used all the same", "",
     "MBC Make Memblock From Bitmap 9 => 1", "MemExists(1) -> 0; BitmapExists(9) -> 0",
     "MBC Exist Memblock Count => 1; MBC Make Memblock 4 => 2"},
    {"from a bitmap under a taken number: the bitmap is not asked", "bitmap 4, 2, 1; memblock 1, 1",
     "MBC Make Memblock From Bitmap 4 => 1", "MemExists(1) -> 1"},
    {"from a sound, the parameter passed on unchecked", "", "MBC Make Memblock From Sound -7 => 1",
     "MemExists(1) -> 0; MemMakeFromSound(1, -7) -> 0"},
    {"make from mesh: the host's slot 6, once the number is found free", "mesh 3, 2",
     "MBC Make Memblock From Mesh 3 => 1", "MemExists(1) -> 0; MemMakeFromMesh(1, 3) -> 0"},
    {"clone into a taken number leaves both memblocks", "memblock 5, 8; memblock 1, 4",
     "MBC Clone Memblock 5 => 1", "MemExists(5) -> 1; MemExists(1) -> 1"},
};

CASE_ROWS(Numbering, kNumbering);
