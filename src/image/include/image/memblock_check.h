// The first test of every pixel, drawing and stretching command.
#pragma once

#include <cstdint>

#include "host/host_ops.h"

namespace image {

// True when `memblock` is a valid number and the host says it exists; the host
// is asked only for numbers from 1 up.
inline bool MemblockExists(std::int32_t memblock) {
  return memblock >= 1 && host::MemExistsOp(memblock) == 1;
}

}  // namespace image
