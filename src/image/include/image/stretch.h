// Nearest-neighbour stretching of one image memblock into another.
#pragma once

#include <cstdint>

#include "host/host_abi.h"

extern "C" {
// "MBC Stretch Image" into an existing target. Returns 0.
std::int32_t HOST_CDECL IMStretch(std::int32_t source, std::int32_t target);
// "MBC Stretch Image" into a new image of width x height; returns its number.
std::int32_t HOST_CDECL IMStretch2(std::int32_t source, std::int32_t width, std::int32_t height);
}
