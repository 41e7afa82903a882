#include "image/pixel_access.h"

#include "common/wrap.h"
#include "host/bound.h"
#include "host/host_ops.h"
#include "image/layouts.h"
#include "image/memblock_check.h"

namespace image {

using layout::ImageHeader;

std::int32_t PixelOffset(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t bpp) {
  return wrap::Add(wrap::Add(wrap::Mul(x, bpp), wrap::Mul(wrap::Mul(y, width), bpp)),
                   ImageHeader::kPixelsOffset);
}

namespace {

// Where a pixel lies: its byte width (depth / 8) and its byte offset.
struct PixelPlace {
  std::int32_t bpp;
  std::int32_t offset;
};

// Steps shared by plot and read: the memblock exists, its header is read, the
// pixel lies inside. A refused pixel has byte width 0, which neither command
// reads or writes. Always inline, for the reason ReadHeader is.
[[gnu::always_inline]] inline PixelPlace LocatePixel(std::int32_t memblock, std::int32_t x,
                                                     std::int32_t y) {
  if (!MemblockExists(memblock)) return {};
  const ImageInfo info = ReadHeader(memblock);
  if (!(x < info.width && y < info.height)) return {};
  if (!(x >= 0 && y >= 0)) return {};
  const std::int32_t bpp = info.depth / 8;
  return {bpp, PixelOffset(x, y, info.width, bpp)};
}

}  // namespace
}  // namespace image

extern "C" {

std::int32_t HOST_CDECL IMPlot(std::int32_t memblock, std::int32_t x, std::int32_t y,
                               std::int32_t colour) {
  if (!host::MemblockTableBound()) return 0;
  const image::PixelPlace pixel = image::LocatePixel(memblock, x, y);
  if (pixel.bpp == 2) {
    host::MemWriteWordOp(memblock, pixel.offset, colour);
  } else if (pixel.bpp == 4) {
    host::MemWriteDwordOp(memblock, pixel.offset, colour);
  }
  return 0;
}

std::int32_t HOST_CDECL IMGetPixel(std::int32_t memblock, std::int32_t x, std::int32_t y) {
  if (!host::MemblockTableBound()) return 0;
  const image::PixelPlace pixel = image::LocatePixel(memblock, x, y);
  if (pixel.bpp == 2) return host::MemReadWordOp(memblock, pixel.offset);
  if (pixel.bpp == 4) return host::MemReadDwordOp(memblock, pixel.offset);
  return 0;
}

}  // extern "C"
