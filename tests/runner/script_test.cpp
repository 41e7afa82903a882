// The reference host's script runner, run in-process against the target on
// both builds: its messages, how it shows colours, the scripts Windows
// editors save, the output folder, PNG files in, the golden-image loop and its
// guard, file names that would leave their folder, and the command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <regex>
#include <sstream>

#include "refhost/runner/command_line.h"
#include "refhost/runner/png_file.h"
#include "refhost/runner/script_runner.h"
#include "rows.h"
#include "scratch.h"
#include "target.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

// Whether `said` holds the fragments of `wanted`, separated by " ... ", in
// that order; a leading "^" holds the first to the start. program_test.cpp
// checks what the runner program says with it too.
bool Says(const std::string& said, const std::string& wanted) {
  const bool anchored = wanted.rfind('^', 0) == 0;
  std::size_t from = 0;
  for (std::size_t at = anchored, gap; at <= wanted.size(); at = gap + 5) {
    gap = std::min(wanted.find(" ... ", at), wanted.size());
    const std::size_t found = said.find(wanted.substr(at, gap - at), from);
    if (found == std::string::npos || (at == 1 && anchored && found != 0)) return false;
    from = found + gap - at;
  }
  return true;
}

namespace {

enum Flags { kTrace = 1, kUpdateGolden = 2 };

struct Row {
  const char* name;
  std::string script;  // its bytes as a file holds them
  int status;
  // Fragments as Says takes them, with "{root}" as in Paths.
  std::string said;
  int flags = 0;
  const char* output = "out";  // the output folder, below the test's own
};

// A fresh folder for each test, holding "in" for the script's PNG files and
// "out" for what it writes.
class Script : public ::testing::Test {
 protected:
  Script() {
    for (const char* folder : {"in", "out"}) fs::create_directories(root_ / folder);
  }

  // `text` with "{root}" spelled as the runner spells the full path of the
  // test's folder, ending in a separator; in a text that names it, every "/"
  // is the system's separator.
  std::string Paths(std::string text) const {
    if (text.find("{root}") == std::string::npos) return text;
    std::replace(text.begin(), text.end(), '/', static_cast<char>(fs::path::preferred_separator));
    const fs::path root = (fs::absolute(root_) / "").lexically_normal().make_preferred();
    return std::regex_replace(text, std::regex("\\{root\\}"), root.string());
  }

  // Runs the row's script on a freshly bound plug-in: its status, and what
  // it said (every run of blanks shown as one).
  void Check(const Row& row) {
    target::Restart(true);
    refhost::RunnerOptions options;
    options.scriptFolder = (root_ / "in").string();
    options.outputFolder = (root_ / row.output).string();
    options.trace = row.flags & kTrace;
    options.updateGolden = row.flags & kUpdateGolden;
    std::istringstream in(row.script);
    std::ostringstream out;
    const int status =
        refhost::ScriptRunner(target::Plugin(), &target::Host(), options, out).Run(in);
    const std::string said = std::regex_replace(out.str(), std::regex(" +"), " ");
    EXPECT_TRUE(status == row.status && Says(said, Paths(row.said)))
        << row.name << ": status " << status << "\n"
        << said;
  }

  // Every file and folder below the test's folder, sorted.
  std::vector<std::string> Below() const {
    std::vector<std::string> below;
    for (const auto& entry : fs::recursive_directory_iterator(root_))
      below.push_back(entry.path().lexically_relative(root_).generic_string());
    std::sort(below.begin(), below.end());
    return below;
  }

