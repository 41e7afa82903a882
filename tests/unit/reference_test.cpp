// What docs/commands.md says about the product, checked against the product:
// each example shown exactly as its file holds it, and the figures that
// describe what circles and stretching draw, worked out anew from the
// plug-in's own pixels. A figure is written into the sentence the reference
// must hold, so a figure that drifts fails with the sentence it should read.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "refhost/runner/png_file.h"
#include "refhost/runner/script_runner.h"
#include "target.h"

namespace fs = std::filesystem;

namespace {

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The reference with every run of blanks and line breaks made one blank, so
// that a sentence is found however the text wraps.
std::string ReferenceText() {
  std::istringstream words(Contents(fs::path(MBC_SOURCE_DIR) / "docs" / "commands.md"));
  std::string text, word;
  while (words >> word) text += (text.empty() ? "" : " ") + word;
  return text;
}

void ExpectStated(const std::string& sentence) {
  static const std::string reference = ReferenceText();
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

// Which pixels of a square of the image are set, row by row.
struct Grid {
  int side;
  std::vector<char> set;
  bool At(int x, int y) const {
    return x >= 0 && y >= 0 && x < side && y < side && set[y * side + x];
  }
};

// Unset pixels reachable from the grid's edge through side neighbours that are
// unset too.
std::vector<char> Outside(const Grid& grid) {
  const int side = grid.side;
  std::vector<char> reached(grid.set.size());
  std::vector<int> queue;
  const auto visit = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= side || y >= side) return;
    const int at = y * side + x;
    if (grid.set[at] || reached[at]) return;
    reached[at] = 1;
    queue.push_back(at);
  };
  for (int i = 0; i < side; ++i) {
    visit(i, 0);
    visit(i, side - 1);
    visit(0, i);
    visit(side - 1, i);
  }
  while (!queue.empty()) {
    const int x = queue.back() % side, y = queue.back() / side;
    queue.pop_back();
    visit(x + 1, y);
    visit(x - 1, y);
    visit(x, y + 1);
    visit(x, y - 1);
  }
  return reached;
}

// Groups of set pixels, each pixel touching another of its group at a side
// or a corner.
int Pieces(const Grid& grid) {
  const int side = grid.side;
  std::vector<char> seen(grid.set.size());
  int pieces = 0;
  for (int start = 0; start < side * side; ++start) {
    if (!grid.set[start] || seen[start]) continue;
    ++pieces;
    std::vector<int> stack = {start};
    seen[start] = 1;
    while (!stack.empty()) {
      const int x = stack.back() % side, y = stack.back() / side;
      stack.pop_back();
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          if (!grid.At(x + dx, y + dy) || seen[(y + dy) * side + x + dx]) continue;
          seen[(y + dy) * side + x + dx] = 1;
          stack.push_back((y + dy) * side + x + dx);
        }
      }
    }
  }
  return pieces;
}

// A square 32-bit image memblock. Each drawing on it is made in a colour of
// its own, so the pixels it set are those holding that colour and the image
// never needs clearing.
class Canvas {
 public:
  explicit Canvas(int side) : side_(side) {
    number_ = target::Call("MBC Make Memblock Image", {side, side, 32});
  }

  void Circle(int x, int y, int diameter, int fill) {
    target::Call("MBC Circle", {number_, x, y, diameter, ++colour_, fill});
    Read();
  }

  // Plots the source: pixel (x, y) holds 0x10000 + 256y + x.
  void Marked() {
    for (int y = 0; y < side_; ++y) {
      for (int x = 0; x < side_; ++x) target::Call("MBC Plot", {number_, x, y, Mark(x, y)});
    }
    Read();
  }
  static int Mark(int x, int y) { return 0x10000 + 256 * y + x; }

  void Stretch(const Canvas& source) {
    target::Call("MBC Stretch Image", {source.number_, number_});
    Read();
  }

  std::uint32_t Value(int x, int y) const {
    std::uint32_t value = 0;
    const std::size_t at = 12 + 4 * static_cast<std::size_t>(y * side_ + x);
    for (int b = 0; b < 4; ++b) value |= std::uint32_t{bytes_[at + b]} << (8 * b);
    return value;
  }

