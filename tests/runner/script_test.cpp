// The reference host's script runner, run in-process against the target on
// both builds: its messages, how it shows colours, the scripts Windows
// editors save, the golden-image loop and its guard, the output folder, PNG
// files in and out, file names that would leave their folder, and the
// command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "refhost/runner/command_line.h"
#include "refhost/runner/png_file.h"
#include "refhost/runner/script_runner.h"
#include "target.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

struct Options {
  bool trace = false;
  bool updateGolden = false;
  bool outputIsScriptFolder = false;
};

struct Row {
  const char* name;
  std::string script;
  int status;
  std::string said;  // fragments in order, separated by " ... "; "{in}" and "{out}" as in Paths
  Options options = {};
};

// Two fresh folders for each test: "in" for the script's PNG files, "out"
// for what it writes.
class Script : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / "mbc_script_tests" /
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(root_);
    fs::create_directories(root_ / "in");
    fs::create_directories(root_ / "out");
  }
  fs::path In() const { return root_ / "in"; }
  fs::path Out() const { return root_ / "out"; }

  // Runs `script` (its bytes as a file holds them) on a freshly bound
  // plug-in; the transcript with every run of blanks shown as one.
  int Run(const std::string& script, Options o = {}, const std::string& output = "") {
    target::Restart(true);
    refhost::RunnerOptions options;
    options.scriptFolder = In().string();
    options.outputFolder = !output.empty()          ? output
                           : o.outputIsScriptFolder ? In().string()
                                                    : Out().string();
    options.trace = o.trace;
    options.updateGolden = o.updateGolden;
    std::istringstream in(script);
    std::ostringstream out;
    const int status =
        refhost::ScriptRunner(target::Plugin(), &target::Host(), options, out).Run(in);
    transcript_ = std::regex_replace(out.str(), std::regex(" +"), " ");
    return status;
  }

  // `text` with "{in}", "{out}" and "{root}" spelled as the runner spells the
  // full paths of the folders (ending in a separator), and "/" after them as
  // the system's separator.
  std::string Paths(std::string text) const {
    const std::string separator(1, fs::path::preferred_separator);
    for (const auto& [mark, folder] :
         {std::pair{"{in}", In()}, {"{out}", Out()}, {"{root}", root_}}) {
      const std::string full = fs::absolute(folder).lexically_normal().make_preferred().string();
      for (std::size_t at; (at = text.find(mark)) != std::string::npos;) {
        std::size_t end = at + std::string(mark).size();
        // The path's own separators up to the next blank.
        std::string rest = text.substr(end, text.find_first_of(" ;,\n)", end) - end);
        for (char& c : rest) c = c == '/' ? separator[0] : c;
        text.replace(at, end - at + rest.size(), full + separator + rest);
      }
    }
    return text;
  }

  // Every fragment of `said` (separated by " ... "), with Paths applied, is in
  // the transcript, in this order.
  void ExpectSaid(const std::string& said, const std::string& row) {
    std::size_t from = 0;
    std::vector<std::string> fragments;
    for (std::size_t at = 0, gap; at <= said.size(); at = gap + 5) {
      gap = std::min(said.find(" ... ", at), said.size());
      fragments.push_back(said.substr(at, gap - at));
    }
    for (const std::string& fragment : fragments) {
      const std::size_t at = transcript_.find(Paths(fragment), from);
      EXPECT_NE(at, std::string::npos) << row << ": missing\n"
                                       << Paths(fragment) << "\nin\n"
                                       << transcript_;
      if (at != std::string::npos) from = at + Paths(fragment).size();
    }
  }

  // Runs the row's script: its status, and what it said.
  void Check(const Row& row) {
    EXPECT_EQ(Run(row.script, row.options), row.status) << row.name << "\n" << transcript_;
    ExpectSaid(row.said, row.name);
  }

  std::vector<std::string> FilesBelow(const fs::path& folder) const {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      if (entry.is_regular_file())
        files.push_back(entry.path().lexically_relative(folder).generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
  }

  fs::path root_;
  std::string transcript_;
};

