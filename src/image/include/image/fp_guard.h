// Scoped default SSE floating-point environment for the plug-in's arithmetic.
//
// The host may run with any MXCSR: another rounding direction, flush to zero,
// or unmasked exceptions that would fault on the first inexact product. The
// drawing arithmetic runs under the default setting (round to nearest, every
// exception masked, no flush to zero) and puts the host's value back, status
// flags included, before anything else happens, host calls among it. The x87
// unit takes no part: both targets compute doubles with SSE2.
#pragma once

#include <xmmintrin.h>

namespace image {

class DefaultFloatingPoint {
 public:
  static constexpr unsigned kDefaultMxcsr = 0x1F80;
  // Bits 7-12 mask the six exceptions; bits 13-14 (rounding), 15 (flush to
  // zero), 6 (denormals are zero) and the status flags 0-5 are all clear.
  static_assert(kDefaultMxcsr == (0x3Fu << 7), "exceptions masked, nearest, no flag or flush");

  DefaultFloatingPoint() : saved_(_mm_getcsr()) { _mm_setcsr(kDefaultMxcsr); }
  ~DefaultFloatingPoint() { _mm_setcsr(saved_); }
  DefaultFloatingPoint(const DefaultFloatingPoint&) = delete;
  DefaultFloatingPoint& operator=(const DefaultFloatingPoint&) = delete;

 private:
  unsigned saved_;
};

}  // namespace image
