#include "numbering/allocator.h"

#include "common/wrap.h"

namespace numbering {

std::int32_t HighWater = 0;
std::int32_t FreeCount = 0;
std::int32_t FreeStack[kFreeStackEntries] = {};

std::int32_t AllocateNumber() {
  if (FreeCount == 0) {
    HighWater = wrap::Add(HighWater, 1);
    return HighWater;
  }
  const std::int32_t n = FreeStack[FreeCount];
  --FreeCount;
  return n;
}

std::int32_t ReleaseNumber(std::int32_t n) {
  if (n < 1) return 0;
  if (n == HighWater) {
    // No cascading: free numbers just below the old top stay on the stack.
    HighWater = wrap::Sub(HighWater, 1);
    return 0;
  }
  if (FreeCount >= kMaxFree) return 0;
  ++FreeCount;
  FreeStack[FreeCount] = 0;
  InsertFree(n);
  return 0;
}

std::int32_t InsertFree(std::int32_t v) {
  // The first position i below FreeCount where v is greater than the entry
  // and (past position 1) below the one above it; else FreeCount.
  const auto fits = [v](std::int32_t i) { return v > FreeStack[i] && v < FreeStack[i - 1]; };
  std::int32_t i = 1;
  // Position FreeCount holds 0, below every number, so a stack of one entry
  // never enters the walk.
  if (!(v > FreeStack[1])) {
    // Eight positions at a time while none of them fits, one branch for the
    // eight (about half the time of a branch per position over a full stack);
    // then one by one.
    for (i = 2; i + 8 <= FreeCount; i += 8) {
      bool any = false;
      for (std::int32_t k = 0; k < 8; ++k) any |= fits(i + k);
      if (any) break;
    }
    while (i < FreeCount && !fits(i)) ++i;
  }
  for (std::int32_t j = FreeCount; j > i; --j) FreeStack[j] = FreeStack[j - 1];
  FreeStack[i] = v;
  return i;
}

void ResetNumbers() {
  HighWater = 0;
  FreeCount = 0;
}

std::int32_t NumbersInUse() {
  return wrap::Sub(HighWater, FreeCount);
}

}  // namespace numbering
