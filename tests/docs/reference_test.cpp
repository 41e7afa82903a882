// What docs/commands.md says about the product, checked against the product:
// its command table's rows, each example shown exactly as its file holds it,
// and the figures that describe what circles and stretching draw, worked out
// anew from the plug-in's own pixels. A figure is written into the sentence the reference
// must hold, so a figure that drifts fails with the sentence it should read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <vector>

#include "cases.h"
#include "refhost/runner/png_file.h"
#include "refhost/runner/script_runner.h"
#include "scratch.h"
#include "target.h"

namespace fs = std::filesystem;

namespace {

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The rows are the ones the command reference shows ("Row N: `...`" in
// docs/commands.md), byte for byte, numbered 1 to 19 with nothing around them.
TEST(CommandTable, HoldsExactlyTheRowsOfTheReference) {
  std::istringstream reference(Contents(fs::path(MBC_SOURCE_DIR) / "docs" / "commands.md"));
  std::map<unsigned, std::string> rows;
  const std::regex row("^Row ([0-9]+): `([^`]*)`");
  std::smatch found;
  for (std::string line; std::getline(reference, line);) {
    if (std::regex_search(line, found, row)) rows[std::stoul(found[1])] = found[2];
  }
  ASSERT_EQ(rows.size(), 19u);
  target::Restart(false);
  std::u16string text;
  for (unsigned id = 0; id <= 20; ++id) {
    const bool stored = target::Row(id, &text);
    EXPECT_EQ(stored ? std::string(text.begin(), text.end()) : "(none)",
              rows.count(id) ? rows[id] : "(none)")
        << "row " << id;
  }
}

// A sentence the reference must hold, however its text wraps: every run of
// blanks and line breaks counts as one blank.
void ExpectStated(const std::string& sentence) {
  static const std::string reference = [] {
    std::istringstream words(Contents(fs::path(MBC_SOURCE_DIR) / "docs" / "commands.md"));
    std::string text, word;
    while (words >> word) text += (text.empty() ? "" : " ") + word;
    return text;
  }();
  EXPECT_NE(reference.find(sentence), std::string::npos)
      << "docs/commands.md should say: " << sentence;
}

// "1,234,567".
std::string Thousands(long value) {
  std::string digits = std::to_string(value);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, ",");
  return digits;
}

// "2, 1 and 3"
std::string Listed(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
  }
  return text;
}

// Ascending numbers with runs of three or more as "a to b": "56 and 58 to 200".
std::string Ranges(const std::vector<int>& numbers) {
  std::vector<std::string> items;
  for (std::size_t i = 0, end = 0; i < numbers.size(); i = end) {
    for (end = i + 1; end < numbers.size() && numbers[end] == numbers[end - 1] + 1;) ++end;
    if (end - i >= 3) {
      items.push_back(std::to_string(numbers[i]) + " to " + std::to_string(numbers[end - 1]));
    } else {
      for (std::size_t j = i; j < end; ++j) items.push_back(std::to_string(numbers[j]));
    }
  }
  return Listed(items);
}

// A square of an image memblock: which of its pixels are set.
struct Grid {
  int side;
  std::vector<char> set;
};

// Marks the pixels like `from` (set, or unset) that a chain of such pixels
// reaches from it, each a side neighbour of the one before, or a corner
// neighbour too when `corners`.
std::vector<char> Reached(const Grid& grid, int from, bool corners) {
  std::vector<char> reached(grid.set.size());
  std::vector<int> stack = {from};
  reached[from] = 1;
  while (!stack.empty()) {
    const int x = stack.back() % grid.side, y = stack.back() / grid.side;
    stack.pop_back();
    // Steps 1, 3, 5 and 7 lead to the side neighbours, 0, 2, 6 and 8 to the corners.
    for (int step = corners ? 0 : 1; step < 9; step += corners ? 1 : 2) {
      const int nx = x + step % 3 - 1, ny = y + step / 3 - 1, at = ny * grid.side + nx;
      if (nx < 0 || ny < 0 || nx >= grid.side || ny >= grid.side ||
          grid.set[at] != grid.set[from] || reached[at]) {
        continue;
      }
      reached[at] = 1;
      stack.push_back(at);
    }
  }
  return reached;
}

