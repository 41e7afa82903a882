// Image and mesh memblocks and single pixels: sizes, headers, offsets,
// depths, refusals and hostile arguments.
#include "cases.h"
#include "rows.h"

#define IMAGE_4x3 "MBC Make Memblock Image 4, 3, 32 => 1"

const cases::Case kImages[] = {
    {"the typical request: 64 x 32 x 32 is 8204 bytes", "",
     "MBC Make Memblock Image 64, 32, 32 => 1",
     "MemExists(1) -> 0; MemMake(1, 8204) -> 0; MemWriteDword(1, 0, 64) -> 0; "
     "MemWriteDword(1, 4, 32) -> 0; MemWriteDword(1, 8, 32) -> 0"},
    {"the typical plot: (5, 5) lands at 1312", "MBC Make Memblock Image 64, 32, 32 => 1",
     "MBC Plot 1, 5, 5, 0xFF8040", "MemExists(1) -> 1 ... MemWriteDword(1, 1312, 16744512) -> 0"},
    {"INT_MAX cubed with INT_MAX / 8 bytes a pixel wraps to 268435467", "",
     "MBC Make Memblock Image 2147483647, 2147483647, 2147483647 => 1",
     "MemExists(1) -> 0; MemMake(1, 268435467) -> 0 ..."},
    {"sizes below 1 and depths below 16 are refused, taking no number",
     "MBC Make Memblock Image 0, 3, 32 => 0; MBC Make Memblock Image 4, 0, 32 => 0; "
     "MBC Make Memblock Image -2147483648, -2147483648, -2147483648 => 0",
     "MBC Make Memblock Image 4, 3, 15 => 0", "", "MBC Exist Memblock Count => 0"},
    {"plots on and just off every edge",
     IMAGE_4x3 "; MBC Plot 1, -2147483648, -2147483648, 9; MBC Plot 1, 2147483647, 0, 9",
     "MBC Box 1, -1, -1, 4, 3, 9, 1",
     "30 plots: -*6 0,0 0,1 0,2 -*2 1,0 1,1 1,2 -*2 2,0 2,1 2,2 -*2 3,0 3,1 3,2 -*6"},
    {"2 bytes a pixel: the whole colour goes to the word write",
     "MBC Make Memblock Image 4, 3, 16 => 1", "MBC Plot 1, 1, 2, 0x7FFF1234",
     "MemExists(1) -> 1 ... MemReadDword(1, 8) -> 16; MemWriteWord(1, 30, 2147422772) -> 0",
     "MBC Get Pixel 1, 1, 2 => 0x1234"},
    {"depth 23 is still 2 bytes a pixel", "MBC Make Memblock Image 2, 2, 23 => 1",
     "MBC Plot 1, 1, 1, 0xABCD",
     "MemExists(1) -> 1 ... MemReadDword(1, 8) -> 23; MemWriteWord(1, 18, 43981) -> 0",
     "MBC Get Pixel 1, 1, 1 => 0xABCD"},
    {"depth 39 is still 4 bytes a pixel", "MBC Make Memblock Image 2, 2, 39 => 1",
     "MBC Get Pixel 1, 1, 1 => 0",
     "MemExists(1) -> 1 ... MemReadDword(1, 8) -> 39; MemReadDword(1, 24) -> 0"},
    {"3 bytes a pixel are neither plotted nor read",
     "MBC Make Memblock Image 2, 2, 24 => 1; MBC Plot 1, 1, 1, -1", "MBC Get Pixel 1, 1, 1 => 0",
     "MemExists(1) -> 1 ... MemReadDword(1, 4) -> 2; MemReadDword(1, 8) -> 24", "dword 1, 20 => 0"},
    {"a header that lies sends a wrapped offset: 1 x 4 + INT_MAX x 4 + 12 is 12",
     "memblock 2, 16; dword 2, 0, 2147483647; dword 2, 4, 2147483647; dword 2, 8, 32",
     "MBC Plot 2, 1, 1, 5",
     "MemExists(2) -> 1 ... MemReadDword(2, 8) -> 32; MemWriteDword(2, 12, 5) -> 0"},
    {"the mesh header, 108 x 2 + 16 bytes", "", "call \"PrepareMeshMemblock\", 2 => 1",
     "MemExists(1) -> 0; MemMake(1, 232) -> 0; MemWriteDword(1, 0, 338) -> 0; "
     "MemWriteDword(1, 4, 36) -> 0; MemWriteDword(1, 8, 2) -> 0"},
    // The makers pass over the script's own memblocks (no header lands in
    // one), 65,537 numbers at most.
    {"a header is never written into the script's own memblock: 65,536 of them are passed over",
     "made 1, 65536; dword 1, 0, 77", "MBC Make Memblock Image 1, 1, 32 => 65537",
     "MemExists(1) -> 1 ... MemWriteDword(65537, 8, 32) -> 0",
     "dword 1, 0 => 77; MBC Exist Memblock Count => 65537"},
    {"after 65,537 the maker gives up", "made 1, 65537", "MBC Make Memblock Image 1, 1, 32 => 0",
     "MemExists(1) -> 1 ... MemExists(65537) -> 1", "MBC Exist Memblock Count => 65537"},
    {"so does the mesh maker", "made 1, 65537", "call \"PrepareMeshMemblock\", 2 => 0",
     "MemExists(1) -> 1 ... MemExists(65537) -> 1"},
};

CASE_ROWS(Images, kImages);