TEST_F(Script, TracePrintsEveryHostCallUnderItsCommand) {
  EXPECT_EQ(Run("i = MBC Make Memblock Image(2, 1, 32)\n", {true}), 0);
  EXPECT_EQ(transcript_,
            " i = MBC Make Memblock Image(2, 1, 32)\n MemExists(1) -> 0\n MemMake(1, 20) -> 0\n"
            " MemWriteDword(1, 0, 2) -> 0\n MemWriteDword(1, 4, 1) -> 0\n"
            " MemWriteDword(1, 8, 32) -> 0\n => 1 [5 host calls]\n");
}

// Every refusal says what was wrong and, where there is one, what to do.
TEST_F(Script, SaysWhatWentWrongAndWhatToDo) {
  const Row rows[] = {
      {"a typo after =", "img = MBC Make Memblok Image(4, 4, 32)\n", 2,
       "line 1: unknown command: MBC Make Memblok Image(4, 4, 32); "
       "did you mean \"MBC Make Memblock Image\"?\n"},
      {"a typo without =", "MBC Plott 1, 2, 3, 4\n", 2,
       "line 1: unknown command: MBC Plott 1, 2, 3, 4; did you mean \"MBC Plot\"?\n"},
      {"a directive's typo", "expcet 1, 1\n", 2,
       "line 1: unknown command or directive: expcet 1, 1; did you mean \"expect\"?\n"},
      {"nothing near", "frobnicate 1\n", 2, "line 1: unknown command or directive: frobnicate 1\n"},
      {"arguments without commas", "MBC Box i 0 0 3 3 7 1\n", 2,
       "line 1: \"i 0 0 3 3 7 1\" is not one value: arguments are separated by commas\n"},
      {"a number too large", "MBC Plot 1, 0, 0, 0x1FFFFFFFF\n", 2,
       "line 1: number out of range: 0x1FFFFFFFF (numbers run from -2147483648 to 4294967295, "
       "or 0xFFFFFFFF)\n"},
      {"not a number", "MBC Plot 1, 0, 0, 12z\n", 2, "line 1: bad number: 12z (numbers run"},
      {"an expression", "p = MBC Get Pixel(1, 0, 0) + 1\n", 2,
       "line 1: \"+ 1\" after \")\": a line holds one command, and a script has no "
       "expressions\n"},
      {"no closing bracket", "MBC Plot(1, 0, 0, 7\n", 2, "line 1: missing \")\"\n"},
      {"an export's typo", "call \"PrepareMeshMemblok\", 2\n", 2,
       "line 1: the plug-in has no export PrepareMeshMemblok; did you mean "
       "PrepareMeshMemblock?\n"},
      {"a control byte", "MBC Plot\x01 1\n", 2, "line 1: unknown command: MBC Plot\\x01 1"},
      {"too few arguments", "MBC Box 1, 0, 0, 3, 3, 7\n", 2,
       "line 1: MBC Box takes 7 arguments (Memblock Number, Left, Top, Bottom, Right, RGBColor, "
       "FillMode), not 6\n"},
      {"two rows of one name", "MBC Stretch Image 1\n", 2,
       "line 1: MBC Stretch Image takes 2 arguments (Source IM, Target IM) or 3 (Source IM, "
       "Width, Height), not 1\n"},
      {"text for a number", "MBC Plot \"a\", 1, 2, 3\n", 2,
       "line 1: \"a\" where a number belongs (MBC Plot takes Memblock Number, X, Y, RGBColor)\n"},
      {"no result to keep", "v = MBC Plot 1, 0, 0, 7\n", 2,
       "line 1: MBC Plot returns no value to keep\n"},
      {"no value from a directive", "v = print 1\n", 2, "line 1: print gives no value to keep\n"},
      {"a variable's typo", "img = 1\nprint imh\n", 2,
       "line 2: unknown variable imh; did you mean img?\n"},
      {"a variable never made", "print nothing\n", 2,
       "line 1: unknown variable nothing (a variable is made by \"NAME = ...\")\n"},
      {"saving no memblock", "save 7, \"x.png\"\n", 2, "line 1: memblock 7 does not exist\n"},
      {"reading no memblock", "v = dword 9, 0\n", 2, "line 1: memblock 9 does not exist\n"},
      {"reading past a memblock", "memblock 2, 16\nv = dword 2, 13\n", 2,
       "line 2: memblock 2 has 16 bytes: its dwords lie at offsets 0 to 12, not 13\n"},
      {"saving no image", "memblock 2, 8\nsave 2, \"x.png\"\n", 2,
       "line 2: memblock 2 is not an image to save: shorter than an image header\n"},
      {"a make the host made nothing for", "big = MBC Make Memblock Image(5000, 5000, 32)\n", 0,
       "=> 1, but the host has no memblock 1 [5 host calls]\n"},
      {"a clone of nothing", "c = MBC Clone Memblock(5)\n", 0, "c = MBC Clone Memblock(5) => 0 ["},
      {"the load hook", "call \"?Constructor@@YAXXZ\"\n", 2,
       "line 1: the runner calls the load hook ?Constructor@@YAXXZ before line 1 and the unload "
       "hook Destructor after the last line, as the host does; a script does not call them (MBC "
       "Initialized retries the binding)\n"},
      {"a missing PNG file", "bitmap 1, \"nope.png\"\n", 2,
       "line 1: {in}nope.png cannot be read: No such file or directory\n"},
      {"a folder for a PNG file", "bitmap 1, \"sub\"\n", 2,
       "line 1: {in}sub cannot be read: it is a folder\n"},
      {"texts shown as bytes", "print \"\x7f\xC3\xA9\"\n", 0, "\\x7F\\xC3\\xA9\n"},
  };
  fs::create_directories(In() / "sub");
  for (const Row& row : rows) Check(row);
}

