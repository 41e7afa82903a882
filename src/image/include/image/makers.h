// The commands that make a memblock and write its header: an image memblock,
// and a mesh memblock. Each takes a fresh number from the allocator
// (numbering::MakeUnderFreshNumber), so that no header lands in a memblock the
// script made itself.
#pragma once

#include <cstdint>

#include "host/host_abi.h"

extern "C" {
// "MBC Make Memblock Image": returns the new image memblock's number, or 0.
std::int32_t HOST_CDECL MakeMemblockImage(std::int32_t width, std::int32_t height,
                                          std::int32_t depth);
// A memblock with a mesh header for `count` (not validated); returns its number.
std::int32_t HOST_CDECL PrepareMeshMemblock(std::int32_t count);
}