  // The square of side 2 * half + 1 round (x, y), its pixels set where the
  // last circle drew.
  Grid Around(int x, int y, int half) const {
    Grid grid{2 * half + 1, {}};
    for (int row = y - half; row <= y + half; ++row) {
      for (int column = x - half; column <= x + half; ++column) {
        grid.set.push_back(Value(column, row) == static_cast<std::uint32_t>(colour_));
      }
    }
    return grid;
  }

 private:
  void Read() {
    bytes_ = target::Host().Bytes(number_);
    ASSERT_EQ(bytes_.size(), 12u + 4u * side_ * side_);
  }

  int side_;
  std::int32_t number_ = 0, colour_ = 0;
  std::vector<std::uint8_t> bytes_;
};

// A ring is closed when no path of unset pixels, each a side neighbour of the
// last, leads from its centre out of it; it falls into pieces where its
// pixels do not touch, not even at a corner. Diameters 1 to 200, round an even
// and an odd centre.
TEST(Reference, WhichRingsAreClosedAndWhichFallApart) {
  target::Restart(true);
  Canvas canvas(206);
  std::vector<int> closedAt[2], splitAt[2];
  for (int centre : {102, 103}) {
    for (int d = 1; d <= 200; ++d) {
      canvas.Circle(centre, centre, d, 0);
      const int half = d / 2 + 2;
      const Grid ring = canvas.Around(centre, centre, half);
      if (!Outside(ring)[half * ring.side + half]) closedAt[centre % 2].push_back(d);
      if (Pieces(ring) > 1) splitAt[centre % 2].push_back(d);
    }
  }
  EXPECT_EQ(closedAt[0], closedAt[1]);
  EXPECT_EQ(splitAt[0], splitAt[1]);
  ExpectStated("Of the rings of diameter 1 to 200, those of diameter " + Ranges(closedAt[0]) +
               " are closed");
  ExpectStated("The rings of diameter " + Ranges(splitAt[0]) + " fall into two pieces or more");
}

// A pixel of a filled circle is enclosed when it is unset and no path of
// unset pixels, each a side neighbour of the last, leads from it out of the
// circle. Diameters 1 to 100, round the centre of the picture the reference
// shows.
TEST(Reference, WhichFilledCirclesLeavePixelsEnclosed) {
  target::Restart(true);
  Canvas canvas(206);
  const int centre = 103;
  std::vector<int> leaky;
  std::vector<std::string> counts;
  for (int d = 1; d <= 100; ++d) {
    canvas.Circle(centre, centre, d, 1);
    const Grid disc = canvas.Around(centre, centre, d / 2 + 2);
    const std::vector<char> outside = Outside(disc);
    long enclosed = 0;
    for (std::size_t at = 0; at < outside.size(); ++at) enclosed += !outside[at] && !disc.set[at];
    if (enclosed > 0) leaky.push_back(d);
    if (d == 56 || d == 57 || d == 58 || d == 80 || d == 100) {
      counts.push_back(Thousands(enclosed) + " at diameter " + std::to_string(d));
    }
  }
  ExpectStated("Of the filled circles of diameter 1 to 100 round (103, 103), those of diameter " +
               Ranges(leaky) + " leave pixels enclosed: " + Listed(counts));
}

// Its disc is the pixels whose centre lies at most half the diameter from the
// circle's centre; the first is the picture the reference shows.
TEST(Reference, HowMuchOfItsDiscALargeFilledCircleCovers) {
  for (const int d : {200, 1000}) {
    target::Restart(true);
    const int centre = d / 2 + 3;
    Canvas canvas(d + 6);
    canvas.Circle(centre, centre, d, 1);
    const int half = d / 2 + 2;
    const Grid grid = canvas.Around(centre, centre, half);
    long disc = 0, covered = 0;
    for (int y = -half; y <= half; ++y) {
      for (int x = -half; x <= half; ++x) {
        if (4 * (long{x} * x + long{y} * y) > long{d} * d) continue;
        ++disc;
        covered += grid.At(x + half, y + half);
      }
    }
    ExpectStated("at diameter " + Thousands(d) + ", " + Thousands(covered) + " of the " +
                 Thousands(disc) + " pixels of its disc are set (" +
                 std::to_string((100 * covered + disc / 2) / disc) + "%)");
  }
}

