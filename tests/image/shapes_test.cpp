// Circles, squares and boxes: the pixels set, the order of the plots, clipping,
// refusals and hostile arguments.
#include "image/shapes.h"

#include <climits>
#include <cmath>

#include "image_fixture.h"

using namespace host;

namespace {

constexpr std::int32_t kImage = 1;
constexpr std::int32_t kColour = 0x00ABCDEF;
constexpr std::size_t kRing = 361;

class Shapes : public BoundHost {
 protected:
  void PutImage(std::int32_t width, std::int32_t height) {
    refhost::PutMemblock(kImage, BlankImageBytes(width, height));
  }
};

TEST_F(Shapes, OddDiameterFirstSampleTiesToTheEvenColumn) {
  PutImage(32, 32);
  auto calls = CallsOf([] { EXPECT_EQ(IMCircle(kImage, 10, 20, 5, kColour, 0), 0); });
  ASSERT_EQ(CountSlot(calls, MemWriteDword), kRing);
  EXPECT_EQ(WrittenPixels(calls, 32).front(), Point(12, 20));  // 12.5 -> 12

  calls = CallsOf([] { IMCircle(kImage, 11, 20, 5, kColour, 0); });
  EXPECT_EQ(WrittenPixels(calls, 32).front(), Point(14, 20));  // 13.5 -> 14
}

TEST_F(Shapes, DiameterOneRingPlots361PointsOnTheCentreButTheFirst) {
  PutImage(32, 32);
  auto calls = CallsOf([] { IMCircle(kImage, 11, 20, 1, kColour, 0); });
  std::vector<Point> written = WrittenPixels(calls, 32);
  ASSERT_EQ(written.size(), kRing);
  EXPECT_EQ(written[0], Point(12, 20));  // 11.5 goes to the even 12
  for (std::size_t k = 1; k < kRing; ++k) ASSERT_EQ(written[k], Point(11, 20)) << "k = " << k;

  calls = CallsOf([] { IMCircle(kImage, 10, 20, 1, kColour, 0); });
  written = WrittenPixels(calls, 32);
  EXPECT_EQ(std::set<Point>(written.begin(), written.end()), (std::set<Point>{{10, 20}}));
}

TEST_F(Shapes, FilledCircleShrinksOnePixelPerRingThenPlotsTheCentre) {
  PutImage(64, 64);
  struct Case {
    std::int32_t diameter;
    std::vector<std::int32_t> firstColumns;  // first sample of each ring, centre (31, 40)
  };
  for (const Case& c : {Case{4, {33, 32}}, Case{5, {34, 32, 32}}, Case{2, {32}}}) {
    auto calls = CallsOf([&] { IMCircle(kImage, 31, 40, c.diameter, kColour, 1); });
    const std::vector<Point> written = WrittenPixels(calls, 64);
    ASSERT_EQ(written.size(), c.firstColumns.size() * kRing + 1) << "diameter " << c.diameter;
    for (std::size_t ring = 0; ring < c.firstColumns.size(); ++ring) {
      EXPECT_EQ(written[ring * kRing], Point(c.firstColumns[ring], 40))
          << "diameter " << c.diameter << ", ring " << ring;
    }
    EXPECT_EQ(written.back(), Point(31, 40));
  }
}

TEST_F(Shapes, LargeRingIsDottedAndEveryPointLiesOnIt) {
  PutImage(256, 256);
  IMCircle(kImage, 128, 128, 200, kColour, 0);
  const std::set<Point> lit = StoredImage(kImage).LitPixels();
  EXPECT_LE(lit.size(), kRing);
  EXPECT_GT(lit.size(), 300u);  // the angles k radians spread all round
  for (const Point& p : lit) {
    // Each coordinate is rounded by at most half a pixel.
    const double distance = std::hypot(p.first - 128.0, p.second - 128.0);
    EXPECT_NEAR(distance, 100.0, 0.71) << p.first << ", " << p.second;
  }
}

TEST_F(Shapes, CircleIsClippedPixelByPixel) {
  // The same circle drawn whole in a large image and clipped in a small one.
  constexpr std::int32_t kShift = 40;
  PutImage(100, 100);
  IMCircle(kImage, -5 + kShift, 3 + kShift, 30, kColour, 1);
  std::set<Point> expected;
  for (const Point& p : StoredImage(kImage).LitPixels()) {
    const Point moved{p.first - kShift, p.second - kShift};
    if (moved.first >= 0 && moved.first < 16 && moved.second >= 0 && moved.second < 16) {
      expected.insert(moved);
    }
  }
  ASSERT_FALSE(expected.empty());

  PutImage(16, 16);
  IMCircle(kImage, -5, 3, 30, kColour, 1);
  EXPECT_EQ(StoredImage(kImage).LitPixels(), expected);

  // Wholly outside: every point is tried, none is written.
  auto calls = CallsOf([] { IMCircle(kImage, 100, 100, 10, kColour, 0); });
  EXPECT_EQ(calls.size(), 1 + kRing * 4);
  EXPECT_EQ(CountSlot(calls, MemWriteDword), 0u);
}

TEST_F(Shapes, NothingIsDrawnForBadDiameterFillModeOrMemblock) {
  PutImage(8, 8);
  for (auto draw :
       {+[] { IMCircle(kImage, 4, 4, 0, kColour, 1); },
        +[] { IMCircle(kImage, 4, 4, -3, kColour, 0); },
        +[] { IMCircle(kImage, 4, 4, 5, kColour, 2); },
        +[] { IMCube(kImage, 4, 4, 3, kColour, -1); }, +[] { IMCube(kImage, 4, 4, 0, kColour, 1); },
        +[] { IMCube(kImage, 4, 4, INT_MIN, kColour, 0); },
        +[] { IMBox(kImage, 1, 1, 3, 3, kColour, 2); }}) {
    EXPECT_CALLS(CallsOf(draw), Mem(MemExists, {kImage}, 1));
  }
  EXPECT_CALLS(CallsOf([] { IMCircle(2, 4, 4, 5, kColour, 0); }), Mem(MemExists, {2}, 0));
  EXPECT_CALLS(CallsOf([] { IMBox(2, 1, 1, 3, 3, kColour, 1); }), Mem(MemExists, {2}, 0));
  EXPECT_TRUE(CallsOf([] { IMCube(0, 1, 1, 3, kColour, 1); }).empty());
  EXPECT_TRUE(CallsOf([] { IMCircle(-1, 1, 1, 3, kColour, 1); }).empty());
  EXPECT_TRUE(StoredImage(kImage).LitPixels().empty());
}

TEST_F(Shapes, HostileCircleCoordinatesAreClippedWithoutOverflow) {
  PutImage(8, 8);
  // A ring of diameter INT_MAX: points about 1e9 away, all outside.
  auto calls = CallsOf([] { IMCircle(kImage, 0, 0, INT_MAX, kColour, 0); });
  EXPECT_EQ(calls.size(), 1 + kRing * 4);
  // Samples beyond the 32-bit range become INT_MIN, outside every image.
  for (std::int32_t centre : {INT_MAX, INT_MIN}) {
    calls = CallsOf([&] { IMCircle(kImage, centre, centre, INT_MAX, kColour, 0); });
    EXPECT_EQ(calls.size(), 1 + kRing * 4);
    calls = CallsOf([&] { IMCircle(kImage, centre, 4, 9, kColour, 1); });
    EXPECT_EQ(CountSlot(calls, MemWriteDword), 0u);
  }
  EXPECT_TRUE(StoredImage(kImage).LitPixels().empty());
}

TEST_F(Shapes, CubeOutlineAndFillInTheirPlottingOrder) {
  PutImage(32, 32);
  auto calls = CallsOf([] { IMCube(kImage, 10, 20, 3, kColour, 0); });
  const std::vector<Point> outline{{10, 20}, {10, 20}, {10, 22}, {12, 20},  // i = 0
                                   {11, 20}, {10, 21}, {11, 22}, {12, 21},  // i = 1
                                   {12, 20}, {10, 22}, {12, 22}, {12, 22}};
  EXPECT_EQ(WrittenPixels(calls, 32), outline);
  EXPECT_EQ(StoredImage(kImage).LitPixels().size(), 8u);
  EXPECT_EQ(StoredImage(kImage).Pixel(11, 21), 0);

  calls = CallsOf([] { IMCube(kImage, 10, 20, 3, kColour, 1); });
  const std::vector<Point> filled{{10, 20}, {10, 21}, {10, 22}, {11, 20}, {11, 21},
                                  {11, 22}, {12, 20}, {12, 21}, {12, 22}};
  EXPECT_EQ(WrittenPixels(calls, 32), filled);
}

TEST_F(Shapes, CubeOfSizeOnePlotsWhateverTheFillMode) {
  PutImage(8, 8);
  for (std::int32_t fill : {0, 1, 5, -7}) {
    auto calls = CallsOf([&] { IMCube(kImage, 3, 4, 1, kColour, fill); });
    EXPECT_CALLS(calls, Mem(MemExists, {kImage}, 1), Mem(MemExists, {kImage}, 1),
                 Mem(MemReadDword, {kImage, 0}, 8), Mem(MemReadDword, {kImage, 4}, 8),
                 Mem(MemReadDword, {kImage, 8}, 32),
                 Mem(MemWriteDword, {kImage, 3 * 4 + 4 * 8 * 4 + 12, kColour}, 0));
  }
}

TEST_F(Shapes, CubeWithWrappingFarCorner) {
  PutImage(8, 8);
  // x2 = INT_MAX - 1 + 3 wraps below x: the filled square draws nothing.
  auto calls = CallsOf([] { IMCube(kImage, INT_MAX - 1, 0, 4, kColour, 1); });
  EXPECT_CALLS(calls, Mem(MemExists, {kImage}, 1));
  calls = CallsOf([] { IMCube(kImage, 0, INT_MAX, 2, kColour, 1); });
  EXPECT_CALLS(calls, Mem(MemExists, {kImage}, 1));
  // The outline still walks its 4 x size points; the wrapped ones are clipped,
  // and so are the ones at the far side of the 32-bit range.
  calls = CallsOf([] { IMCube(kImage, INT_MAX - 1, INT_MAX - 1, 4, kColour, 0); });
  EXPECT_EQ(calls.size(), 1 + 16 * 4u);
  // A square ending exactly at INT_MAX is drawn (and clipped) and ends.
  calls = CallsOf([] { IMCube(kImage, INT_MAX - 2, 0, 3, kColour, 1); });
  EXPECT_EQ(calls.size(), 1 + 9 * 4u);
  EXPECT_TRUE(StoredImage(kImage).LitPixels().empty());
}

TEST_F(Shapes, CubePartlyOutsideSetsOnlyItsInsidePixels) {
  PutImage(4, 4);
  IMCube(kImage, -1, -1, 3, kColour, 1);
  EXPECT_EQ(StoredImage(kImage).LitPixels(), (std::set<Point>{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
}

TEST_F(Shapes, BoxOutlineRowsThenColumns) {
  PutImage(8, 8);
  auto calls = CallsOf([] { IMBox(kImage, 2, 3, 5, 4, kColour, 0); });
  const std::vector<Point> order{{2, 3}, {2, 4}, {3, 3}, {3, 4}, {4, 3}, {4, 4},
                                 {5, 3}, {5, 4}, {2, 3}, {5, 3}, {2, 4}, {5, 4}};
  EXPECT_EQ(WrittenPixels(calls, 8), order);
  EXPECT_EQ(StoredImage(kImage).LitPixels().size(), 8u);

  PutImage(8, 8);
  IMBox(kImage, 2, 3, 5, 6, kColour, 0);
  const std::set<Point> lit = StoredImage(kImage).LitPixels();
  EXPECT_EQ(lit.size(), 12u);
  for (Point inside : {Point{3, 4}, Point{4, 4}, Point{3, 5}, Point{4, 5}}) {
    EXPECT_EQ(lit.count(inside), 0u);
  }
}

TEST_F(Shapes, FilledBoxColumnsOuterRowsInner) {
  PutImage(8, 8);
  auto calls = CallsOf([] { IMBox(kImage, 1, 2, 2, 4, kColour, 1); });
  EXPECT_EQ(WrittenPixels(calls, 8),
            (std::vector<Point>{{1, 2}, {1, 3}, {1, 4}, {2, 2}, {2, 3}, {2, 4}}));
  calls = CallsOf([] { IMBox(kImage, 6, 6, 6, 6, kColour, 0); });  // one pixel, plotted 4 times
  EXPECT_EQ(WrittenPixels(calls, 8), std::vector<Point>(4, Point{6, 6}));
}

TEST_F(Shapes, BoxWithEdgesSwappedDrawsTheOrderedBox) {
  PutImage(8, 8);
  for (std::int32_t fill : {0, 1}) {
    const auto ordered = CallsOf([&] { IMBox(kImage, 2, 3, 5, 6, kColour, fill); });
    EXPECT_EQ(refhost::Describe(CallsOf([&] { IMBox(kImage, 5, 6, 2, 3, kColour, fill); })),
              refhost::Describe(ordered));
    EXPECT_EQ(refhost::Describe(CallsOf([&] { IMBox(kImage, 2, 6, 5, 3, kColour, fill); })),
              refhost::Describe(ordered));
  }
}

TEST_F(Shapes, BoxesEndingAtTheLimitsOfTheRangeEnd) {
  PutImage(8, 8);
  auto calls = CallsOf([] { IMBox(kImage, INT_MAX - 2, 0, INT_MAX, 1, kColour, 1); });
  EXPECT_EQ(calls.size(), 1 + 6 * 4u);
  calls = CallsOf([] { IMBox(kImage, INT_MAX - 2, 0, INT_MAX, 1, kColour, 0); });
  EXPECT_EQ(calls.size(), 1 + (3 * 2 + 2 * 2) * 4u);
  calls = CallsOf([] { IMBox(kImage, 0, INT_MAX, 1, INT_MAX - 1, kColour, 1); });
  EXPECT_EQ(calls.size(), 1 + 4 * 4u);
  calls = CallsOf([] { IMBox(kImage, INT_MIN + 1, INT_MIN, INT_MIN, INT_MIN, kColour, 0); });
  EXPECT_EQ(calls.size(), 1 + (2 * 2 + 1 * 2) * 4u);
  EXPECT_TRUE(StoredImage(kImage).LitPixels().empty());
}

TEST_F(Shapes, BoxPartlyOutsideAndTwoBytePixels) {
  refhost::PutMemblock(kImage, BlankImageBytes(4, 4, 16));
  auto calls = CallsOf([] { IMBox(kImage, -2, -2, 1, 0, 0x12345678, 1); });
  EXPECT_EQ(CountSlot(calls, MemWriteWord), 2u);
  const StoredImage image(kImage);
  EXPECT_EQ(image.LitPixels(), (std::set<Point>{{0, 0}, {1, 0}}));
  EXPECT_EQ(image.Pixel(1, 0), 0x5678);
}

}  // namespace
