// Rounding of a double to a 32-bit integer, to nearest with ties to even.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "image/fp_guard.h"

namespace image {

// The integer nearest to v, ties to even. A result outside the 32-bit range,
// and NaN, give INT_MIN (0x80000000); every drawing command then sees a
// coordinate that no image contains.
//
// This is the processor's own conversion, which rounds as MXCSR says: the
// DefaultFloatingPoint argument, alive for the duration of the call, is what
// makes that round to nearest with ties to even, whatever mode the host set.
// One instruction rather than rounding by hand, for speed: docs/performance.md
// has what rounding by hand cost.
inline std::int32_t RoundHalfEven(double v, const DefaultFloatingPoint& /*defaultMode*/) {
  return _mm_cvtsd_si32(_mm_set_sd(v));
}

}  // namespace image
