// Nearest-neighbour stretching, every pixel read through IMGetPixel and
// written through IMPlot.
#include "image/stretch.h"

#include <algorithm>

#include "host/bound.h"
#include "host/host_ops.h"
#include "image/fp_guard.h"
#include "image/layouts.h"
#include "image/makers.h"
#include "image/memblock_check.h"
#include "image/pixel_access.h"
#include "image/rounding.h"

namespace image {
namespace {

// Source columns are worked out this many at a time, so no command allocates.
// A target no wider than this has them worked out once for all its rows. The
// chunk stays well inside one 4 KB page of stack: a larger frame would need
// a stack probe from a runtime library that the DLL does not link.
constexpr std::int32_t kColumnChunk = 512;

// source ÷ target in double precision, stored as a 32-bit float.
float SizeRatio(std::int32_t sourceSize, std::int32_t targetSize) {
  return static_cast<float>(static_cast<double>(sourceSize) / static_cast<double>(targetSize));
}

// round(index × ratio): the product formed in double from the integer and the
// stored float, rounded once, ties to even.
std::int32_t SourceIndex(std::int32_t targetIndex, float ratio,
                         const DefaultFloatingPoint& defaultMode) {
  return RoundHalfEven(static_cast<double>(targetIndex) * static_cast<double>(ratio), defaultMode);
}

// Source columns of target columns first .. first + count - 1.
void ComputeSourceColumns(std::int32_t first, std::int32_t count, float ratio,
                          std::int32_t* columns) {
  const DefaultFloatingPoint defaultMode;
  for (std::int32_t i = 0; i < count; ++i) columns[i] = SourceIndex(first + i, ratio, defaultMode);
}

std::int32_t SourceRow(std::int32_t row, float ratio) {
  const DefaultFloatingPoint defaultMode;
  return SourceIndex(row, ratio, defaultMode);
}

// Rows outer, columns inner. The floating-point work happens between host
// calls under the default mode; the host is always called in its own.
void StretchPixels(std::int32_t source, std::int32_t target) {
  const ImageInfo from = ReadHeader(source);
  const ImageInfo to = ReadHeader(target);
  // An empty target samples nothing, and its ratios, which would divide by
  // zero or a negative size, are never formed.
  if (to.width < 1 || to.height < 1) return;
  float columnRatio = 0.0f;
  float rowRatio = 0.0f;
  {
    const DefaultFloatingPoint defaultMode;
    columnRatio = SizeRatio(from.width, to.width);
    rowRatio = SizeRatio(from.height, to.height);
  }
  std::int32_t columns[kColumnChunk];
  const bool columnsFitOnce = to.width <= kColumnChunk;
  if (columnsFitOnce) ComputeSourceColumns(0, to.width, columnRatio, columns);
  for (std::int32_t y = 0; y < to.height; ++y) {
    const std::int32_t sy = SourceRow(y, rowRatio);
    // first + count never passes to.width, so first cannot wrap.
    for (std::int32_t first = 0; first < to.width;) {
      const std::int32_t count = std::min(to.width - first, kColumnChunk);
      if (!columnsFitOnce) ComputeSourceColumns(first, count, columnRatio, columns);
      for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t value = IMGetPixel(source, columns[i], sy);
        IMPlot(target, first + i, y, value);
      }
      first += count;
    }
  }
}

}  // namespace
}  // namespace image

extern "C" {

std::int32_t HOST_CDECL IMStretch(std::int32_t source, std::int32_t target) {
  using namespace image;
  if (!host::MemblockTableBound()) return 0;
  // Both numbers are tested before the host is asked about either: a number
  // below 1 refuses the command with no host call at all, so "50, -1" never
  // asks about 50 (MemblockExists alone would ask about the source first).
  if (!(source >= 1 && target >= 1)) return 0;
  if (!MemblockExists(source) || !MemblockExists(target)) return 0;
  StretchPixels(source, target);
  return 0;
}

std::int32_t HOST_CDECL IMStretch2(std::int32_t source, std::int32_t width, std::int32_t height) {
  using namespace image;
  if (!host::MemblockTableBound()) return 0;
  // A missing source is refused before its depth is read: a host may treat a
  // read from a memblock that does not exist as a script error.
  if (!MemblockExists(source)) return 0;
  const std::int32_t depth = host::MemReadDwordOp(source, layout::ImageHeader::kDepthOffset);
  const std::int32_t n = MakeMemblockImage(width, height, depth);
  // A size below 1 was refused by the maker (n is 0): nothing to stretch
  // into. The source needs no such test here: it exists, so it is at least 1.
  if (!(width >= 1 && height >= 1)) return n;
  // Both questions are put even when the answer is known (n is 0 when the
  // maker refused the source's depth): these are the command's steps, in
  // order (docs/shapes-and-stretching.md), and the row "a source depth the
  // maker refuses: number 0 is asked about" holds them.
  if (host::MemExistsOp(source) != 1 || host::MemExistsOp(n) != 1) return n;
  StretchPixels(source, n);
  return n;
}

}  // extern "C"
