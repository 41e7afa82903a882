// Circles, squares and boxes: which pixels each plot sets and in what order,
// clipping, the shapes that draw nothing, and coordinates at the ends of the
// 32-bit range. What the shapes look like as a whole is in the pictures of
// docs/commands.md, checked by tests/docs/reference_test.cpp.
#include "cases.h"
#include "rows.h"

#define IMAGE_8 "MBC Make Memblock Image 8, 8, 32 => 1"
#define IMAGE_32 "MBC Make Memblock Image 32, 32, 32 => 1"
#define IMAGE_64 "MBC Make Memblock Image 64, 64, 32 => 1"
#define NOTHING(name, probe, calls) \
  { name, IMAGE_8, probe, calls }
#define BOX_OUTLINE "16 plots: 2,3 2,6 3,3 3,6 4,3 4,6 5,3 5,6 2,3 5,3 2,4 5,4 2,5 5,5 2,6 5,6"

const cases::Case kShapes[] = {
    {"the first sample of an odd diameter ties to the even column: 12.5 gives 12", IMAGE_32,
     "MBC Circle 1, 10, 20, 5, 7, 0", "361 plots: 12,20 ..."},
    {"filled, diameter 4: rings of radius 2 and 1, then the centre", IMAGE_64,
     "MBC Circle 1, 31, 40, 4, 7, 1", "723 plots: 33,40 ... 31,40"},
    {"filled, diameter 5: radii 2.5, 1.5 and 0.5, then the centre", IMAGE_64,
     "MBC Circle 1, 31, 40, 5, 7, 1", "1084 plots: 34,40 ... 32,40 31,40*361"},
    {"samples beyond the 32-bit range fall outside", IMAGE_8,
     "MBC Circle 1, 2147483647, 2147483647, 2147483647, 7, 0", "361 plots: -*361"},
    {"a square's outline, step by step: top, left, bottom, right", IMAGE_32,
     "MBC Cube 1, 10, 20, 3, 7, 0",
     "12 plots: 10,20*2 10,22 12,20 11,20 10,21 11,22 12,21 12,20 10,22 12,22*2"},
    {"a square of size 2 is all corners", IMAGE_8, "MBC Cube 1, 1, 1, 2, 7, 0",
     "8 plots: 1,1*2 1,2 2,1*2 1,2 2,2*2"},
    {"a filled square of size 2 plots each pixel once", IMAGE_8, "MBC Cube 1, 1, 1, 2, 7, 1",
     "4 plots: 1,1 1,2 2,1 2,2"},
    {"a filled square, column by column", IMAGE_32, "MBC Cube 1, 10, 20, 3, 7, 1",
     "9 plots: 10,20 10,21 10,22 11,20 11,21 11,22 12,20 12,21 12,22"},
    {"a filled square whose far column wraps draws nothing", IMAGE_8,
     "MBC Cube 1, 2147483646, 0, 4, 7, 1", "MemExists(1) -> 1"},
    {"an outline walks its wrapping points, each clipped", IMAGE_8,
     "MBC Cube 1, 2147483646, 2147483646, 4, 7, 0", "16 plots: -*16"},
    {"a box's outline: top and bottom along the columns, then left and right; the fourth "
     "argument is the right column, the fifth the bottom row",
     IMAGE_8, "MBC Box 1, 2, 3, 5, 6, 7, 0", BOX_OUTLINE},
    {"an outline given right to left and bottom to top", IMAGE_8, "MBC Box 1, 5, 6, 2, 3, 7, 0",
     BOX_OUTLINE},
    {"a filled box, column by column, given right to left and bottom to top", IMAGE_8,
     "MBC Box 1, 5, 6, 2, 3, 7, 1",
     "16 plots: 2,3 2,4 2,5 2,6 3,3 3,4 3,5 3,6 4,3 4,4 4,5 4,6 5,3 5,4 5,5 5,6"},
    {"a filled box at the right end of the range", IMAGE_8,
     "MBC Box 1, 2147483645, 0, 2147483647, 1, 7, 1", "6 plots: -*6"},
    {"columns given right first at the start of the range", IMAGE_8,
     "MBC Box 1, -2147483647, -2147483648, -2147483648, -2147483648, 7, 0", "6 plots: -*6"},
    // Nothing is drawn for a fill mode below 0 or a missing memblock (the
    // examples draw nothing for the other bad sizes and fill modes).
    NOTHING("a square with fill mode -1", "MBC Cube 1, 4, 4, 3, 7, -1", "MemExists(1) -> 1"),
    NOTHING("a circle with fill mode -1", "MBC Circle 1, 4, 4, 5, 7, -1", "MemExists(1) -> 1"),
    NOTHING("a circle in a missing memblock", "MBC Circle 2, 4, 4, 5, 7, 0", "MemExists(2) -> 0"),
    NOTHING("a square in memblock 0", "MBC Cube 0, 1, 1, 3, 7, 1", ""),
};

CASE_ROWS(Shapes, kShapes);