// Colours and pixels in hexadecimal whatever their size (as 0x and eight
// digits), other values in decimal whatever theirs.
TEST_F(Script, ShowsColoursAndPixelsInHex) {
  const std::string white = "i = MBC Make Memblock Image(2, 1, 32)\nMBC Plot i, 0, 0, -1\n";
  const Row rows[] = {
      {"a pixel read, compared and printed",
       white + "w = MBC Get Pixel(i, 0, 0)\nexpect w, 0xFFFFFFFE\nprint w, i\n", 1,
       "w = MBC Get Pixel(i, 0, 0) => 0xFFFFFFFF ["
       " ... "
       "expect w, 0xFFFFFFFE FAILED: got 0xFFFFFFFF, wanted 0xFFFFFFFE\n"
       " ... "
       "0xFFFFFFFF 1\n"},
      {"a black pixel is a colour too", white + "b = MBC Get Pixel(i, 1, 0)\nexpect b, 5\n", 1,
       "=> 0x00000000 ["
       " ... "
       "FAILED: got 0x00000000, wanted 0x00000005\n"},
      {"a 16-bit pixel",
       "t = MBC Make Memblock Image(1, 1, 16)\nMBC Plot t, 0, 0, -1\np = MBC Get Pixel(t, 0, 0)\n",
       0, "=> 0x0000FFFF ["},
      {"a number written in hexadecimal", "c = 0x10\nexpect 3, c\nexpect 3, 16\n", 1,
       "FAILED: got 0x00000003, wanted 0x00000010\n"
       " ... "
       "FAILED: got 3, wanted 16\n"},
      {"large and negative plain numbers", "n = MBC Delete Memblock(-2147483648)\nexpect n, 5\n", 1,
       "=> -2147483648 ["
       " ... "
       "FAILED: got -2147483648, wanted 5\n"},
      {"dwords at pixel offsets",
       white + "v = dword i, 12\nh = dword i, 8\nprint v, h\ndword i, 16, 0xFF\n", 0,
       "dword i, 12 read 0xFFFFFFFF\n"
       " ... "
       "dword i, 8 read 32\n"
       " ... "
       "0xFFFFFFFF 32\n"
       " ... "
       "dword i, 16, 0xFF wrote 0x000000FF\n"},
      {"pixel writes and reads in the trace",
       "i = MBC Make Memblock Image(1, 1, 32)\nMBC Plot i, 0, 0, 0xFF00FF00\n"
       "p = MBC Get Pixel(i, 0, 0)\nt = MBC Make Memblock Image(1, 1, 16)\nMBC Plot t, 0, 0, 7\n",
       0,
       "MemReadDword(1, 8) -> 32\n"
       " ... "
       "MemWriteDword(1, 12, 0xFF00FF00) -> 0\n"
       " ... "
       "MemReadDword(1, 12) -> 0xFF00FF00\n"
       " ... "
       "MemReadDword(2, 8) -> 16\n"
       " ... "
       "MemWriteWord(2, 12, 0x00000007) -> 0\n",
       {true}},
  };
  for (const Row& row : rows) Check(row);
}

