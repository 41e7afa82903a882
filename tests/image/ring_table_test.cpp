// The ring directions are cos(k) and sin(k) correctly rounded: each entry is
// the double nearest to libquadmath's 113-bit value, on both targets. (The
// maths libraries of the two targets are off by an ulp for a few of these
// angles; see docs/shapes-and-stretching.md.)
#include "image/ring_table.h"

#include <gtest/gtest.h>
#include <quadmath.h>

#include <cmath>

namespace {

__float128 Error(double rounded, __float128 exact) {
  const __float128 d = static_cast<__float128>(rounded) - exact;
  return d < 0 ? -d : d;
}

// True when no neighbour of `rounded` lies nearer to `exact`, with a margin
// (relative to the value) far beyond the error of the 113-bit value.
bool IsCorrectlyRounded(double rounded, __float128 exact) {
  const __float128 margin = (exact < 0 ? -exact : exact) * std::ldexp(1.0, -100);
  return Error(rounded, exact) + margin < Error(std::nextafter(rounded, 2.0), exact) &&
         Error(rounded, exact) + margin < Error(std::nextafter(rounded, -2.0), exact);
}

TEST(RingTable, EveryEntryIsCorrectlyRounded) {
  for (int k = 0; k < image::kRingSamples; ++k) {
    EXPECT_TRUE(IsCorrectlyRounded(image::kRingPoints[k].cos, cosq(k))) << "cos(" << k << ")";
    EXPECT_TRUE(IsCorrectlyRounded(image::kRingPoints[k].sin, sinq(k))) << "sin(" << k << ")";
  }
}

}  // namespace
