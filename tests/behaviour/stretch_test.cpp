// Stretching: which source pixel each target pixel samples (a marked source
// pixel (x, y) shows as "x,y", a sample outside the source as "-"), depths,
// the new image of the three-argument form, and refusals.
#include "cases.h"
#include "rows.h"

const cases::Case kStretch[] = {
    {"1/10 held as a float lies above 0.1, so 5 x 0.1 rounds up to column 1",
     "marked 50, 2, 1, 32; marked 51, 20, 1, 32", "MBC Stretch Image 50, 51",
     "pixels 51: 0,0*5 1,0*10 -*5"},
    {"a target wider than 1024 columns: 512 x 1/1024 = 0.5 rounds to 0, 1536 x 1/1024 to 2",
     "marked 50, 2, 1, 32; MBC Make Memblock Image 2048, 1, 32 => 1", "MBC Stretch Image 50, 1",
     "pixels 1: 0,0*513 1,0*1023 -*512"},
    {"1,100 columns are worked out 512 at a time, the last 76 too, and no more are sampled",
     "marked 50, 2, 1, 32; MBC Make Memblock Image 1100, 1, 32 => 1", "MBC Stretch Image 50, 1",
     "MemExists(50) -> 1; MemExists(1) -> 1 ... MemReadDword(1, 8) -> 32; "
     "MemWriteDword(1, 4408, 0) -> 0",
     "MBC Get Pixel 1, 824, 0 => 0x1010"},
    {"both headers first, then a read and a plot for each target pixel",
     "marked 50, 1, 1, 32; marked 51, 2, 1, 32", "MBC Stretch Image 50, 51",
     "MemExists(50) -> 1; MemExists(51) -> 1; MemReadDword(50, 0) -> 1; MemReadDword(50, 4) -> 1; "
     "MemReadDword(50, 8) -> 32; MemReadDword(51, 0) -> 2; MemReadDword(51, 4) -> 1; "
     "MemReadDword(51, 8) -> 32; MemExists(50) -> 1; MemReadDword(50, 0) -> 1 ... "
     "MemReadDword(51, 8) -> 32; MemWriteDword(51, 16, 4096) -> 0"},
    {"an empty target samples nothing: only the two headers are read",
     "marked 50, 2, 2, 32; marked 51, 1, 1, 32; dword 51, 0, 0", "MBC Stretch Image 50, 51",
     "MemExists(50) -> 1; MemExists(51) -> 1 ... MemReadDword(51, 8) -> 32"},
    {"a source of no width samples outside itself everywhere",
     "marked 50, 2, 2, 32; dword 50, 0, 0; MBC Make Memblock Image 3, 2, 32 => 1; "
     "MBC Box 1, 0, 0, 2, 1, 7, 1",
     "MBC Stretch Image 50, 1", "pixels 1: -*3 / -*3"},
    {"a 2-byte value moves unchanged into a 4-byte target",
     "marked 50, 2, 1, 16; dword 50, 12, 0xBEEF; marked 51, 1, 1, 32", "MBC Stretch Image 50, 51",
     "pixels 51: 0xBEEF"},
    {"a missing target is asked about after the source", "marked 50, 2, 2, 32",
     "MBC Stretch Image 50, 9", "MemExists(50) -> 1; MemExists(9) -> 0"},
    {"a missing source is the only question", "marked 50, 2, 2, 32", "MBC Stretch Image 9, 50",
     "MemExists(9) -> 0"},
    {"numbers below 1 are not asked about", "MBC Stretch Image 0, 50", "MBC Stretch Image 50, -1",
     ""},
    {"the new image has the source's depth: 8 x 8 x 2 + 12 = 140 bytes", "marked 50, 4, 4, 16",
     "MBC Stretch Image 50, 8, 8 => 1",
     "MemExists(50) -> 1; MemReadDword(50, 8) -> 16; MemExists(1) -> 0; MemMake(1, 140) -> 0; "
     "MemWriteDword(1, 0, 8) -> 0; MemWriteDword(1, 4, 8) -> 0; MemWriteDword(1, 8, 16) -> 0; "
     "MemExists(50) -> 1; MemExists(1) -> 1; MemReadDword(50, 0) -> 4 ..."},
    {"a new image one row high is stretched into too", "marked 50, 2, 2, 32",
     "MBC Stretch Image 50, 3, 1 => 1", "pixels 1: 0,0 1,0*2"},
    {"a missing source: no depth read, no image", "", "MBC Stretch Image 7, 8, 8 => 0",
     "MemExists(7) -> 0"},
    {"a source below 1: nothing asked", "", "MBC Stretch Image 0, 8, 8 => 0", ""},
    {"a width the maker refuses: no image, no number", "marked 50, 4, 4, 32",
     "MBC Stretch Image 50, 0, 8 => 0", "MemExists(50) -> 1; MemReadDword(50, 8) -> 32",
     "MBC Stretch Image 50, 8, -1 => 0; MBC Exist Memblock Count => 0"},
    {"a source depth the maker refuses: number 0 is asked about", "marked 50, 2, 2, 8",
     "MBC Stretch Image 50, 8, 8 => 0",
     "MemExists(50) -> 1; MemReadDword(50, 8) -> 8; MemExists(50) -> 1; MemExists(0) -> 0"},
    {"3 bytes a pixel: a new image whose pixels stay as the host made them", "marked 50, 2, 2, 24",
     "MBC Stretch Image 50, 3, 3 => 1", "pixels 1: -*3 / -*3 / -*3", "dword 1, 8 => 24"},
};

CASE_ROWS(Stretch, kStretch);