// `text` (ASCII) as UTF-16 with its byte-order mark.
std::string Utf16(const std::string& text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : text) bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  return bytes;
}

TEST_F(Script, ReadsScriptsAsWindowsEditorsSaveThem) {
  const std::string script = "n = MBC Make Memblock(16)\r\nexpect n, 1\r\nprint \"done\"";
  const Row rows[] = {
      {"UTF-8 with its mark, CR LF", "\xEF\xBB\xBF" + script, 0, "expect n, 1 ok\ndone\n"},
      {"UTF-16 little-endian, CR LF", Utf16(script, false), 0, "expect n, 1 ok\ndone\n"},
      {"UTF-16 big-endian, LF", Utf16("n = MBC Make Memblock(16)\nexpect n, 1\n", true), 0,
       "expect n, 1 ok\n"},
      {"a character beyond 16 bits", "\xFF\xFEp\0r\0i\0n\0t\0 \0\"\0\x3D\xD8\x00\xDE\"\0"s, 0,
       "\\xF0\\x9F\\x98\\x80\n"},
      {"a NUL", "print 1\nprint \"a\0b\"\n"s, 2,
       "line 2, column 9: a NUL byte; a script is text (one saved as UTF-16 needs its byte-order "
       "mark)\n"},
      {"Windows-1252", "# caf\xC3\xA9\nprint \"\xC3\xA9\xE9\"\n", 2,
       "line 2, column 9: byte 0xE9 is not UTF-8; save the script as UTF-8 (or as UTF-16 with "
       "its byte-order mark)\n"},
      {"a lone UTF-16 surrogate",
       "\xFF\xFE"
       "a\0\n\0\x00\xD8"
       "b\0"s,
       2,
       "line 2, column 1: a UTF-16 surrogate 0xD800 without its other half; the script's UTF-16 "
       "is damaged\n"},
      {"half a UTF-16 character",
       "\xFF\xFE"
       "a\0b\0c"s,
       2, "line 1, column 3: the UTF-16 script ends in half a character\n"},
  };
  for (const Row& row : rows) {
    Check(row);
    // Nothing runs before the whole script has been read.
    if (row.status == 2) {
      EXPECT_EQ(transcript_.rfind("line ", 0), 0u) << row.name;
    }
  }
}

// The golden loop as a script author lives it: a golden taken with
// --update-golden, a plain run that passes, a failure that shows where and
// writes what differs, a refresh, a size that changed, a golden not made yet.
TEST_F(Script, TheGoldenLoop) {
  const std::string red =
      "i = MBC Make Memblock Image(4, 3, 32)\nMBC Box i, 0, 0, 3, 2, 0xFFFF0000, 1\n";
  const std::string changed = red + "MBC Plot i, 1, 0, 0x00FF00\nMBC Plot i, 3, 2, 0x0000FF\n";
  const std::string expect = "expect_image i, \"sub/g.png\"\n";
  const Options update{false, true};
  const Row steps[] = {
      {"taken", red + expect, 0,
       "golden file written (it was missing): {in}sub/g.png\n"
       " ... "
       "1 golden file written:\n",
       update},
      {"held", red + expect, 0, "expect_image i, \"sub/g.png\" ok\n"},
      {"broken", changed + expect, 1,
       "FAILED: 2 pixels of 12 differ from {in}sub/g.png, all within (1, 0) to (3, 2)\n"
       " ... "
       " the first at (1, 0): the image has 0x00FF00, the golden file 0xFF0000\n"
       " ... "
       " the image is in {out}sub/g.actual.png, the differences in magenta in "
       "{out}sub/g.diff.png\n"
       " ... "
       "1 expectation failed\n"},
      {"refreshed", changed + expect, 0,
       "golden file written (2 pixels of 12 differ): {in}sub/g.png\n", update},
      {"held anew", changed + expect, 0, " ok\n"},
      {"resized", "i = MBC Make Memblock Image(5, 3, 32)\n" + expect, 1,
       "FAILED: the image is 5x3, the golden file 4x3 ({in}sub/g.png)\n"
       " ... "
       " the image is in {out}sub/g.actual.png\n"},
      {"not made yet", red + "expect_image i, \"new.PNG\"\n", 1,
       "FAILED: the golden file {in}new.PNG does not exist yet\n"
       " ... "
       " the image is in {out}new.actual.png; --update-golden takes it as the golden file\n"},
      {"damaged", red + "expect_image i, \"bad.png\"\n", 2,
       "line 3: {in}bad.png is not a PNG file\n"},
      {"damaged, refreshed", red + "expect_image i, \"bad.png\"\n", 0,
       "golden file written (the old one could not be read): {in}bad.png\n", update},
  };
  for (const Row& step : steps) {
    if (std::string(step.name) == "damaged") std::ofstream(In() / "bad.png") << "not a picture";
    Check(step);
    // The script's folder holds the golden files alone: nothing else is ever written there.
    for (const std::string& file : FilesBelow(In())) {
      EXPECT_TRUE(file == "sub/g.png" || file == "bad.png") << step.name << ": " << file;
    }
  }
  EXPECT_EQ(FilesBelow(Out()),
            (std::vector<std::string>{"new.actual.png", "sub/g.actual.png", "sub/g.diff.png"}));
}

