// The ring directions are cos(k) and sin(k) correctly rounded: each entry is
// the double nearest to libquadmath's 113-bit value, on both targets. (The
// maths libraries of the two targets are off by an ulp for a few of these
// angles; see docs/shapes-and-stretching.md.)
#include "image/ring_table.h"

#include <gtest/gtest.h>
#include <quadmath.h>

#include <cmath>

namespace {

// True when no neighbour of `rounded` lies nearer to `exact`, with a margin
// (relative to the value) far beyond the error of the 113-bit value.
bool IsCorrectlyRounded(double rounded, __float128 exact) {
  const __float128 error = fabsq(rounded - exact) + fabsq(exact) * std::ldexp(1.0, -100);
  return error < fabsq(std::nextafter(rounded, 2.0) - exact) &&
         error < fabsq(std::nextafter(rounded, -2.0) - exact);
}

TEST(RingTable, EveryEntryIsCorrectlyRounded) {
  for (int k = 0; k < image::kRingSamples; ++k) {
    EXPECT_TRUE(IsCorrectlyRounded(image::kRingPoints[k].cos, cosq(k))) << "cos(" << k << ")";
    EXPECT_TRUE(IsCorrectlyRounded(image::kRingPoints[k].sin, sinq(k))) << "sin(" << k << ")";
  }
}

}  // namespace
