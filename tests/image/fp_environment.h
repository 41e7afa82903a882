// Reading and setting the two floating-point control words a host may change:
// the SSE MXCSR and the x87 control word. Both targets are x86.
#pragma once

#include <xmmintrin.h>

#include <cstdint>

struct FpControl {
  unsigned mxcsr;
  std::uint16_t x87;
};

inline bool operator==(FpControl a, FpControl b) {
  return a.mxcsr == b.mxcsr && a.x87 == b.x87;
}

inline FpControl CurrentFpControl() {
  FpControl control{_mm_getcsr(), 0};
  __asm__ volatile("fnstcw %0" : "=m"(control.x87));
  return control;
}

inline void SetFpControl(FpControl control) {
  _mm_setcsr(control.mxcsr);
  __asm__ volatile("fldcw %0" : : "m"(control.x87));
}

// MXCSR fields.
constexpr unsigned kMxcsrAllFlags = 0x003F;
constexpr unsigned kMxcsrDenormalsAreZero = 0x0040;
constexpr unsigned kMxcsrAllMasks = 0x1F80;
constexpr unsigned kMxcsrRoundDown = 0x2000;
constexpr unsigned kMxcsrRoundUp = 0x4000;
constexpr unsigned kMxcsrRoundTowardZero = 0x6000;
constexpr unsigned kMxcsrFlushToZero = 0x8000;
// x87 control word: every exception masked, then precision and rounding.
constexpr std::uint16_t kX87AllMasks = 0x007F;
constexpr std::uint16_t kX87SinglePrecision = 0x0000;
constexpr std::uint16_t kX87RoundDown = 0x0400;
constexpr std::uint16_t kX87RoundUp = 0x0800;
constexpr std::uint16_t kX87RoundTowardZero = 0x0C00;

// Control words a host could hand over: other rounding directions, flush to
// zero, unmasked SSE exceptions (an inexact product would then fault), single
// precision on the x87 unit, sticky flags already raised.
constexpr FpControl kHostileControls[] = {
    {kMxcsrRoundDown | kMxcsrFlushToZero | kMxcsrDenormalsAreZero,
     kX87AllMasks | kX87SinglePrecision | kX87RoundDown},
    {kMxcsrRoundUp, kX87AllMasks | kX87SinglePrecision | kX87RoundUp},
    {kMxcsrRoundTowardZero | kMxcsrAllMasks | kMxcsrAllFlags,
     kX87AllMasks | kX87SinglePrecision | kX87RoundTowardZero},
};