// The pixels of what a failing expect_image writes: the image as the
// memblock holds it, and the differences in magenta over the golden faded a
// quarter of the way from white.
TEST_F(Script, AFailingGoldenWritesTheImageAndItsDifferences) {
  const std::string box =
      "i = MBC Make Memblock Image(3, 2, 32)\nMBC Box i, 0, 0, 2, 1, 0xFF0000, 1\n";
  ASSERT_EQ(Run(box + "expect_image i, \"g.png\"\n", {false, true}), 0) << transcript_;
  ASSERT_EQ(Run(box + "MBC Plot i, 2, 0, 0x123456\nMBC Plot i, 0, 1, 0x80FFFFFF\n"
                      "expect_image i, \"g.png\"\n"),
            1)
      << transcript_;
  const auto pixels = [](const fs::path& file) {
    int width = 0, height = 0;
    std::vector<std::int32_t> read;
    std::string error;
    EXPECT_TRUE(refhost::ReadPng(file.string(), 64, &width, &height, &read, &error)) << error;
    std::vector<std::uint32_t> rgb;
    for (std::int32_t p : read) rgb.push_back(static_cast<std::uint32_t>(p) & 0xFFFFFF);
    return std::to_string(width) + "x" + std::to_string(height) + ::testing::PrintToString(rgb);
  };
  EXPECT_EQ(pixels(Out() / "g.actual.png"),
            "3x2" + ::testing::PrintToString(std::vector<std::uint32_t>{
                        0xFF0000, 0xFF0000, 0x123456, 0xFFFFFF, 0xFF0000, 0xFF0000}));
  EXPECT_EQ(pixels(Out() / "g.diff.png"),
            "3x2" + ::testing::PrintToString(std::vector<std::uint32_t>{
                        0xFFC0C0, 0xFFC0C0, 0xFF00FF, 0xFF00FF, 0xFFC0C0, 0xFFC0C0}));
  EXPECT_EQ(pixels(In() / "g.png"),
            "3x2" + ::testing::PrintToString(std::vector<std::uint32_t>(6, 0xFF0000)));
}

// With the output folder the script's own, save never writes over a golden
// file of the script, whichever line comes first, in any letter case.
TEST_F(Script, NoGoldenIsWrittenOver) {
  const std::string image = "i = MBC Make Memblock Image(2, 2, 32)\n";
  const Options same{false, false, true};
  const Row rows[] = {
      {"save before the comparison", image + "save i, \"g.png\"\nexpect_image i, \"g.png\"\n", 2,
       "line 2: {in}g.png is the golden file that expect_image on line 3 compares with, and the "
       "runner never writes over a golden file: use another name or output folder "
       "(--update-golden writes golden files)\n",
       same},
      {"after it, in capitals",
       image + "expect_image i, \"sub/g.png\"\nsave i, \"SUB/G.png\"\n",
       2,
       "line 3: {in}SUB/G.png is the golden file that expect_image on line 2 compares with",
       {false, true, true}},
      {"another name", image + "save i, \"h.png\"\nprint \"saved\"\n", 0, "saved\n", same},
  };
  for (const Row& row : rows) Check(row);
  EXPECT_EQ(FilesBelow(In()), (std::vector<std::string>{"h.png", "sub/g.png"}));
}

