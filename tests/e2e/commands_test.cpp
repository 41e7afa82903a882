// Every command reached the host's way, through its command-table row and its
// export, working on the stand-in host's store across the library boundary.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "host/module_slots.h"
#include "loaded_plugin.h"

namespace {

using Pixel = std::pair<int, int>;

refhost::HostCall Mem(int slot, std::vector<std::int32_t> args, std::int32_t result) {
  return refhost::HostCall{refhost::Table::Memblock, slot, std::move(args), result};
}

std::string Described(const std::vector<refhost::HostCall>& calls) {
  return refhost::Describe(calls);
}

class Commands : public LoadedPlugin {
 protected:
  // An image memblock of depth 32, made through "MBC Make Memblock Image".
  std::int32_t NewImage(std::int32_t width, std::int32_t height, std::int32_t depth = 32) {
    return Command("MBC Make Memblock Image", {width, height, depth});
  }

  // The pixels of a 32-bit image memblock that are not 0, read from the store.
  std::set<Pixel> SetPixels(std::int32_t image) const {
    const std::int32_t width = Dword(image, 0);
    const std::int32_t height = Dword(image, 4);
    std::set<Pixel> pixels;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if (Dword(image, 12 + 4 * (x + y * width)) != 0) pixels.insert({x, y});
      }
    }
    return pixels;
  }
};

// ---- Numbering -----------------------------------------------------------

TEST_F(Commands, NumbersAreHandedOutTakenBackCountedAndCleared) {
  EXPECT_EQ(Command("MBC Make Memblock", {100}), 1);
  EXPECT_EQ(Command("MBC Make Memblock", {200}), 2);
  EXPECT_EQ(Command("MBC Make Memblock", {300}), 3);
  EXPECT_EQ(host_.Bytes(2).size(), 200u);

  EXPECT_EQ(Command("MBC Delete Memblock", {2}), 0);
  EXPECT_EQ(host_.MemblockExists(2), 0);
  EXPECT_EQ(Command("MBC Exist Memblock Count"), 2);
  EXPECT_EQ(Command("MBC Make Memblock", {8}), 2);
  EXPECT_EQ(Command("MBC Delete Memblock", {-4}), -4);

  // A memblock the script made under its own number above the top survives a clear.
  const std::uint8_t own[3] = {1, 2, 3};
  host_.PutMemblock(7, own, 3);
  EXPECT_EQ(Command("MBC Clear All Memblocks"), 0);
  EXPECT_EQ(host_.Numbers(), std::vector<std::int32_t>{7});
  EXPECT_EQ(Command("MBC Exist Memblock Count"), 0);
  EXPECT_EQ(Command("MBC Make Memblock", {4}), 1);
}

TEST_F(Commands, CloneCopiesEveryByteWithTheHostCallsInOrder) {
  std::vector<std::uint8_t> contents(100);
  for (std::size_t i = 0; i < contents.size(); ++i) contents[i] = static_cast<std::uint8_t>(i * 7);
  host_.PutMemblock(7, contents.data(), 100);

  std::int32_t clone = 0;
  const auto calls = CallsOf([&] { clone = Command("MBC Clone Memblock", {7}); });
  EXPECT_EQ(clone, 1);
  EXPECT_EQ(Described(calls),
            Described({Mem(host::MemExists, {7}, 1), Mem(host::MemExists, {1}, 0),
                       Mem(host::MemSize, {7}, 100), Mem(host::MemMake, {1, 100}, 0),
                       Mem(host::MemCopy, {7, 1, 0, 0, 100}, 0)}));
  EXPECT_EQ(host_.Bytes(1), contents);
  EXPECT_EQ(Command("MBC Clone Memblock", {9}), 0) << "a missing source takes no number";
  EXPECT_EQ(Command("MBC Make Memblock", {1}), 2);
}