// Draws a circle round (x, y) on the 32-bit image memblock `image`, `side`
// pixels a side, in a colour no earlier drawing used, so that the image
// never needs clearing; returns the square round the circle with a margin of
// two pixels (whose outer frame no sample reaches), its pixels set where they
// hold that colour.
Grid DrawCircle(std::int32_t image, int side, int x, int y, int diameter, int fill) {
  static std::uint32_t colour = 0;
  target::Call("MBC Circle", {image, x, y, diameter, static_cast<std::int32_t>(++colour), fill});
  const std::vector<std::uint8_t> bytes = target::Host().Bytes(image);
  const int half = diameter / 2 + 2;
  Grid grid{2 * half + 1, {}};
  for (int row = y - half; row <= y + half; ++row) {
    for (int column = x - half; column <= x + half; ++column) {
      const std::size_t at = 12 + 4 * static_cast<std::size_t>(row * side + column);
      std::uint32_t value = 0;
      for (int b = 0; b < 4; ++b) value |= std::uint32_t{bytes.at(at + b)} << (8 * b);
      grid.set.push_back(value == colour);
    }
  }
  return grid;
}

// A ring is closed when no path of unset side neighbours leads from its centre
// out of it (to the grid's corner: see DrawCircle); it falls into pieces where
// its pixels do not touch, not even at a corner. Diameters 1 to 200, round an
// even and an odd centre. A pixel of a filled circle is enclosed when it is
// unset and no such path leads from it out of the circle. Diameters 1 to 100,
// round the centre of the picture the reference shows.
TEST(Reference, WhichRingsAreClosedOrFallApartAndWhichFilledCirclesLeavePixelsEnclosed) {
  target::Restart(true);
  const std::int32_t image = target::Call("MBC Make Memblock Image", {206, 206, 32});
  std::vector<int> closedAt[2], splitAt[2], leaky;
  std::vector<std::string> counts;
  for (int centre : {102, 103}) {
    for (int d = 1; d <= 200; ++d) {
      const Grid ring = DrawCircle(image, 206, centre, centre, d, 0);
      const std::vector<char> outside = Reached(ring, 0, false);
      if (!outside[ring.set.size() / 2]) closedAt[centre % 2].push_back(d);
      const auto first = std::find(ring.set.begin(), ring.set.end(), 1) - ring.set.begin();
      if (Reached(ring, first, true) != ring.set) splitAt[centre % 2].push_back(d);
      if (centre == 102 || d > 100) continue;
      const Grid disc = DrawCircle(image, 206, 103, 103, d, 1);
      const std::vector<char> around = Reached(disc, 0, false);
      long enclosed = 0;
      for (std::size_t at = 0; at < around.size(); ++at) enclosed += !around[at] && !disc.set[at];
      if (enclosed > 0) leaky.push_back(d);
      if (d == 56 || d == 57 || d == 58 || d == 80 || d == 100) {
        counts.push_back(Thousands(enclosed) + " at diameter " + std::to_string(d));
      }
    }
  }
  EXPECT_EQ(closedAt[0], closedAt[1]);
  EXPECT_EQ(splitAt[0], splitAt[1]);
  ExpectStated("Of the rings of diameter 1 to 200, those of diameter " + Ranges(closedAt[0]) +
               " are closed");
  ExpectStated("The rings of diameter " + Ranges(splitAt[0]) + " fall into two pieces or more");
  ExpectStated("Of the filled circles of diameter 1 to 100 round (103, 103), those of diameter " +
               Ranges(leaky) + " leave pixels enclosed: " + Listed(counts));
}

// Its disc is the pixels whose centre lies at most half the diameter from the
// circle's centre; the first is the picture the reference shows.
TEST(Reference, HowMuchOfItsDiscALargeFilledCircleCovers) {
  for (const int d : {200, 1000}) {
    target::Restart(true);
    const int centre = d / 2 + 3, half = d / 2 + 2;
    const std::int32_t image = target::Call("MBC Make Memblock Image", {d + 6, d + 6, 32});
    const Grid grid = DrawCircle(image, d + 6, centre, centre, d, 1);
    long disc = 0, covered = 0;
    for (int y = -half; y <= half; ++y) {
      for (int x = -half; x <= half; ++x) {
        if (4 * (long{x} * x + long{y} * y) > long{d} * d) continue;
        ++disc;
        covered += grid.set[(y + half) * grid.side + x + half];
      }
    }
    ExpectStated("at diameter " + Thousands(d) + ", " + Thousands(covered) + " of the " +
                 Thousands(disc) + " pixels of its disc are set (" +
                 std::to_string((100 * covered + disc / 2) / disc) + "%)");
  }
}

