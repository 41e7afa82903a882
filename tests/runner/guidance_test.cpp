// What the runner tells a script author where the plug-in says nothing, run
// in-process against the target on both builds: the notes under a command's
// line (what it left undone, or did unexpectedly, and why), and the messages
// of lines that cannot run, each saying what to do next.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "refhost/runner/command_parameters.h"
#include "refhost/runner/script_runner.h"
#include "rows.h"
#include "scratch.h"
#include "target.h"

bool Says(const std::string& said, const std::string& wanted);  // in script_test.cpp

namespace {

struct Row {
  const char* name;
  std::string script;
  int status;
  // Fragments as Says takes them; "" for a run that shows no note at all.
  std::string said;
  bool notes = true;  // false: as with --no-notes
  bool bind = true;   // false: the plug-in loaded, its load hook not called
};

void PrintTo(const Row& row, std::ostream* os) {
  *os << row.name;
}

class Guidance : public ::testing::TestWithParam<Row> {};

TEST_P(Guidance, Row) {
  const Row& row = GetParam();
  const ScratchFolder scratch;
  target::Restart(row.bind);
  refhost::RunnerOptions options;
  options.scriptFolder = options.outputFolder = scratch.path().string();
  options.notes = row.notes;
  std::istringstream in(row.script);
  std::ostringstream out;
  const int status = refhost::ScriptRunner(target::Plugin(), &target::Host(), options, out).Run(in);
  const std::string said = std::regex_replace(out.str(), std::regex(" +"), " ");
  EXPECT_EQ(status, row.status) << said;
  if (row.said.empty()) {
    EXPECT_EQ(said.find("note:"), std::string::npos) << said;
  } else {
    EXPECT_TRUE(Says(said, row.said)) << said;
  }
}

const std::string kImage = "i = MBC Make Memblock Image(4, 3, 32)\n";
const std::string kShort = "memblock 61, 16\ndword 61, 0, 2\ndword 61, 4, 2\ndword 61, 8, 24\n";
const std::string kEmpty = "memblock 63, 16\ndword 63, 0, 0\ndword 63, 4, 1\ndword 63, 8, 32\n";
const std::string kFull =
    "memblock 70, 67108864\nmemblock 71, 67108864\nmemblock 72, 67108864\n"
    "memblock 73, 67108700\n";

// Notes never change the status: every row's script would pass without them.
const Row kNotes[] = {
    {"a plot outside names every edge it passes", kImage + "MBC Plot i, -1, 5, 7\n", 0,
     "note: (-1, 5) lies outside the 4x3 image, left of column 0 and below row 2: nothing "
     "plotted\n"},
    {"a read at the width", kImage + "p = MBC Get Pixel(i, 4, 0)\n", 0,
     "=> 0x00000000 [4 host calls]\n note: (4, 0) lies outside the 4x3 image, right of column 3: "
     "nothing read: 0 comes back\n"},
    {"a number below 1", "MBC Plot 0, 0, 0, 7\n", 0,
     "note: memblock numbers start at 1, not 0: nothing plotted\n"},
    {"a missing memblock", "MBC Plot 9, 0, 0, 7\n", 0,
     "note: memblock 9 does not exist: nothing plotted\n"},
    {"a memblock shorter than a header", "memblock 60, 8\nMBC Plot 60, 0, 0, 7\n", 0,
     "note: memblock 60 has 8 bytes, too few for an image's 12-byte header: nothing plotted\n"},
    {"a depth the drawing commands do not draw", kShort + "MBC Plot 61, 0, 0, 7\n", 0,
     "note: memblock 61 has depth 24, and the drawing commands draw depths 16 to 23 (2 bytes a "
     "pixel) and 32 to 39 (4 bytes) alone: nothing plotted\n"},
    {"a header claiming more pixels than its memblock holds",
     "memblock 62, 16\ndword 62, 0, 4\ndword 62, 4, 4\ndword 62, 8, 32\nMBC Plot 62, 1, 0, 7\n", 0,
     "note: the header of memblock 62 claims more pixels than its 16 bytes hold: the pixel's "
     "offset, 16, lies outside it"},
    {"a 16-bit image keeps the low 16 bits",
     "t = MBC Make Memblock Image(4, 3, 16)\nMBC Plot t, 0, 0, 0x12345\n", 0,
     "note: a 16-bit image keeps the colour's low 16 bits: 0x00012345 is stored as 0x2345\n"},
    {"a diameter below 1", kImage + "MBC Circle i, 1, 1, 0, 7, 0\n", 0,
     "note: a diameter below 1 (0): nothing drawn\n"},
    {"a fill mode neither 0 nor 1", kImage + "MBC Box i, 0, 0, 1, 1, 7, 3\n", 0,
     "note: fill mode 3 is neither 0 nor 1: nothing drawn\n"},
    {"a circle wholly outside", kImage + "MBC Circle i, 100, 1, 2, 7, 0\n", 0,
     "note: the circle round (100, 1) of diameter 2 lies wholly outside the 4x3 image: nothing "
     "drawn\n"},
    {"a circle partly outside",
     "c = MBC Make Memblock Image(96, 64, 32)\nMBC Circle c, 48, 80, 60, 7, 0\n", 0,
     "note: the circle round (48, 80) of diameter 60 reaches below row 63 of the 96x64 image: "
     "what lies outside is dropped\n"},
    {"a circle just inside", kImage + "MBC Circle i, 1, 1, 2, 7, 1\n", 0, ""},
    {"a square of size 0", kImage + "MBC Cube i, 0, 0, 0, 7, 0\n", 0,
     "note: a size below 1 (0): nothing drawn\n"},
    {"a filled square whose far corner wraps", kImage + "MBC Cube i, 2147483647, 0, 3, 7, 1\n", 0,
     "note: the far corner (X + Size - 1, Y + Size - 1) wraps past 2147483647: nothing drawn\n"},
    {"a square over two edges", kImage + "MBC Cube i, 2, 2, 3, 7, 1\n", 0,
     "note: the square's columns 2 to 4 and rows 2 to 4 reach right of column 3 and below row 2 "
     "of the 4x3 image: what lies outside is dropped\n"},
    {"an outline round the whole image", kImage + "MBC Box i, -5, -5, 10, 10, 7, 0\n", 0,
     "note: the box's columns -5 to 10 and rows -5 to 10 put none of its pixels inside the 4x3 "
     "image: nothing drawn\n"},
    {"a box with its edges the wrong way round", kImage + "MBC Box i, 3, 2, 0, 0, 7, 1\n", 0, ""},
    {"a stretch into an image of no pixel", kImage + kEmpty + "MBC Stretch Image i, 63\n", 0,
     "note: the target, memblock 63, is 0x1: it has no pixel to fill: nothing stretched\n"},
    {"a stretch into itself", kImage + "MBC Stretch Image i, i\n", 0,
     "note: a source stretched into itself is left as it is\n"},
    {"a stretch into a depth not drawn", kImage + kShort + "MBC Stretch Image i, 61\n", 0,
     "note: the target, memblock 61, has depth 24, into which no command plots: nothing "
     "stretched\n"},
    {"a stretch from a depth not read", kImage + kShort + "MBC Stretch Image 61, i\n", 0,
     "note: the source, memblock 61, has depth 24, whose pixels no command reads: the target is "
     "filled with 0\n"},
    {"a stretch to twice the size", kImage + "s = MBC Stretch Image(i, 8, 6)\n", 0,
     "note: the last column of the 8x6 target sample outside the 4x3 source (the sample rounds "
     "to its width or height, ties to even) and come out 0\n"},
    {"a stretch from a source of no column", kImage + kEmpty + "MBC Stretch Image 63, i\n", 0,
     "note: every sample falls outside the 0x1 source: the target is filled with 0\n"},
    {"a 16-bit source into a 32-bit target",
     kImage + "t = MBC Make Memblock Image(4, 3, 16)\nMBC Stretch Image t, i\n", 0,
     "note: the values move unconverted: the 32-bit target takes the 16-bit source's values as 0 "
     "to 0xFFFF, with no alpha\n"},
    {"a 32-bit source into a 16-bit target",
     kImage + "t = MBC Make Memblock Image(4, 3, 16)\nMBC Stretch Image i, t\n", 0,
     "note: the values move unconverted: the 16-bit target keeps each colour's low 16 bits\n"},
    {"a new stretch of nothing", "u = MBC Stretch Image(99, 2, 2)\n", 0,
     "note: memblock 99 does not exist: 0 comes back and no number is taken\n"},
    {"an image of no width", "z = MBC Make Memblock Image(0, 3, 32)\n", 0,
     "note: a width or height below 1 (0x3): no image is made and no number taken\n"},
    {"an image of depth 8", "y = MBC Make Memblock Image(3, 3, 8)\n", 0,
     "note: a depth below 16, 8: no image is made and no number taken (16 for 2-byte pixels, 32 "
     "for 4-byte)\n"},
    {"an image of depth 24", "x = MBC Make Memblock Image(3, 3, 24)\n", 0,
     "note: memblock 1 is an image of depth 24, 3 bytes a pixel, which no command plots or "
     "reads\n"},
    {"an image whose size wraps", "b = MBC Make Memblock Image(5000, 5000, 32)\n", 0,
     "note: 5000 x 5000 x 4 + 12 comes to 100000012 bytes in 32 bits, and the host makes "
     "memblocks of 1 byte to 64 MiB: number 1 is handed out with no memblock behind it"},
    {"a mesh whose size wraps", "q = call \"PrepareMeshMemblock\", 20000000\n", 0,
     "note: 108 x 20000000 + 16 comes to -2134967280 bytes in 32 bits"},
    {"makers in a full store",
     kFull + "d = MBC Make Memblock(1000)\ne = MBC Make Memblock Image(40, 3, 32)\n", 0,
     "note: the host made no memblock 1: it would pass what the host holds (64 MiB a memblock, "
     "256 MiB in all); the number is handed out all the same\n ... note: the host made no "
     "memblock 2: it would pass"},
    {"a make of 0 bytes", "m = MBC Make Memblock(0)\n", 0,
     "note: the host makes memblocks of 1 byte to 64 MiB, not 0 bytes: number 1 is handed out "
     "with no memblock behind it (it still counts)\n"},
    {"a make from a sound the host lacks", "m = MBC Make Memblock From Sound(3)\n", 0,
     "note: there is no sound 3: number 1 is handed out with no memblock behind it (it still "
     "counts)\n"},
    {"a make whose number names the script's own memblock",
     "memblock 1, 8\na = MBC Make Memblock(16)\n", 0,
     "note: number 1 names a memblock the script made itself (8 bytes): it is handed out with "
     "that memblock as it was: nothing is made\n"},
    {"a clone of nothing", "c = MBC Clone Memblock(5)\n", 0,
     "note: memblock 5 does not exist: nothing cloned, and no number is taken\n"},
    {"a delete of 0", "MBC Delete Memblock 0\n", 0,
     "note: numbers start at 1: nothing is deleted, and 0 comes back as the result\n"},
    {"a number deleted twice",
     "m = MBC Make Memblock(0)\nMBC Delete Memblock m\nMBC Delete Memblock m\n", 0,
     "note: there was no memblock 1 to delete; its number is taken back\n ... note: number 1 is "
     "not one the plug-in handed out (never, or taken back already), and there was no memblock "
     "to delete: the number is taken back all the same, so a later make hands it out, twice if "
     "it is taken back twice\n"},
    {"a delete of the script's own memblock", "memblock 60, 8\nMBC Delete Memblock 60\n", 0,
     "note: number 60 is not one the plug-in handed out (never, or taken back already): its "
     "memblock is deleted,"},
    {"an image passes over the script's memblock, which a delete then takes back",
     "memblock 1, 8\ni = MBC Make Memblock Image(1, 1, 32)\nMBC Delete Memblock 1\n", 0, ""},
    {"a clear leaves the numbers above the highest handed out",
     "memblock 60, 8\nmemblock 61, 8\nm = MBC Make Memblock(4)\nMBC Clear All Memblocks\n", 0,
     "note: memblock 60 and 1 more stay: the clear deletes numbers 1 up to the highest the "
     "plug-in handed out, not above\n"},
    {"before binding", "m = MBC Make Memblock(4)\n", 0,
     "=> 0 [0 host calls]\n note: the plug-in is not bound to the host: its commands return 0 "
     "and call nothing until MBC Initialized gives 1",
     true, false},
    {"in a loop, summed up with the first run's values",
     kImage + "for k = 2 to 5\n MBC Plot i, k, 0, 7\nnext\n", 0,
     "ran 4 times [18 host calls]\n note: (4, 0) lies outside the 4x3 image, right of column 3: "
     "nothing plotted (2 of its 4 runs, the first with k = 4)\n"},
    {"none with --no-notes", kImage + "MBC Plot i, -1, 5, 7\nMBC Plot 9, 0, 0, 7\n", 0, "", false},
};
INSTANTIATE_TEST_SUITE_P(Notes, Guidance, ::testing::ValuesIn(kNotes), RowName<Row>);

// Lines that cannot run, or run otherwise than their author may think: the
// message says what to do.
const Row kMessages[] = {
    {"a fraction", "v = 4.5\n", 2,
     "line 1, column 5: bad number: 4.5 (whole numbers only, in decimal digits or 0x and "
     "hexadecimal)\n"},
    {"a file name without quotes", kImage + "save i, shots/out.png\n", 2,
     "line 2, column 9: a file name stands in quotes: \"shots/out.png\"\n"},
    {"a text where a number is wanted", "a = 1\nexpect a, \"1\"\n", 2,
     "line 2, column 1: \"1\" is a text where expect takes a number or a variable: write 1 "
     "without quotes; usage: expect VALUE, WANTED\n"},
    {"a scale too large", "i = MBC Make Memblock Image(200, 2, 32)\nsave i, \"x.png\", 20\n", 2,
     "line 2: SCALE 20 makes the 200x2 image 4201x43 pixels, and a picture has at most 4096 a "
     "side: the largest SCALE that fits is 19\n"},
    {"the largest scale that fits",
     "i = MBC Make Memblock Image(200, 2, 32)\nsave i, \"x.png\", 19\n", 0,
     "saved 200x2, each pixel 19x19 in a grid, as "},
    {"a file of the parent folder", "bitmap 1, \"../x.png\"\n", 2,
     "(\"..\" leaves the folder): \"../x.png\"; a script reads files in its own folder and those "
     "below it: copy the file there\n"},
    {"a picture saved to another drive", kImage + "save i, \"C:x.png\"\n", 2,
     "a drive or stream in a file name: \"C:x.png\"; save writes below the output folder: name a "
     "file there, or give another OUTPUT_FOLDER\n"},
    {"a byte past 255 in an array", "array 1, 1, 256\n", 2,
     "line 1: an array holds bytes, 0 to 255, and byte 2 is 256: nothing kept\n"},
    {"tabs between the words of a command", "m\t=\tMBC\tMake  Memblock\t16\n", 0,
     "m = MBC Make Memblock 16 => 1"},
    {"lines ended by a CR alone", "a = 1\rprint a + 1\rprint\t\"x\"\r", 0, "^2\nx\n"},
    {"a mistake after CR-only lines", "a = 1\rprint b\r", 2,
     "line 2, column 7: unknown variable b"},
    {"nothing but comments", "\n# only a comment\n\n", 0,
     "the script holds no statement, only blank lines or comments: nothing to run\n"},
};
INSTANTIATE_TEST_SUITE_P(Messages, Guidance, ::testing::ValuesIn(kMessages), RowName<Row>);

// The help's list, read from the command table the target holds: each command
// as a script writes it, its parameters in the order the command takes them,
// and where the table's hint names them otherwise.
TEST(Help, ListsTheCommandsWithTheirParametersInTheOrderTaken) {
  target::Restart(false);
  const std::string help =
      std::regex_replace(refhost::CommandsHelp(target::Plugin()), std::regex("\\s+"), " ");
  EXPECT_TRUE(Says(help,
                   " v = MBC Initialized MBC Clear All Memblocks ... v = MBC Delete "
                   "Memblock(Memblock Number) ... v = MBC Make Memblock Image(Width, Height, "
                   "Depth) MBC Plot Memblock Number, X, Y, RGBColor ... MBC Box Memblock Number, "
                   "Left, Top, Right, Bottom, RGBColor, FillMode (the command table's hint gives "
                   "the 4th and 5th as Bottom, Right; the command takes Right, Bottom) MBC "
                   "Stretch Image Source IM, Target IM v = MBC Stretch Image(Source IM, Width, "
                   "Height)"))
      << help;
}

}  // namespace