// A missing output folder is made before line 1 and said so; one that cannot
// be made stops the run before line 1; folders below it are made on the way.
TEST_F(Script, TheOutputFolderIsMadeWhenMissing) {
  std::ofstream(root_ / "file") << "x";
  const std::string save = "i = MBC Make Memblock Image(1, 1, 32)\nsave i, \"a/b.png\"\n";
  EXPECT_EQ(Run(save, {}, (root_ / "made" / "deeper").string()), 0) << transcript_;
  ExpectSaid("output folder {root}made/deeper made\n i = MBC", "made");
  EXPECT_TRUE(fs::is_regular_file(root_ / "made" / "deeper" / "a" / "b.png"));
  EXPECT_EQ(Run(save, {}, (root_ / "file").string()), 3) << transcript_;
  EXPECT_EQ(transcript_, Paths("no output folder: {root}file is a file, not a folder\n"));
  EXPECT_EQ(Run(save, {}, (root_ / "file" / "below").string()), 3) << transcript_;
  ExpectSaid("no output folder: the folder {root}file/below cannot be made: ", "under a file");
  EXPECT_EQ(
      Run("i = MBC Make Memblock Image(1, 1, 32)\nsave i, \"file/b.png\"\n", {}, root_.string()),
      2);
  EXPECT_EQ(
      transcript_.substr(transcript_.find("line 2")),
      Paths("line 2: {root}file/b.png cannot be written: {root}file is a file, not a folder\n"));
  fs::create_directories(Out() / "d.png");
  EXPECT_EQ(Run("i = MBC Make Memblock Image(1, 1, 32)\nsave i, \"d.png\"\n"), 2);
  ExpectSaid("line 2: {out}d.png cannot be written: ", "over a folder");
}

// Broken PNG files are refused with the reason, and nothing is made of them.
TEST_F(Script, PngFilesThatAreNotPicturesAreRefused) {
  EXPECT_EQ(Run("i = MBC Make Memblock Image(9, 9, 32)\nsave i, \"good.png\"\n"), 0);
  std::ifstream saved(Out() / "good.png", std::ios::binary);
  const std::string good(std::istreambuf_iterator<char>(saved), {});
  const std::string files[][3] = {
      {"text.png", "not a picture", "is not a PNG file"},
      {"short.png", good.substr(0, good.size() / 2), "is damaged or cut short"},
      // A header declaring 1000000 x 1, with nothing after it.
      {"huge.png",
       good.substr(0, 16) + std::string("\0\x0F\x42\x40\0\0\0\x01", 8) + good.substr(24, 9),
       "is 1000000x1; sides run from 1 to 4096"},
  };
  for (const auto& [file, bytes, why] : files) {
    std::ofstream(In() / file, std::ios::binary) << bytes;
    EXPECT_EQ(Run("bitmap 1, \"" + file + "\"\nprint \"not reached\"\n"), 2) << file;
    EXPECT_EQ(transcript_.rfind(Paths("line 1: {in}" + file + " " + why), 0), 0u) << transcript_;
    EXPECT_EQ(target::Host().MemblockCount(), 0);
  }
}

// Each refused, for its own reason, and nothing written anywhere, by save or
// by a golden refreshed.
TEST_F(Script, FileNamesStayBelowTheirFolder) {
  std::istringstream names(
      "../out.png|..\\out.png|a/../../out.png|/tmp/out.png|\\out.png|C:out.png|out.png:stream|"
      "a//out.png|... /out.png|NUL|con.png|Com1.png|lpt9||a/b.png/");
  for (std::string name; std::getline(names, name, '|');) {
    for (const std::string directive : {"save", "expect_image"}) {
      EXPECT_EQ(
          Run("i = MBC Make Memblock Image(1, 1, 32)\n" + directive + " i, \"" + name + "\"\n",
              {false, true}),
          2)
          << name;
      EXPECT_NE(transcript_.find("\nline 2: "), std::string::npos) << transcript_;
    }
  }
  EXPECT_TRUE(fs::is_empty(In()));
  EXPECT_TRUE(fs::is_empty(Out()));
  EXPECT_EQ(std::distance(fs::directory_iterator(root_), {}), 2);
  EXPECT_EQ(Run("i = MBC Make Memblock Image(1, 1, 32)\nsave i, \"sub.png\"\n"), 0);
}