// Doubling a row of source columns: how many target columns each fills, and
// which samples fall outside the source (cases::Pixels shows a marked source
// pixel as "x,y", a run of n as "x,y*n", and 0 as "-").
TEST(Reference, WhichSourceColumnsADoublingTakes) {
  for (const int side : {4, 8}) {
    target::Restart(true);
    ASSERT_EQ(cases::Steps("marked 50, " + std::to_string(side) + ", 1, 32; marked 51, " +
                           std::to_string(2 * side) + ", 1, 32"),
              "");
    target::Call("MBC Stretch Image", {50, 51});
    std::istringstream pixels(cases::Pixels(51).substr(std::string("pixels 51: ").size()));
    std::vector<std::string> fills;
    std::string run, outside;
    for (int column = 0; pixels >> run; ++column) {
      const std::size_t times = run.find('*');
      const bool source = run.rfind(std::to_string(column) + ",0", 0) == 0;
      if (!source) outside += run;
      if (source) fills.push_back(times == std::string::npos ? "1" : run.substr(times + 1));
    }
    EXPECT_EQ(outside, "-") << "the target columns past the source";
    ExpectStated("source columns 0 to " + std::to_string(side - 1) + " fill " + Listed(fills) +
                 " target columns, and the last target column lies outside the source");
  }
}

// A 16-bit pixel as the runner's pictures show it.
TEST(Reference, HowA16BitPixelComesOutInAPicture) {
  refhost::RgbImage image;
  std::string error;
  ASSERT_TRUE(refhost::DecodeImageMemblock(
      {2, 0, 0, 0, 1, 0, 0, 0, 16, 0, 0, 0, 0x00, 0xF8, 0x78, 0x56}, &image, &error))
      << error;
  const std::uint8_t* rgb = image.rgb.data();
  char shown[64];
  std::snprintf(shown, sizeof shown, "`0x%02X%02X%02X` and `0x5678` as `0x%02X%02X%02X`", rgb[0],
                rgb[1], rgb[2], rgb[3], rgb[4], rgb[5]);
  ExpectStated(std::string("so `0xF800` comes out as ") + shown);
}

// Every example script runs and every expectation in it holds (the demo, the
// script that draws the shipped picture and the routines, each against its
// golden picture, among them); each command example is shown in the reference
// exactly as its file holds it, and every picture it saves is byte for byte
// the one in docs/pictures (tools/pictures.sh draws them anew).
TEST(Pictures, EveryExampleDrawsThePicturesOfTheReference) {
  const std::string reference = Contents(fs::path(MBC_SOURCE_DIR) / "docs" / "commands.md");
  const fs::path examples = fs::path(MBC_SOURCE_DIR) / "examples";
  const ScratchFolder scratch;
  const fs::path drawn = scratch.path() / "drawn";
  int scripts = 0;
  for (const fs::path& folder : {examples, examples / "commands", examples / "routines"}) {
    for (const fs::directory_entry& script : fs::directory_iterator(folder)) {
      if (script.path().extension() != ".mbc") continue;
      ++scripts;
      fs::remove_all(drawn);
      fs::create_directories(drawn);
      target::Restart(true);
      refhost::RunnerOptions options;
      options.scriptFolder = folder.string();
      options.outputFolder = drawn.string();
      std::ifstream in(script.path(), std::ios::binary);
      std::ostringstream out;
      refhost::ScriptRunner runner(target::Plugin(), &target::Host(), options, out);
      EXPECT_EQ(runner.Run(in), refhost::kRunPassed) << script.path() << "\n" << out.str();
      if (folder != examples / "commands") continue;
      EXPECT_NE(
          reference.find("**Example** (`examples/commands/" + script.path().filename().string() +
                         "`):\n\n```text\n" + Contents(script.path()) + "```\n"),
          std::string::npos)
          << script.path().filename() << " is not shown in the reference as it is";
      for (const std::string& picture : runner.SavedFiles()) {
        EXPECT_TRUE(Contents(drawn / picture) ==
                    Contents(fs::path(MBC_SOURCE_DIR) / "docs" / "pictures" / picture))
            << script.path().filename() << " draws " << picture << " other than the reference";
      }
    }
  }
  EXPECT_GT(scripts, 23);
}

}  // namespace
