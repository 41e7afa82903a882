// The memblock number allocator: hands out the lowest number taken back, or
// else the next number above all handed out.
//
// FreeStack positions 1 to FreeCount hold the numbers taken back, largest at
// position 1 and smallest at position FreeCount; position 0 holds no number.
// Numbers wrap in 32 bits like every other integer the host passes.
#pragma once

#include <cstdint>

namespace numbering {

constexpr std::int32_t kFreeStackEntries = 65538;
// The most numbers FreeStack can hold (positions 1 to 65537).
constexpr std::int32_t kMaxFree = kFreeStackEntries - 1;

// The highest number handed out and not taken back at the top.
extern std::int32_t HighWater;
// How many numbers FreeStack holds; never negative, never above kMaxFree.
extern std::int32_t FreeCount;
// Static storage: nothing to allocate at load time, nothing that could fail,
// and zero at every load of the library. Nothing reads an entry that was not
// written first, so it is never filled again.
extern std::int32_t FreeStack[kFreeStackEntries];

std::int32_t AllocateNumber();
// Takes a number back. When FreeStack is already full the number is dropped
// instead of stored (it is not handed out again until ResetNumbers); nothing
// is ever written past the stack. Returns 0.
std::int32_t ReleaseNumber(std::int32_t n);
// Puts v at its sorted place; FreeCount already counts the new entry and
// position FreeCount holds 0. Returns the position.
std::int32_t InsertFree(std::int32_t v);
// Forgets all numbers; FreeStack's contents are left as they are.
void ResetNumbers();
// HighWater minus FreeCount, wrapping in 32 bits.
std::int32_t NumbersInUse();

}  // namespace numbering