TEST_F(Commands, MemblocksAreMadeFromEveryKindOfResource) {
  EXPECT_EQ(Command("MBC Make Memblock From Bitmap", {5}), 1) << "missing bitmap";
  EXPECT_EQ(host_.MemblockExists(1), 0);

  const std::int32_t pixels[2] = {0x11223344, 0x55667788};
  host_.AddBitmap(5, 2, 1, pixels);
  EXPECT_EQ(Command("MBC Make Memblock From Bitmap", {5}), 2);
  EXPECT_EQ(Dword(2, 0), 2);
  EXPECT_EQ(Dword(2, 8), 32);
  EXPECT_EQ(Dword(2, 16), 0x55667788);

  host_.AddImage(6, 1, 2, pixels);
  EXPECT_EQ(Command("MBC Make Memblock From Image", {6}), 3);
  EXPECT_EQ(Dword(3, 4), 2);
  EXPECT_EQ(Dword(3, 12), 0x11223344);

  host_.AddMesh(4, 3);
  EXPECT_EQ(Command("MBC Make Memblock From Mesh", {4}), 4);
  EXPECT_EQ(host_.Bytes(4).size(), 12u + 3 * 36);
  EXPECT_EQ(Dword(4, 0), 338);

  const std::int16_t samples[3] = {-1, 2, 3};
  host_.AddSound(8, samples, 3);
  EXPECT_EQ(Command("MBC Make Memblock From Sound", {8}), 5);
  EXPECT_EQ(host_.Bytes(5).size(), 18u);

  const std::uint8_t bytes[5] = {9, 8, 7, 6, 5};
  host_.AddArray(0x4000, bytes, 5);
  EXPECT_EQ(Command("MBC Make Memblock From Array", {0x4000}), 6);
  EXPECT_EQ(host_.Bytes(6), std::vector<std::uint8_t>(bytes, bytes + 5));
  EXPECT_EQ(Command("MBC Exist Memblock Count"), 6);
}

// ---- Image and mesh memblocks ---------------------------------------------

TEST_F(Commands, MakingAnImageAndPlottingMakeTheHostCallsOfTheTypicalRequest) {
  std::int32_t image = 0;
  const auto made = CallsOf([&] { image = NewImage(64, 32); });
  EXPECT_EQ(image, 1);
  EXPECT_EQ(
      Described(made),
      Described({Mem(host::MemExists, {1}, 0), Mem(host::MemMake, {1, 8204}, 0),
                 Mem(host::MemWriteDword, {1, 0, 64}, 0), Mem(host::MemWriteDword, {1, 4, 32}, 0),
                 Mem(host::MemWriteDword, {1, 8, 32}, 0)}));
  const std::int32_t colour = static_cast<std::int32_t>(0xFF00FF00u);
  const auto plotted = CallsOf([&] { EXPECT_EQ(Command("MBC Plot", {1, 5, 5, colour}), 0); });
  EXPECT_EQ(Described(plotted),
            Described({Mem(host::MemExists, {1}, 1), Mem(host::MemReadDword, {1, 0}, 64),
                       Mem(host::MemReadDword, {1, 4}, 32), Mem(host::MemReadDword, {1, 8}, 32),
                       Mem(host::MemWriteDword, {1, 1312, colour}, 0)}));
  EXPECT_EQ(Dword(1, 1312), colour);
  EXPECT_EQ(Command("MBC Get Pixel", {1, 5, 5}), colour);
  EXPECT_EQ(Command("MBC Get Pixel", {1, 64, 0}), 0);
}

TEST_F(Commands, PixelsFollowTheImageDepth) {
  const std::int32_t wide = NewImage(4, 3, 16);
  EXPECT_EQ(host_.Bytes(wide).size(), 36u);
  Command("MBC Plot", {wide, 3, 2, 0x12345678});
  EXPECT_EQ(Command("MBC Get Pixel", {wide, 3, 2}), 0x5678);

  const std::int32_t three = NewImage(2, 2, 24);
  EXPECT_EQ(host_.Bytes(three).size(), 24u);
  Command("MBC Plot", {three, 0, 0, 0x00FFFFFF});
  EXPECT_EQ(host_.Bytes(three), std::vector<std::uint8_t>({2, 0, 0, 0, 2, 0, 0, 0, 24, 0, 0, 0,
                                                           0, 0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0}));
  EXPECT_EQ(Command("MBC Get Pixel", {three, 0, 0}), 0);

  EXPECT_EQ(NewImage(4, 3, 15), 0);
  EXPECT_EQ(Command("MBC Exist Memblock Count"), 2);
}

TEST_F(Commands, MeshHeaderIsWrittenByTheExportWithoutARow) {
  const std::int32_t mesh = Export("PrepareMeshMemblock", {2});
  EXPECT_EQ(mesh, 1);
  EXPECT_EQ(host_.Bytes(mesh).size(), 232u);
  EXPECT_EQ(Dword(mesh, 0), 338);
  EXPECT_EQ(Dword(mesh, 4), 36);
  EXPECT_EQ(Dword(mesh, 8), 2);
}

// ---- Shapes ---------------------------------------------------------------

// The ring the circle command samples: 361 points at angles 0 to 360 radians,
// rounded to the nearest pixel with ties to even.
void AddRing(std::set<Pixel>* pixels, int x, int y, int diameter) {
  for (int k = 0; k <= 360; ++k) {
    pixels->insert({static_cast<int>(std::nearbyint(std::cos(k) * (diameter / 2.0) + x)),
                    static_cast<int>(std::nearbyint(std::sin(k) * (diameter / 2.0) + y))});
  }
}

