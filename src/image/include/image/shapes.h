// Circles, squares and boxes drawn into image memblocks, every pixel through
// IMPlot. FillMode 0 draws the outline, 1 fills, anything else draws nothing.
#pragma once

#include <cstdint>

#include "host/host_abi.h"

extern "C" {
// "MBC Circle": centre (x, y).
std::int32_t HOST_CDECL IMCircle(std::int32_t memblock, std::int32_t x, std::int32_t y,
                                 std::int32_t diameter, std::int32_t colour, std::int32_t fillMode);
// "MBC Cube": top-left corner (x, y), side `size`.
std::int32_t HOST_CDECL IMCube(std::int32_t memblock, std::int32_t x, std::int32_t y,
                               std::int32_t size, std::int32_t colour, std::int32_t fillMode);
// "MBC Box": columns left..right and rows top..bottom, inclusive.
std::int32_t HOST_CDECL IMBox(std::int32_t memblock, std::int32_t left, std::int32_t top,
                              std::int32_t right, std::int32_t bottom, std::int32_t colour,
                              std::int32_t fillMode);
}
