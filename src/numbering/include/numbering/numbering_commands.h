// Script commands that make, delete, count and clear memblocks under numbers
// the allocator hands out. All return 0 and call nothing until
// host::CompanionBound() (host/bound.h).
#pragma once

#include <cstdint>

#include "host/host_abi.h"

namespace numbering {

// For the makers that write a header: like MBC_DynamicMake, but a number that
// already names a memblock the script made itself is passed over (it stays
// handed out, as MBC_DynamicMake leaves it) and the next number is tried, so
// the header never lands in the script's own memblock. Returns the number
// under which MemMake was called, or 0 before binding or when the host
// reports kMaxFree numbers in a row as taken.
std::int32_t MakeUnderFreshNumber(std::int32_t size);

}  // namespace numbering

extern "C" {
// "MBC Make Memblock": a new memblock of `size` bytes under a fresh number.
std::int32_t HOST_CDECL MBC_DynamicMake(std::int32_t size);
// "MBC Delete Memblock": deletes the memblock and takes its number back.
std::int32_t HOST_CDECL MBC_Delete(std::int32_t n);
// "MBC Exist Memblock Count": numbers handed out and not taken back.
std::int32_t HOST_CDECL MBC_Count();
// "MBC Clear All Memblocks": deletes memblocks HighWater..1, forgets all numbers.
std::int32_t HOST_CDECL MBC_Clear();

// "MBC Make Memblock From Array/Bitmap/Image/Mesh/Sound".
std::int32_t HOST_CDECL MBC_DynamicMakeFromArray(std::int32_t array);
std::int32_t HOST_CDECL MBC_DynamicMakeFromBitmap(std::int32_t bitmap);
std::int32_t HOST_CDECL MBC_DynamicMakeFromImage(std::int32_t image);
std::int32_t HOST_CDECL MBC_DynamicMakeFromMesh(std::int32_t mesh);
std::int32_t HOST_CDECL MBC_DynamicMakeFromSound(std::int32_t sound);
// "MBC Clone Memblock": a copy of `source` under a fresh number.
std::int32_t HOST_CDECL MBC_CloneMemblock(std::int32_t source);
}
