// Single pixels of an image memblock: its header, a pixel's offset, plot and
// get pixel. Like every image command, plot and get pixel test
// host::MemblockTableBound() first (host/bound.h), then call the host's
// operations as they are.
#pragma once

#include <cstdint>

#include "host/host_abi.h"
#include "host/host_ops.h"
#include "image/layouts.h"

namespace image {

// The three header fields of an image memblock, read from the host.
struct ImageInfo {
  std::int32_t width;
  std::int32_t height;
  std::int32_t depth;
};

// Reads width, height and depth, in that order. Inline, so that the fields go
// straight into registers: returned from a call, x86-64 packs width and height
// into one register through memory, and reading them back stalls the
// processor at every pixel plotted or read.
inline ImageInfo ReadHeader(std::int32_t memblock) {
  using layout::ImageHeader;
  ImageInfo info;
  info.width = host::MemReadDwordOp(memblock, ImageHeader::kWidthOffset);
  info.height = host::MemReadDwordOp(memblock, ImageHeader::kHeightOffset);
  info.depth = host::MemReadDwordOp(memblock, ImageHeader::kDepthOffset);
  return info;
}

// Byte offset of pixel (x, y): x * bpp + y * width * bpp + 12, wrapping in 32 bits.
std::int32_t PixelOffset(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t bpp);

}  // namespace image

extern "C" {
// "MBC Plot": sets one pixel. Returns 0.
std::int32_t HOST_CDECL IMPlot(std::int32_t memblock, std::int32_t x, std::int32_t y,
                               std::int32_t colour);
// "MBC Get Pixel": one pixel's value, or 0.
std::int32_t HOST_CDECL IMGetPixel(std::int32_t memblock, std::int32_t x, std::int32_t y);
}