TEST_F(Commands, CirclesAreRingsOfSampledPoints) {
  const std::int32_t image = NewImage(32, 32);
  Command("MBC Circle", {image, 11, 20, 5, 7, 0});
  std::set<Pixel> ring;
  AddRing(&ring, 11, 20, 5);
  EXPECT_EQ(SetPixels(image), ring);
  EXPECT_TRUE(ring.count({14, 20})) << "the first sample, 13.5, goes to the even column";

  const std::int32_t filled = NewImage(32, 32);
  Command("MBC Circle", {filled, 8, 8, 4, 7, 1});
  std::set<Pixel> disc;
  AddRing(&disc, 8, 8, 4);
  AddRing(&disc, 8, 8, 2);
  disc.insert({8, 8});
  EXPECT_EQ(SetPixels(filled), disc);

  const std::int32_t untouched = NewImage(8, 8);
  Command("MBC Circle", {untouched, 4, 4, 4, 7, 2});
  Command("MBC Circle", {untouched, 4, 4, 0, 7, 1});
  EXPECT_TRUE(SetPixels(untouched).empty());
}

TEST_F(Commands, CubesAndBoxesDrawOutlinesAndFills) {
  const std::int32_t cube = NewImage(32, 32);
  Command("MBC Cube", {cube, 10, 20, 3, 5, 0});
  EXPECT_EQ(SetPixels(cube),
            std::set<Pixel>(
                {{10, 20}, {11, 20}, {12, 20}, {10, 21}, {12, 21}, {10, 22}, {11, 22}, {12, 22}}));
  Command("MBC Cube", {cube, 10, 20, 3, 5, 1});
  EXPECT_EQ(SetPixels(cube).size(), 9u);
  Command("MBC Cube", {cube, 0, 0, 1, 5, 5});
  EXPECT_EQ(SetPixels(cube).count({0, 0}), 1u);

  // The fourth argument is the right column, the fifth the bottom row.
  const std::int32_t box = NewImage(8, 8);
  Command("MBC Box", {box, 2, 3, 5, 6, 9, 0});
  std::set<Pixel> border;
  for (int c = 2; c <= 5; ++c) border.insert({{c, 3}, {c, 6}});
  for (int r = 3; r <= 6; ++r) border.insert({{2, r}, {5, r}});
  EXPECT_EQ(SetPixels(box), border);
  EXPECT_EQ(border.size(), 12u);
  Command("MBC Box", {box, 2, 3, 5, 6, 9, 1});
  EXPECT_EQ(SetPixels(box).size(), 16u);
}

// ---- Stretching -------------------------------------------------------------

TEST_F(Commands, StretchIntoAnExistingImageSamplesNearestWithTiesToEven) {
  const std::int32_t source = NewImage(2, 2);
  Command("MBC Plot", {source, 0, 0, 10});
  Command("MBC Plot", {source, 1, 0, 11});
  Command("MBC Plot", {source, 0, 1, 20});
  Command("MBC Plot", {source, 1, 1, 21});
  const std::int32_t target = NewImage(4, 4);
  EXPECT_EQ(Command("MBC Stretch Image", {source, target}), 0);
  // Columns and rows 0..3 sample 0, 0, 1 and 2; index 2 lies outside the source.
  const int values[4][4] = {{10, 10, 11, 0}, {10, 10, 11, 0}, {20, 20, 21, 0}, {0, 0, 0, 0}};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(Command("MBC Get Pixel", {target, x, y}), values[y][x]) << x << "," << y;
    }
  }
}

TEST_F(Commands, StretchIntoANewImageKeepsTheSourceDepth) {
  const std::int32_t source = NewImage(4, 4, 16);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) Command("MBC Plot", {source, x, y, 100 + 10 * y + x});
  }
  const std::int32_t made = Command("MBC Stretch Image", {source, 8, 8});
  EXPECT_EQ(made, 2);
  EXPECT_EQ(host_.Bytes(made).size(), 140u);
  EXPECT_EQ(Dword(made, 8), 16);
  const int sampled[8] = {0, 0, 1, 2, 2, 2, 3, 4};
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const int expected =
          (sampled[x] < 4 && sampled[y] < 4) ? 100 + 10 * sampled[y] + sampled[x] : 0;
      EXPECT_EQ(Command("MBC Get Pixel", {made, x, y}), expected) << x << "," << y;
    }
  }
  EXPECT_EQ(Command("MBC Stretch Image", {source, 0, 8}), 0);
}

}  // namespace
