// Stretching: which source pixel each target pixel samples, samples outside
// the source, depths, the new image of IMStretch2, and refusals.
#include "image/stretch.h"

#include <climits>

#include "image_fixture.h"

using namespace host;

namespace {

// Above the numbers the allocator hands out first, so IMStretch2's new image
// is number 1.
constexpr std::int32_t kSource = 50;
constexpr std::int32_t kTarget = 51;

// Source pixel (x, y) holds a value that names it; 0 never occurs.
std::int32_t Marker(std::int32_t x, std::int32_t y) {
  return 0x1000 + (x << 4) + y;
}

class Stretch : public BoundHost {
 protected:
  void PutSource(std::int32_t width, std::int32_t height, std::int32_t depth = 32) {
    refhost::PutMemblock(kSource, ImageBytes(width, height, depth, Marker));
  }
  void PutTarget(std::int32_t width, std::int32_t height, std::int32_t depth = 32) {
    refhost::PutMemblock(kTarget, BlankImageBytes(width, height, depth));
  }
  // Checks that target pixel (x, y) holds source pixel (columns[x], rows[y]),
  // or 0 where that index is -1 (a sample outside the source).
  static void ExpectSamples(std::int32_t target, const std::vector<std::int32_t>& columns,
                            const std::vector<std::int32_t>& rows) {
    const StoredImage image(target);
    ASSERT_EQ(image.Width(), static_cast<std::int32_t>(columns.size()));
    ASSERT_EQ(image.Height(), static_cast<std::int32_t>(rows.size()));
    for (std::size_t y = 0; y < rows.size(); ++y) {
      for (std::size_t x = 0; x < columns.size(); ++x) {
        const bool outside = columns[x] < 0 || rows[y] < 0;
        EXPECT_EQ(image.Pixel(x, y), outside ? 0 : Marker(columns[x], rows[y]))
            << "target (" << x << ", " << y << ")";
      }
    }
  }
};

TEST_F(Stretch, OneTenthHeldAsFloatRoundsFiveUpToColumnOne) {
  PutSource(2, 1);
  PutTarget(20, 1);
  EXPECT_EQ(IMStretch(kSource, kTarget), 0);
  std::vector<std::int32_t> columns(20, -1);  // 15 to 19 sample column 2, outside
  for (int x = 0; x < 5; ++x) columns[x] = 0;
  for (int x = 5; x < 15; ++x) columns[x] = 1;
  ExpectSamples(kTarget, columns, {0});
}

TEST_F(Stretch, DoublingSamplesPastTheLastColumnAndRow) {
  PutSource(2, 2);
  PutTarget(4, 4);
  IMStretch(kSource, kTarget);
  ExpectSamples(kTarget, {0, 0, 1, -1}, {0, 0, 1, -1});  // 1.5 -> 2, outside
}

TEST_F(Stretch, HalvingSamplesEveryOtherColumnAndRow) {
  PutSource(4, 4);
  PutTarget(2, 2);
  IMStretch(kSource, kTarget);
  ExpectSamples(kTarget, {0, 2}, {0, 2});
}

TEST_F(Stretch, TriplingStaysInsideAndThreeIntoSixToo) {
  PutSource(1, 3);
  PutTarget(3, 6);
  IMStretch(kSource, kTarget);
  ExpectSamples(kTarget, {0, 0, -1}, {0, 0, 1, 2, 2, 2});  // 1 into 3 samples column 1
}

TEST_F(Stretch, ImageIntoItselfIsUnchanged) {
  PutSource(5, 3);
  const auto before = refhost::MemblockBytes(kSource);
  IMStretch(kSource, kSource);
  EXPECT_EQ(refhost::MemblockBytes(kSource), before);
}

TEST_F(Stretch, HostCallsOfOnePixelRowsOuterColumnsInner) {
  PutSource(1, 1);
  PutTarget(2, 1);
  const std::int32_t v = Marker(0, 0);
  auto calls = CallsOf([] { IMStretch(kSource, kTarget); });
  auto pixelPrologue = [](std::int32_t n, std::int32_t w, std::int32_t h) {
    return std::vector<refhost::HostCall>{Mem(MemExists, {n}, 1), Mem(MemReadDword, {n, 0}, w),
                                          Mem(MemReadDword, {n, 4}, h),
                                          Mem(MemReadDword, {n, 8}, 32)};
  };
  std::vector<refhost::HostCall> expected{
      Mem(MemExists, {kSource}, 1),        Mem(MemExists, {kTarget}, 1),
      Mem(MemReadDword, {kSource, 0}, 1),  Mem(MemReadDword, {kSource, 4}, 1),
      Mem(MemReadDword, {kSource, 8}, 32), Mem(MemReadDword, {kTarget, 0}, 2),
      Mem(MemReadDword, {kTarget, 4}, 1),  Mem(MemReadDword, {kTarget, 8}, 32)};
  auto append = [&expected](std::vector<refhost::HostCall> more) {
    expected.insert(expected.end(), more.begin(), more.end());
  };
  // Target column 0 samples source column 0; column 1 samples 0.5 -> 0.
  for (std::int32_t x = 0; x < 2; ++x) {
    append(pixelPrologue(kSource, 1, 1));
    append({Mem(MemReadDword, {kSource, 12}, v)});
    append(pixelPrologue(kTarget, 2, 1));
    append({Mem(MemWriteDword, {kTarget, 12 + 4 * x, v}, 0)});
  }
  EXPECT_EQ(refhost::Describe(calls), refhost::Describe(expected));
}

TEST_F(Stretch, ValuesMoveUnconvertedBetweenDepths) {
  refhost::PutMemblock(kSource, ImageBytes(1, 1, 32, [](int, int) { return 0x12345678; }));
  PutTarget(1, 1, 16);
  IMStretch(kSource, kTarget);
  EXPECT_EQ(StoredImage(kTarget).Pixel(0, 0), 0x5678);  // the low 16 bits

  refhost::PutMemblock(kSource, ImageBytes(1, 1, 16, [](int, int) { return 0xBEEF; }));
  PutTarget(1, 1, 32);
  IMStretch(kSource, kTarget);
  EXPECT_EQ(StoredImage(kTarget).Pixel(0, 0), 0xBEEF);
}

TEST_F(Stretch, RefusedBeforeAnySampleWhenAMemblockIsMissing) {
  PutSource(2, 2);
  EXPECT_CALLS(CallsOf([] { IMStretch(kSource, 9); }), Mem(MemExists, {kSource}, 1),
               Mem(MemExists, {9}, 0));
  EXPECT_CALLS(CallsOf([] { IMStretch(9, kSource); }), Mem(MemExists, {9}, 0));
  EXPECT_TRUE(CallsOf([] { IMStretch(0, kSource); }).empty());
  EXPECT_TRUE(CallsOf([] { IMStretch(kSource, -1); }).empty());
}

TEST_F(Stretch, EmptyOrNegativeTargetSamplesNothing) {
  PutSource(2, 2);
  for (auto size : {Point{0, 3}, Point{3, 0}, Point{-5, 3}, Point{3, INT_MIN}}) {
    refhost::PutMemblock(kTarget, ImageBytes(size.first, size.second, 32, Marker));
    auto calls = CallsOf([] { IMStretch(kSource, kTarget); });
    EXPECT_EQ(calls.size(), 2 + 6u) << size.first << " x " << size.second;
  }
}

TEST_F(Stretch, HostileSourceHeadersSampleNothingInside) {
  // A negative or zero source width gives sample columns that no image has.
  for (std::int32_t width : {-4, 0, INT_MIN}) {
    auto bytes = ImageBytes(2, 2, 32, Marker);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(width >> (8 * i));
    refhost::PutMemblock(kSource, bytes);
    refhost::PutMemblock(kTarget, ImageBytes(3, 2, 32, [](int, int) { return 7; }));
    IMStretch(kSource, kTarget);
    EXPECT_TRUE(StoredImage(kTarget).LitPixels().empty()) << "source width " << width;
  }
}

TEST_F(Stretch, Stretch2MakesANewImageOfTheSourceDepth) {
  PutSource(4, 4, 16);
  const std::int32_t n = IMStretch2(kSource, 8, 8);
  ASSERT_EQ(n, 1);
  const StoredImage image(n);
  EXPECT_EQ(image.Size(), 140u);
  EXPECT_EQ(image.Depth(), 16);
  const std::vector<std::int32_t> samples{0, 0, 1, 2, 2, 2, 3, -1};
  ExpectSamples(n, samples, samples);
}

TEST_F(Stretch, Stretch2CallOrder) {
  PutSource(1, 1);
  auto calls = CallsOf([] { EXPECT_EQ(IMStretch2(kSource, 1, 1), 1); });
  const std::vector<refhost::HostCall> start{Mem(MemExists, {kSource}, 1),
                                             Mem(MemReadDword, {kSource, 8}, 32),
                                             Mem(MemExists, {1}, 0),
                                             Mem(MemMake, {1, 16}, 0),
                                             Mem(MemWriteDword, {1, 0, 1}, 0),
                                             Mem(MemWriteDword, {1, 4, 1}, 0),
                                             Mem(MemWriteDword, {1, 8, 32}, 0),
                                             Mem(MemExists, {kSource}, 1),
                                             Mem(MemExists, {1}, 1),
                                             Mem(MemReadDword, {kSource, 0}, 1)};
  ASSERT_GE(calls.size(), start.size());
  EXPECT_EQ(refhost::Describe({calls.begin(), calls.begin() + start.size()}),
            refhost::Describe(start));
  EXPECT_EQ(calls.size(), start.size() + 5 + 10);  // five more header reads, one pixel
}

TEST_F(Stretch, Stretch2Refusals) {
  PutSource(4, 4);
  // A missing source is refused before anything is read or made.
  EXPECT_CALLS(CallsOf([] { EXPECT_EQ(IMStretch2(7, 8, 8), 0); }), Mem(MemExists, {7}, 0));
  EXPECT_TRUE(CallsOf([] { EXPECT_EQ(IMStretch2(0, 8, 8), 0); }).empty());
  // Sizes MakeMemblockImage refuses: no image, no number.
  EXPECT_CALLS(CallsOf([] { EXPECT_EQ(IMStretch2(kSource, 0, 8), 0); }),
               Mem(MemExists, {kSource}, 1), Mem(MemReadDword, {kSource, 8}, 32));
  EXPECT_EQ(IMStretch2(kSource, 8, -1), 0);
  EXPECT_EQ(refhost::MemblockCount(), 1);
  // A source depth the maker refuses: no image, and number 0 is asked about.
  refhost::PutMemblock(kSource, BlankImageBytes(2, 2, 8));
  EXPECT_CALLS(CallsOf([] { EXPECT_EQ(IMStretch2(kSource, 8, 8), 0); }),
               Mem(MemExists, {kSource}, 1), Mem(MemReadDword, {kSource, 8}, 8),
               Mem(MemExists, {kSource}, 1), Mem(MemExists, {0}, 0));
}

TEST_F(Stretch, Stretch2OfAThreeBytePixelSourceLeavesTheNewImageBlank) {
  PutSource(2, 2, 24);
  const std::int32_t n = IMStretch2(kSource, 3, 3);
  ASSERT_NE(n, 0);
  const StoredImage image(n);
  EXPECT_EQ(image.Depth(), 24);
  EXPECT_EQ(image.Size(), 12 + 3 * 3 * 3u);
  const auto bytes = refhost::MemblockBytes(n);
  for (std::size_t i = 12; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], 0) << "byte " << i;
}

}  // namespace