// The host's memory is bounded whatever a script asks of it.
TEST_F(Script, TheHostRefusesWhatItHasNoRoomFor) {
  EXPECT_EQ(Run("mesh 1, 2000000000\n"), 2);
  EXPECT_EQ(transcript_.rfind("line 1: the host has no room for it", 0), 0u) << transcript_;
  // Four of the largest memblocks fill the store exactly; a byte more is refused.
  EXPECT_EQ(Run("memblock 1, 67108864\nmemblock 2, 67108864\nmemblock 3, 67108864\n"
                "memblock 4, 67108864\nmemblock 9, 1\n"),
            2);
  EXPECT_NE(transcript_.find("line 5: the host has no room for it"), std::string::npos);
  EXPECT_EQ(target::Host().Numbers(), (std::vector<std::int32_t>{1, 2, 3, 4}));
}

// The command line as command-line tools take theirs: options anywhere,
// "--name=VALUE" or "--name VALUE", "--" ending them, "-h" for "--help".
TEST(CommandLine, IsReadAsCommandLineToolsReadTheirs) {
  const struct {
    const char* args;  // separated by "|"
    const char* read;  // what was read, or "error: ..."
  } rows[] = {
      {"a.mbc", "script a.mbc, output ., limit 100000000"},
      {"--trace|a.mbc|out", "script a.mbc, output out, limit 100000000, trace"},
      {"a.mbc|out|--trace", "script a.mbc, output out, limit 100000000, trace"},
      {"a.mbc|--update-golden|out", "script a.mbc, output out, limit 100000000, update"},
      {"--max-host-calls|5|a.mbc", "script a.mbc, output ., limit 5"},
      {"a.mbc|--max-host-calls=18446744073709551615",
       "script a.mbc, output ., limit 18446744073709551615"},
      {"-h", "help"},
      {"a.mbc|--help|--bogus", "error: unknown option --bogus"},
      {"--|--trace", "script --trace, output ., limit 100000000"},
      {"a.mbc|--|-o", "script a.mbc, output -o, limit 100000000"},
      {"-", "script -, output ., limit 100000000"},
      {"", "error: no SCRIPT given"},
      {"--trace", "error: no SCRIPT given"},
      {"a|b|c", "error: one SCRIPT and one OUTPUT_FOLDER at most; \"c\" is one too many"},
      {"a.mbc|--max-host-calls", "error: --max-host-calls needs a value: --max-host-calls N"},
      {"--max-host-calls=|a.mbc", "error: --max-host-calls takes a count of at least 1, not \"\""},
      {"--max-host-calls|0|a.mbc",
       "error: --max-host-calls takes a count of at least 1, not \"0\""},
      {"--max-host-calls=18446744073709551616|a",
       "error: --max-host-calls takes a count of at least 1, not \"18446744073709551616\""},
      {"--trace=yes|a.mbc", "error: --trace takes no value"},
      {"--trac|a.mbc", "error: unknown option --trac; did you mean --trace?"},
  };
  for (const auto& row : rows) {
    std::vector<std::string> args;
    std::istringstream split(row.args);
    for (std::string arg; std::getline(split, arg, '|');) args.push_back(arg);
    refhost::CommandLine line;
    std::string error, read;
    if (!refhost::ParseCommandLine(args, &line, &error)) {
      read = "error: " + error;
    } else if (line.help) {
      read = "help";
    } else {
      const refhost::RunnerOptions& o = line.options;
      read = "script " + line.script + ", output " + o.outputFolder + ", limit " +
             std::to_string(o.maxHostCalls) + (o.trace ? ", trace" : "") +
             (o.updateGolden ? ", update" : "");
    }
    EXPECT_EQ(read, row.read) << row.args;
  }
}

}  // namespace
