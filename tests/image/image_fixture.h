// Helpers shared by the shape and stretch tests: images put straight into the
// reference store, and the pixels a command wrote, read back by position.
#pragma once

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "host_fixture.h"

using Point = std::pair<std::int32_t, std::int32_t>;  // (x, y)

// Bytes of a width x height image memblock of the given depth, every pixel
// value(x, y) (stored whole at 4 bytes, as its low 16 bits at 2).
template <typename Value>
std::vector<std::uint8_t> ImageBytes(std::int32_t width, std::int32_t height, std::int32_t depth,
                                     Value value) {
  const std::int32_t bpp = depth / 8;
  // A header that names no pixels (a width or height of 0 or below) gets none.
  const std::size_t pixels = width > 0 && height > 0 ? static_cast<std::size_t>(width) * height : 0;
  std::vector<std::uint8_t> bytes(12 + pixels * static_cast<std::size_t>(bpp), 0);
  auto put = [&bytes](std::size_t at, std::uint32_t v, int count) {
    for (int i = 0; i < count; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  put(0, static_cast<std::uint32_t>(width), 4);
  put(4, static_cast<std::uint32_t>(height), 4);
  put(8, static_cast<std::uint32_t>(depth), 4);
  if (bpp == 2 || bpp == 4) {
    for (std::int32_t y = 0; y < height; ++y) {
      for (std::int32_t x = 0; x < width; ++x) {
        put(12 + static_cast<std::size_t>((y * width + x) * bpp),
            static_cast<std::uint32_t>(value(x, y)), bpp);
      }
    }
  }
  return bytes;
}

inline std::vector<std::uint8_t> BlankImageBytes(std::int32_t width, std::int32_t height,
                                                 std::int32_t depth = 32) {
  return ImageBytes(width, height, depth, [](std::int32_t, std::int32_t) { return 0; });
}

// Reads image memblock n from the store, unlogged.
class StoredImage {
 public:
  explicit StoredImage(std::int32_t n) : bytes_(refhost::MemblockBytes(n)) {}
  std::int32_t Width() const { return Field(0); }
  std::int32_t Height() const { return Field(4); }
  std::int32_t Depth() const { return Field(8); }
  std::size_t Size() const { return bytes_.size(); }
  std::int32_t Pixel(std::int32_t x, std::int32_t y) const {
    const std::int32_t bpp = Depth() / 8;
    const std::size_t at = 12 + static_cast<std::size_t>((y * Width() + x) * bpp);
    std::uint32_t v = 0;
    for (int i = 0; i < bpp; ++i) v |= static_cast<std::uint32_t>(bytes_[at + i]) << (8 * i);
    return static_cast<std::int32_t>(v);
  }
  // Every pixel whose value is not 0.
  std::set<Point> LitPixels() const {
    std::set<Point> lit;
    for (std::int32_t y = 0; y < Height(); ++y) {
      for (std::int32_t x = 0; x < Width(); ++x) {
        if (Pixel(x, y) != 0) lit.insert({x, y});
      }
    }
    return lit;
  }

 private:
  std::int32_t Field(std::size_t at) const { return refhost::DwordAt(bytes_, at); }
  std::vector<std::uint8_t> bytes_;
};

// The pixels written by `calls` into a 32-bit image of the given width, in the
// order written, recovered from the MemWriteDword offsets.
inline std::vector<Point> WrittenPixels(const std::vector<refhost::HostCall>& calls,
                                        std::int32_t width) {
  std::vector<Point> written;
  for (const refhost::HostCall& call : calls) {
    if (call.table != refhost::Table::Memblock || call.slot != host::MemWriteDword) continue;
    const std::int32_t index = (call.args[1] - 12) / 4;
    written.push_back({index % width, index / width});
  }
  return written;
}

inline std::size_t CountSlot(const std::vector<refhost::HostCall>& calls, int slot) {
  std::size_t n = 0;
  for (const refhost::HostCall& call : calls) n += call.slot == slot ? 1 : 0;
  return n;
}
