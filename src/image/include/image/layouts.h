// Memblock layouts written and read by the image commands.
#pragma once

#include <cstdint>

namespace layout {

// Image memblock: a 12-byte header, then pixels row by row from row 0, each
// row from column 0, rows back to back. All fields little-endian.
struct ImageHeader {
  static constexpr std::int32_t kWidthOffset = 0;   // pixels, signed 32-bit
  static constexpr std::int32_t kHeightOffset = 4;  // pixels, signed 32-bit
  static constexpr std::int32_t kDepthOffset = 8;   // bits per pixel, signed 32-bit
  static constexpr std::int32_t kPixelsOffset = 12;
};

// Depths 16 to 23 store 2 bytes a pixel, 32 to 39 store 4; other depths at 16
// or more make valid images that are never plotted or read.
constexpr std::int32_t kMinImageDepth = 16;

// Mesh memblock header as PrepareMeshMemblock writes it.
struct MeshHeader {
  static constexpr std::int32_t kFormatOffset = 0;
  static constexpr std::int32_t kVertexBytesOffset = 4;
  static constexpr std::int32_t kCountOffset = 8;
  // Flexible vertex format: position 0x002, normal 0x010, diffuse colour
  // 0x040, one set of 2-D texture coordinates 0x100.
  static constexpr std::int32_t kVertexFormat = 0x002 | 0x010 | 0x040 | 0x100;  // 338
  static constexpr std::int32_t kVertexBytes = 36;
  // Room for three vertices per unit of count, plus the header and 4 bytes.
  static constexpr std::int32_t kBytesPerCount = 3 * kVertexBytes;  // 108
  static constexpr std::int32_t kFixedBytes = 16;
};
static_assert(MeshHeader::kVertexFormat == 338, "vertex format code");

}  // namespace layout
