#include "host_call_floor.h"

#include "common/wrap.h"

namespace bench {

std::int32_t HostCallFloor::Locate(std::int32_t memblock, std::int32_t x, std::int32_t y) const {
  if (Exists(memblock) != 1) return -1;
  const std::int32_t width = ReadDword(memblock, 0);
  const std::int32_t height = ReadDword(memblock, 4);
  const std::int32_t bpp = ReadDword(memblock, 8) / 8;
  if (!(x < width && y < height && x >= 0 && y >= 0) || bpp != 4) return -1;
  return wrap::Add(wrap::Add(wrap::Mul(x, bpp), wrap::Mul(wrap::Mul(y, width), bpp)), 12);
}

void HostCallFloor::Plot(std::int32_t memblock, std::int32_t x, std::int32_t y,
                         std::int32_t colour) const {
  const std::int32_t offset = Locate(memblock, x, y);
  if (offset >= 0) Op<host::Op3>(host::MemWriteDword)(memblock, offset, colour);
}

std::int32_t HostCallFloor::GetPixel(std::int32_t memblock, std::int32_t x, std::int32_t y) const {
  const std::int32_t offset = Locate(memblock, x, y);
  return offset >= 0 ? Op<host::Op2>(host::MemReadDword)(memblock, offset) : 0;
}

}  // namespace bench