// Doubling a square source: how many target columns each source column
// fills, the rows alike, and where the target reaches past the source.
TEST(Reference, WhichSourceColumnsADoublingTakes) {
  for (const int side : {4, 8}) {
    target::Restart(true);
    Canvas source(side), doubled(2 * side);
    source.Marked();
    doubled.Stretch(source);
    std::vector<int> columns(side), rows(side);
    std::string outside;
    for (int t = 0; t < 2 * side; ++t) {
      const std::uint32_t across = doubled.Value(t, 0), down = doubled.Value(0, t);
      if (across == 0 || down == 0) {
        outside += " " + std::to_string(t);
        continue;
      }
      ++columns[(across - Canvas::Mark(0, 0)) % 256];
      ++rows[(down - Canvas::Mark(0, 0)) / 256];
    }
    EXPECT_EQ(rows, columns);
    EXPECT_EQ(outside, " " + std::to_string(2 * side - 1)) << "target columns outside the source";
    std::vector<std::string> fills;
    for (int n : columns) fills.push_back(std::to_string(n));
    ExpectStated("source columns 0 to " + std::to_string(side - 1) + " fill " + Listed(fills) +
                 " target columns, and the last target column lies outside the source");
  }
}

// A 16-bit pixel as the runner's pictures show it, read back from the file
// that `save` wrote.
TEST(Reference, HowA16BitPixelComesOutInAPicture) {
  target::Restart(true);
  refhost::RunnerOptions options;
  options.outputFolder = fs::temp_directory_path().string();
  std::ostringstream transcript;
  refhost::ScriptRunner runner(target::Plugin(), &target::Host(), options, transcript);
  std::istringstream script(
      "img = MBC Make Memblock Image(2, 1, 16)\nMBC Plot img, 0, 0, 0xF800\n"
      "MBC Plot img, 1, 0, 0x5678\nsave img, \"mbc_widened.png\"\n");
  ASSERT_EQ(runner.Run(script), refhost::kRunPassed) << transcript.str();
  int width = 0, height = 0;
  std::vector<std::int32_t> pixels;
  std::string error;
  ASSERT_TRUE(refhost::ReadPng(options.outputFolder + "/mbc_widened.png", 2, &width, &height,
                               &pixels, &error))
      << error;
  fs::remove(options.outputFolder + "/mbc_widened.png");
  ASSERT_EQ(pixels.size(), 2u);
  char shown[2][16];
  for (int i = 0; i < 2; ++i) {
    std::snprintf(shown[i], sizeof shown[i], "0x%06X",
                  static_cast<unsigned>(pixels[i]) & 0xFFFFFFu);
  }
  ExpectStated(std::string("so `0xF800` comes out as `") + shown[0] + "` and `0x5678` as `" +
               shown[1] + "`");
}

// Every example is shown in the reference exactly as its file holds it.
TEST(Reference, ShowsEveryExampleAsItIs) {
  const std::string reference = Contents(fs::path(MBC_SOURCE_DIR) / "docs" / "commands.md");
  int examples = 0;
  const fs::path folder = fs::path(MBC_SOURCE_DIR) / "examples" / "commands";
  for (const fs::directory_entry& script : fs::directory_iterator(folder)) {
    if (script.path().extension() != ".mbc") continue;
    ++examples;
    const std::string shown = "**Example** (`examples/commands/" +
                              script.path().filename().string() + "`):\n\n```text\n" +
                              Contents(script.path()) + "```\n";
    EXPECT_NE(reference.find(shown), std::string::npos) << script.path().filename();
  }
  EXPECT_GT(examples, 15);
}

}  // namespace
