// Rounding to nearest with ties to even under the scoped default SSE mode,
// whatever mode the host had set, and that mode restored afterwards.
#include "image/rounding.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>
#include <random>

#include "fp_environment.h"
#include "image/fp_guard.h"

namespace {

using image::RoundHalfEven;

struct Rounded {
  double value;
  std::int32_t expected;
};

const Rounded kCases[] = {
    {0.0, 0},
    {-0.0, 0},
    {0.5, 0},
    {1.5, 2},
    {2.5, 2},
    {-0.5, 0},
    {-1.5, -2},
    {-2.5, -2},
    {0.49999999999999994, 0},
    {0.5000000000000001, 1},
    {-0.5000000000000001, -1},
    {12.5, 12},
    {13.5, 14},
    {4.999999999999999, 5},
    {1e-300, 0},
    {2147483646.5, 2147483646},
    {2147483647.4999998, INT_MAX},
    {-2147483647.5, INT_MIN},  // the even neighbour is -2147483648
    {-2147483648.5, INT_MIN},  // the same, still in range
    // Outside the 32-bit range, and NaN: INT_MIN, as the processor converts.
    {2147483647.5, INT_MIN},
    {2147483648.0, INT_MIN},
    {-2147483648.5000005, INT_MIN},
    {1e300, INT_MIN},
    {std::numeric_limits<double>::infinity(), INT_MIN},
    {-std::numeric_limits<double>::infinity(), INT_MIN},
    {std::numeric_limits<double>::quiet_NaN(), INT_MIN},
};

TEST(RoundHalfEven, TiesGoToEvenWhateverModeTheHostSet) {
  const FpControl saved = CurrentFpControl();
  for (const FpControl& host : kHostileControls) {
    for (const Rounded& c : kCases) {
      SetFpControl(host);
      std::int32_t got = 0;
      {
        const image::DefaultFloatingPoint defaultMode;
        got = RoundHalfEven(c.value, defaultMode);
      }
      SetFpControl(saved);
      EXPECT_EQ(got, c.expected) << std::hexfloat << c.value << " under MXCSR " << host.mxcsr;
    }
  }
}

TEST(RoundHalfEven, AgreesWithNearbyintInTheDefaultMode) {
  std::mt19937_64 random(12345);
  std::uniform_int_distribution<std::int32_t> whole(INT_MIN, INT_MAX);
  std::uniform_int_distribution<int> eighths(-8, 8);
  const image::DefaultFloatingPoint defaultMode;
  for (int i = 0; i < 100000; ++i) {
    const double v = whole(random) / 2 + eighths(random) / 8.0;  // many exact ties
    ASSERT_EQ(RoundHalfEven(v, defaultMode), static_cast<std::int32_t>(std::nearbyint(v)))
        << std::hexfloat << v;
  }
}

TEST(DefaultFloatingPoint, SetsTheDefaultAndRestoresEveryBitOfTheHostsMode) {
  const unsigned saved = _mm_getcsr();
  for (const FpControl& hostile : kHostileControls) {
    _mm_setcsr(hostile.mxcsr);
    unsigned inside = 0;
    {
      const image::DefaultFloatingPoint defaultMode;
      inside = _mm_getcsr();
      volatile double third = 1.0;
      third = third / 3.0;  // inexact: would fault if exceptions stayed unmasked
    }
    const unsigned after = _mm_getcsr();
    _mm_setcsr(saved);
    EXPECT_EQ(inside & ~kMxcsrAllFlags, image::DefaultFloatingPoint::kDefaultMxcsr);
    EXPECT_EQ(after, hostile.mxcsr);
  }
}

}  // namespace