  const ScratchFolder scratch_;
  const fs::path root_ = scratch_.path();
};

// What a line says when it runs, and what it says when it cannot: what was
// wrong and, where there is one, what to do. Each row a test, ScriptSays.Row/<its name>.
std::vector<Row> SaysRows() {
  const std::string save = "i = MBC Make Memblock Image(1, 1, 32)\nsave i, ";
  const std::string windows = "n = MBC Make Memblock(16)\r\nexpect n, 1\r\nprint \"done\"";
  std::string utf16 = "\xFF\xFE";  // `windows` as UTF-16, little-endian, with its mark
  for (char c : windows) utf16 += {c, '\0'};
  const Row rows[] = {
      // Lines that cannot be run. A typo of a command reaches the same
      // message whether or not its result is kept.
      {"a command's typo", "img = MBC Make Memblok Image(4, 4, 32)\n", 2,
       "line 1, column 7: unknown command: MBC Make Memblok Image(4, 4, 32); "
       "did you mean \"MBC Make Memblock Image\"?\n"},
      {"a directive's typo", "expcet 1, 1\n", 2,
       "line 1, column 1: unknown command or directive: expcet 1, 1; did you mean \"expect\"?\n"},
      {"nothing near", "v = frobnicate 1\n", 2,
       "line 1, column 5: unknown command or directive: frobnicate 1\n"},
      {"arguments without commas", "MBC Box i 0 0 3 3 7 1\n", 2,
       "line 1, column 9: \"i 0 0 3 3 7 1\" is not one value: arguments are separated by commas\n"},
      {"a number too large", "MBC Plot 1, 0, 0, 0x1FFFFFFFF\n", 2,
       "line 1, column 19: number out of range: 0x1FFFFFFFF (numbers run from -2147483648 to "
       "4294967295, "
       "or 0xFFFFFFFF)\n"},
      {"not a number", "MBC Plot 1, 0, 0, 12z\n", 2,
       "line 1, column 19: bad number: 12z (decimal digits, or 0x and hexadecimal digits)\n"},
      {"no closing bracket", "MBC Plot(1, 0, 0, 7\n", 2,
       "line 1, column 20: missing \")\": the \"(\" after MBC Plot is never closed\n"},
      {"an export's typo", "call \"PrepareMeshMemblok\", 2\n", 2,
       "line 1, column 6: the plug-in has no export PrepareMeshMemblok; did you mean "
       "PrepareMeshMemblock?\n"},
      {"a control byte", "MBC Plot\x01 1\n", 2,
       "line 1, column 1: unknown command: MBC Plot\\x01 1"},
      {"too few arguments", "MBC Box 1, 0, 0, 3, 3, 7\n", 2,
       "line 1, column 1: MBC Box takes 7 arguments (Memblock Number, Left, Top, Right, Bottom, "
       "RGBColor, FillMode), not 6; the command table's hint gives the 4th and 5th as Bottom, "
       "Right; the command takes Right, Bottom\n"},
      {"two rows of one name", "MBC Stretch Image 1\n", 2,
       "line 1, column 1: MBC Stretch Image takes 2 arguments (Source IM, Target IM) or 3 "
       "(Source IM, "
       "Width, Height), not 1\n"},
      {"text for a number", "MBC Plot \"a\", 1, 2, 3\n", 2,
       "line 1, column 10: \"a\" where a number belongs (MBC Plot takes Memblock Number, X, Y, "
       "RGBColor)\n"},
      {"no result to keep", "v = MBC Plot 1, 0, 0, 7\n", 2,
       "line 1, column 5: MBC Plot returns no value to keep\n"},
      {"no value from a directive", "v = print 1\n", 2,
       "line 1, column 5: print gives no value to keep\n"},
      {"a variable's typo", "img = 1\nprint imh\n", 2,
       "line 2, column 7: unknown variable imh; did you mean img?\n"},
      {"a variable never made", "print nothing\n", 2,
       "line 1, column 7: unknown variable nothing (a variable is made by \"NAME = ...\")\n"},
      // Names of up to 64 characters are looked for, longer ones not.
      {"a typo in a name of 64 characters",
       std::string(63, 'v') + "a = 1\nprint " + std::string(63, 'v') + "b\n", 2,
       "b; did you mean " + std::string(63, 'v') + "a?\n"},
      {"a typo in a name of 65 characters",
       std::string(64, 'v') + "a = 1\nprint " + std::string(64, 'v') + "b\n", 2,
       "b (a variable is made by"},
      {"a golden file that is no PNG file",
       "i = MBC Make Memblock Image(1, 1, 32)\n"
       "expect_image i, \"s.mbc\"\n",
       2, "line 2, column 1: a golden file is a PNG file, named NAME.png: \"s.mbc\"\n"},
      {"saving no memblock", "save 7, \"x.png\"\n", 2, "line 1: memblock 7 does not exist\n"},
      {"reading no memblock", "v = dword 9, 0\n", 2, "line 1: memblock 9 does not exist\n"},
      {"reading past a memblock", "memblock 2, 16\nv = dword 2, 13\n", 2,
       "line 2: memblock 2 has 16 bytes: its dwords lie at offsets 0 to 12, not 13\n"},
      {"dwords at the far end of the largest memblock, and one shorter than a header",
       "memblock 1, 67108864\ndword 1, 67108860, 0x11223344\nv = dword 1, 67108860\n"
       "w = dword 1, 67108856\nprint v, w\nmemblock 2, 7\ndword 2, 3, 9\nshow 2\n",
       0, "0x11223344 0x00000000\n ... memblock 2: 7 bytes, first dwords 150994944\n"},
      {"saving no image", "memblock 2, 8\nsave 2, \"x.png\"\n", 2,
       "line 2: memblock 2 is not an image to save: shorter than an image header\n"},
      {"a make the host made nothing for, and a clone of nothing",
       "big = MBC Make Memblock Image(5000, 5000, 32)\nc = MBC Clone Memblock(5)\n", 0,
       "=> 1 [5 host calls]\n note: 5000 x 5000 x 4 + 12 comes to 100000012 bytes in 32 bits, "
       "and the host makes memblocks of 1 byte to 64 MiB: number 1 is handed out with no memblock "
       "behind it, and its header went nowhere\n c = MBC Clone Memblock(5) => 0 [1 host call]\n"
       " note: memblock 5 does not exist: nothing cloned, and no number is taken\n"},
      {"the load hook", "call \"?Constructor@@YAXXZ\"\n", 2,
       "line 1, column 6: the runner calls the load hook ?Constructor@@YAXXZ before line 1 and the "
       "unload "
       "hook Destructor after the last line, as the host does; a script does not call them (MBC "
       "Initialized retries the binding)\n"},
      {"the unload hook", "call \"Destructor\"\n", 2,
       "line 1, column 6: the runner calls the load hook"},
      {"a mesh with no room", "mesh 1, 2000000000\n", 2, "^line 1: the host has no room for it"},
      // PNG files that cannot be read, named by their full path with the
      // reason (one that is no PNG file at all is in the golden loop).
      {"a missing PNG file", "bitmap 1, \"nope.png\"\n", 2,
       "line 1: {root}in/nope.png cannot be read: No such file or directory\n"},
      {"a folder for a PNG file", "bitmap 1, \"sub\"\n", 2,
       "line 1: {root}in/sub cannot be read: it is a folder\n"},
      {"a PNG file cut short", "bitmap 1, \"short.png\"\n", 2,
       "^line 1: {root}in/short.png is damaged or cut short"},
      {"a PNG file too large", "image 1, \"huge.png\"\n", 2,
       "^line 1: {root}in/huge.png is 1000000x1; sides run from 1 to 4096"},
      // The output folder: made with the folders above it, or the run refused
      // before line 1; and files that cannot be written there.
      {"an output folder made", save + "\"a/b.png\"\n", 0,
       "^output folder {root}made/deeper made\n i = MBC", 0, "made/deeper"},
      {"an output folder below a file", save + "\"b.png\"\n", 3,
       "^no output folder: the folder {root}file/below cannot be made: ", 0, "file/below"},
      {"an output folder named to end in a blank", save + "\"b.png\"\n", 3,
       "^no output folder: the folder {root}a /out cannot be made: the folder name \"a \" ends in "
       "a blank or a dot, which Windows drops; name it without\n",
       0, "a /out"},
      {"a file on the way", save + "\"file/b.png\"\n", 2,
       "line 2: {root}file/b.png cannot be written: {root}file is a file, not a folder\n", 0, "."},
      {"a folder in the way", save + "\"d.png\"\n", 2,
       "line 2: {root}out/d.png cannot be written: "},
      // Colours and pixels in hexadecimal whatever their size (as 0x and eight
      // digits): a pixel read, a number written in hexadecimal, a dword at a
      // pixel's offset; other values in decimal whatever theirs, a variable
      // set anew taking the kind of its new value.
      {"colours and other values",
       "i = MBC Make Memblock Image(2, 1, 32)\nMBC Plot i, 0, 0, -1\nw = MBC Get Pixel(i, 0, "
       "0)\nexpect w, -2\nprint w, i\nv = dword i, 12\n"
       "h = dword i, 8\nprint v, h\ndword i, 16, 0xFF\nc = 0x10\nexpect 3, c\n"
       "c = -2147483648\nexpect c, 3\n",
       1,
       "w = MBC Get Pixel(i, 0, 0) => 0xFFFFFFFF [ ... expect w, -2 FAILED: got 0xFFFFFFFF, "
       "wanted 0xFFFFFFFE\n ... 0xFFFFFFFF 1\n ... dword i, 12 read 0xFFFFFFFF\n ... dword i, 8 "
       "read 32\n ... 0xFFFFFFFF 32\n ... dword i, 16, 0xFF wrote 0x000000FF\n ... FAILED: got "
       "0x00000003, wanted 0x00000010\n ... FAILED: got -2147483648, wanted 3\n"},
      {"the trace, pixel writes and reads in it",
       "i = MBC Make Memblock Image(2, 1, 32)\nMBC Plot i, 0, 0, 0xFF00FF00\n"
       "p = MBC Get Pixel(i, 0, 0)\nt = MBC Make Memblock Image(1, 1, 16)\nMBC Plot t, 0, 0, 7\n",
       0,
       "^ i = MBC Make Memblock Image(2, 1, 32)\n MemExists(1) -> 0\n MemMake(1, 20) -> 0\n ... "
       " MemWriteDword(1, 8, 32) -> 0\n => 1 [5 host calls]\n ... MemReadDword(1, 8) -> 32\n"
       " ... MemWriteDword(1, 12, 0xFF00FF00) -> 0\n ... MemReadDword(1, 12) -> 0xFF00FF00\n"
       " ... MemWriteWord(2, 12, 0x00000007) -> 0\n",
       kTrace},
      // Scripts as Windows editors save them; a script that is not text runs
      // no line at all.
      {"UTF-8 with its mark, CR LF", "\xEF\xBB\xBF" + windows, 0, "expect n, 1 ok\ndone\n"},
      {"UTF-16 little-endian, CR LF", utf16, 0, "expect n, 1 ok\ndone\n"},
      {"a DEL and a character beyond 16 bits, shown as bytes",
       "\xFF\xFEp\0r\0i\0n\0t\0 \0\"\0\x7F\0\x3D\xD8\x00\xDE\"\0"s, 0,
       "\\x7F\\xF0\\x9F\\x98\\x80\n"},
      {"a NUL", "print 1\nprint \"a\0b\"\n"s, 2,
       "^line 2, column 9: a NUL byte; a script is text (one saved as UTF-16 needs its "
       "byte-order mark)\n"},
      {"Windows-1252", "# caf\xC3\xA9\nprint \"\xC3\xA9\xE9\"\n", 2,
       "^line 2, column 9: byte 0xE9 is not UTF-8; save the script as UTF-8 (or as UTF-16 with "
       "its byte-order mark)\n"},
      {"a lone UTF-16 surrogate, big-endian", "\xFE\xFF\0p\0\n\xD8\x00\0p"s, 2,
       "^line 2, column 1: a UTF-16 surrogate 0xD800 without its other half; the script's "
       "UTF-16 is damaged\n"},
      {"half a UTF-16 character", "\xFF\xFEp\0r\0i"s, 2,
       "^line 1, column 3: the UTF-16 script ends in half a character\n"},
  };
  return {std::begin(rows), std::end(rows)};
}

// The files and folders some of those rows read or run into.
class ScriptSays : public Script, public ::testing::WithParamInterface<Row> {
 protected:
  ScriptSays() {
    const std::string header = "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR"s;
    std::ofstream(root_ / "in/short.png", std::ios::binary)
        << header + "\0\0\0\x09\0\0\0\x09\x08\x02\0\0\0"s;  // 9x9, then nothing
    std::ofstream(root_ / "in/huge.png", std::ios::binary)
        << header + "\0\x0F\x42\x40\0\0\0\x01\x08\x02\0\0\0"s;  // 1000000x1
    std::ofstream(root_ / "file") << "x";
    fs::create_directories(root_ / "in/sub");
    fs::create_directories(root_ / "out/d.png");
  }
};

TEST_P(ScriptSays, Row) {
  Check(GetParam());
}

INSTANTIATE_TEST_SUITE_P(, ScriptSays, ::testing::ValuesIn(SaysRows()), RowName<Row>);

// Four of the largest memblocks fill the host's store exactly; a byte more is
// refused, and nothing is kept of it.
TEST_F(Script, AFullStoreRefusesAByteMoreAndKeepsNothingOfIt) {
  Check({"a full store",
         "memblock 1, 67108864\nmemblock 2, 67108864\nmemblock 3, 67108864\n"
         "memblock 4, 67108864\nmemblock 9, 1\n",
         2, "line 5: the host has no room for it"});
  EXPECT_EQ(target::Host().Numbers(), (std::vector<std::int32_t>{1, 2, 3, 4}));
}

// A PNG file's size and pixels (without alpha), as "WxH rrggbb ...".
std::string Pixels(const fs::path& file) {
  int width = 0, height = 0;
  std::vector<std::int32_t> pixels;
  std::string error;
  EXPECT_TRUE(refhost::ReadPng(file.string(), 128, &width, &height, &pixels, &error)) << error;
  std::ostringstream shown;
  shown << width << "x" << height << std::hex << std::setfill('0');
  for (std::int32_t pixel : pixels) shown << " " << std::setw(6) << (pixel & 0xFFFFFF);
  return shown.str();
}

// The golden loop as a script author lives it: a golden taken with
// --update-golden, a plain run that passes, a size that changed, a failure
// that shows where and writes what differs, a refresh; with the script's own
// folder as the output folder no save over a golden file, even one before
// the line that names it (so every line is looked at before line 1), in any
// letter case; a golden not made yet, or damaged.
TEST_F(Script, TheGoldenLoop) {
  const std::string red =
      "i = MBC Make Memblock Image(4, 2, 32)\nMBC Box i, 0, 0, 3, 1, 0xFFFF0000, 1\n";
  // Two pixels changed, the first left of the second; the alpha of the
  // second is not compared.
  const std::string changed = red + "MBC Plot i, 2, 0, 0x123456\nMBC Plot i, 1, 1, 0x80FFFFFF\n";
  const std::string expect = "expect_image i, \"sub/g.png\"\n";
  std::ofstream(root_ / "in/bad.png") << "not a picture";
  const Row steps[] = {
      {"taken", red + expect, 0,
       "golden file written (it was missing): {root}in/sub/g.png\n ... 1 golden file written:\n",
       kUpdateGolden},
      {"held", red + expect, 0, "expect_image i, \"sub/g.png\" ok\n"},
      {"resized", "i = MBC Make Memblock Image(5, 2, 32)\n" + expect, 1,
       "FAILED: the image is 5x2, the golden file 4x2 ({root}in/sub/g.png)\n ... "
       " the image is in {root}out/sub/g.actual.png\n"},
      {"broken", changed + expect, 1,
       "FAILED: 2 pixels of 8 differ from {root}in/sub/g.png, all within (1, 0) to (2, 1)\n ... "
       " the first at (2, 0): the image has 0x123456, the golden file 0xFF0000\n ... "
       " the image is in {root}out/sub/g.actual.png, the differences in magenta in "
       "{root}out/sub/g.diff.png\n ... 1 expectation failed\n"},
      {"refreshed", changed + expect, 0,
       "golden file written (2 pixels of 8 differ): {root}in/sub/g.png\n", kUpdateGolden},
      {"saved over before, in capitals", changed + "save i, \"SUB/G.png\"\n" + expect, 2,
       "line 5: {root}in/SUB/G.png is the golden file that expect_image on line 6 compares with, "
       "and "
       "the runner never writes over a golden file: use another name or output folder "
       "(--update-golden writes golden files)\n",
       0, "in"},
      {"saved over what the script reads",
       changed + "bitmap 1, \"sub/g.png\"\nsave i, \"SUB/G.png\"\n", 2,
       "line 6: {root}in/SUB/G.png is the PNG file that bitmap on line 5 reads, and the runner "
       "never writes over a file the script reads: use another name or output folder\n",
       0, "in"},
      {"not made yet", red + "expect_image i, \"new.PNG\"\n", 1,
       "FAILED: the golden file {root}in/new.PNG does not exist yet\n ... "
       " the image is in {root}out/new.actual.png; --update-golden takes it as the golden file\n"},
      {"damaged", red + "expect_image i, \"bad.png\"\n", 2,
       "line 3: {root}in/bad.png is not a PNG file; --update-golden writes it anew from the "
       "image\n"},
      {"damaged, refreshed", red + "expect_image i, \"bad.png\"\n", 0,
       "golden file written (the old one could not be read): {root}in/bad.png\n", kUpdateGolden},
      // The refresh removed what "broken" wrote; the red picture against
      // the refreshed golden writes it anew, enlarged too.
      {"broken again", red + expect, 1,
       "FAILED: 2 pixels of 8 differ ... both also enlarged 16 times, with a grid, as "
       "{root}out/sub/g.actual.enlarged.png and {root}out/sub/g.diff.enlarged.png\n"},
  };
  for (const Row& step : steps) Check(step);
  // The script's folder holds the golden files alone: nothing else is ever
  // written there.
  EXPECT_EQ(Below(),
            (std::vector<std::string>{
                "in", "in/bad.png", "in/sub", "in/sub/g.png", "out", "out/new.actual.enlarged.png",
                "out/new.actual.png", "out/sub", "out/sub/g.actual.enlarged.png",
                "out/sub/g.actual.png", "out/sub/g.diff.enlarged.png", "out/sub/g.diff.png"}));
  // What the failure wrote: the image as the memblock holds it, and the
  // differences in magenta over the golden faded three quarters of the way
  // to white; the refreshed golden, which no save wrote over; the pictures
  // enlarged 16 times with a grid line between pixels and round the edge.
  const std::string broken = "4x2 ff0000 ff0000 123456 ff0000 ff0000 ffffff ff0000 ff0000";
  EXPECT_EQ(Pixels(root_ / "out/sub/g.actual.png"),
            "4x2 ff0000 ff0000 ff0000 ff0000 ff0000 "
            "ff0000 ff0000 ff0000");
  EXPECT_EQ(Pixels(root_ / "out/sub/g.diff.enlarged.png").substr(0, 6), "69x35 ");
  EXPECT_EQ(Pixels(root_ / "out/sub/g.diff.png"),
            "4x2 ffc0c0 ffc0c0 ff00ff ffc0c0 ffc0c0 ff00ff ffc0c0 ffc0c0");
  EXPECT_EQ(Pixels(root_ / "in/sub/g.png"), broken);
}

// Each refused, and nothing written anywhere, by save or by a golden
// refreshed.
TEST_F(Script, FileNamesStayBelowTheirFolder) {
  std::istringstream names("../x|..\\x|/x|\\x|C:x|a//x|... /x|NUL|con.png|Com1.x|lpt9||a/x/");
  for (std::string name; std::getline(names, name, '|');) {
    for (const char* directive : {"save", "expect_image"}) {
      Check({name.c_str(),
             "i = MBC Make Memblock Image(1, 1, 32)\n"s + directive + " i, \"" + name + "\"\n", 2,
             "^line 2, column 1: ", kUpdateGolden});
    }
  }
  EXPECT_EQ(Below(), (std::vector<std::string>{"in", "out"}));
}

// The command line as command-line tools take theirs: options anywhere,
// "--name=VALUE" or "--name VALUE", "--" ending them. ("-h", and an option
// without its value, are in program_test.cpp, which runs the program with them.)
// Each row a test named after its arguments, CommandLine.Reads/<arguments>.
struct CommandLineRow {
  const char* args;    // separated by blanks
  const char* wanted;  // what was read, or "error: ..."
};

std::vector<CommandLineRow> CommandLineRows() {
  const CommandLineRow rows[] = {
      {"--trace a.mbc --update-golden out",
       "script a.mbc, output out, limits 100000000 and 1000000000, lines 10000000, trace, update"},
      {"--max-host-calls 1 a.mbc --max-lines=2",
       "script a.mbc, output ., limits 1 and 1000000000, lines 2"},
      {"a.mbc --max-host-calls=18446744073709551615",
       "script a.mbc, output ., limits 18446744073709551615 and 1000000000, lines 10000000"},
      {"a.mbc --help --bogus", "error: unknown option --bogus"},
      {"-- --trace", "script --trace, output ., limits 100000000 and 1000000000, lines 10000000"},
      {"-", "script -, output ., limits 100000000 and 1000000000, lines 10000000"},
      {"", "error: no SCRIPT given"},
      {"a b c", "error: one SCRIPT and one OUTPUT_FOLDER at most; \"c\" is one too many"},
      {"a.mbc --max-run-host-calls 9",
       "script a.mbc, output ., limits 100000000 and 9, lines 10000000"},
      {"--max-run-host-calls=0 a.mbc",
       "error: --max-run-host-calls takes a count of at least 1, not \"0\""},
      {"--max-host-calls 0 a.mbc",
       "error: --max-host-calls takes a count of at least 1, not \"0\""},
      {"--max-host-calls=18446744073709551616 a",
       "error: --max-host-calls takes a count of at least 1, not \"18446744073709551616\""},
      {"--max-lines 0 a", "error: --max-lines takes a count of at least 1, not \"0\""},
      {"--trace=yes a.mbc", "error: --trace takes no value"},
      {"--trac a.mbc", "error: unknown option --trac; did you mean --trace?"},
      // Help as Windows and Unix programs are asked for it; a word that only
      // starts like one is an operand.
      {"/?", "help"},
      {"-?", "help"},
      {"/HELP a.mbc", "help"},
      {"a.mbc /helpme",
       "script a.mbc, output /helpme, limits 100000000 and 1000000000, lines "
       "10000000"},
      {"-- /?", "script /?, output ., limits 100000000 and 1000000000, lines 10000000"},
      {"--no-notes a.mbc",
       "script a.mbc, output ., limits 100000000 and 1000000000, lines 10000000, no notes"},
      // A suite's options refused before any script runs.
      {"--junit results.txt a",
       "error: --junit takes a file whose name ends in .xml, not \"results.txt\""},
      {"--junit=.xml a", "error: --junit takes a file whose name ends in .xml, not \".xml\""},
      {"--diff-scale 65 a", "error: --diff-scale takes a whole number from 1 to 64, not \"65\""},
  };
  return {std::begin(rows), std::end(rows)};
}

class CommandLine : public ::testing::TestWithParam<CommandLineRow> {};

TEST_P(CommandLine, Reads) {
  std::istringstream in(GetParam().args);
  refhost::CommandLine line;
  const refhost::RunnerOptions& o = line.options;
  std::string error;
  const bool read = refhost::ParseCommandLine(
      std::vector<std::string>(std::istream_iterator<std::string>(in), {}), &line, &error);
  const std::string options =
      line.script.empty()
          ? ""
          : "script " + line.script + ", output " + o.outputFolder + ", limits " +
                std::to_string(o.maxHostCalls) + " and " + std::to_string(o.maxRunHostCalls) +
                ", lines " + std::to_string(o.maxLines) + (o.trace ? ", trace" : "") +
                (o.updateGolden ? ", update" : "") + (o.notes ? "" : ", no notes");
  const std::string help = line.help ? (options.empty() ? "help" : ", help") : "";
  EXPECT_EQ(!read ? "error: " + error : options + help, GetParam().wanted);
}

// Named after the arguments: "--" as end_of_options, "-" as dash, none as
// no_arguments.
std::string ArgumentsName(const ::testing::TestParamInfo<CommandLineRow>& info) {
  std::istringstream in(info.param.args);
  std::string name;
  for (std::string word; in >> word;) {
    name += (name.empty() ? "" : "_") + (word == "--"   ? "end_of_options"
                                         : word == "-"  ? "dash"
                                         : word == "/?" ? "slash_question_mark"
                                         : word == "-?" ? "dash_question_mark"
                                                        : TestName(word));
  }
  return name.empty() ? "no_arguments" : name;
}

INSTANTIATE_TEST_SUITE_P(, CommandLine, ::testing::ValuesIn(CommandLineRows()), ArgumentsName);

}  // namespace
