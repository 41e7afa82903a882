// Circles, squares and boxes. Every pixel goes through IMPlot, which clips it
// and handles the depth, so a shape may lie partly or wholly outside its image.
#include "image/shapes.h"

#include <utility>

#include "common/wrap.h"
#include "host/bound.h"
#include "host/host_ops.h"
#include "image/fp_guard.h"
#include "image/memblock_check.h"
#include "image/pixel_access.h"
#include "image/ring_table.h"
#include "image/rounding.h"

namespace image {
namespace {

constexpr std::int32_t kOutline = 0;
constexpr std::int32_t kFilled = 1;

struct Pixel {
  std::int32_t x;
  std::int32_t y;
};

// Calls visit(v) for v = first .. last, nothing when last < first. The loop
// stops on reaching `last`, so a range ending at INT_MAX ends too.
template <typename Visit>
void ForEachInRange(std::int32_t first, std::int32_t last, Visit visit) {
  if (last < first) return;
  for (std::int32_t v = first;; ++v) {
    visit(v);
    if (v == last) return;
  }
}

// The 361 samples of a ring of diameter d round (x, y), k = 0 .. 360 radians:
// round(cos(k) * d / 2 + x), round(sin(k) * d / 2 + y), in double precision
// under the default rounding, whatever mode the host left.
void ComputeRing(std::int32_t x, std::int32_t y, std::int32_t d, Pixel (&ring)[kRingSamples]) {
  const DefaultFloatingPoint defaultMode;
  const double radius = static_cast<double>(d) / 2.0;
  const double cx = x;
  const double cy = y;
  for (int k = 0; k < kRingSamples; ++k) {
    ring[k].x = RoundHalfEven(kRingPoints[k].cos * radius + cx, defaultMode);
    ring[k].y = RoundHalfEven(kRingPoints[k].sin * radius + cy, defaultMode);
  }
}

void PlotRing(std::int32_t memblock, std::int32_t x, std::int32_t y, std::int32_t d,
              std::int32_t colour) {
  Pixel ring[kRingSamples];
  // The samples are computed before the first plot, so that the host's own
  // floating-point mode is back in place whenever the host is called.
  ComputeRing(x, y, d, ring);
  for (const Pixel& p : ring) IMPlot(memblock, p.x, p.y, colour);
}

// Columns left .. right outer, rows top .. bottom inner.
void FillRectangle(std::int32_t memblock, std::int32_t left, std::int32_t top, std::int32_t right,
                   std::int32_t bottom, std::int32_t colour) {
  ForEachInRange(left, right, [&](std::int32_t c) {
    ForEachInRange(top, bottom, [&](std::int32_t r) { IMPlot(memblock, c, r, colour); });
  });
}

// Each step i plots (x + i, y), (x, y + i), (x + i, y2), (x2, y + i), the
// coordinates wrapping in 32 bits; wrapped points fall outside every image.
void OutlineSquare(std::int32_t memblock, std::int32_t x, std::int32_t y, std::int32_t size,
                   std::int32_t colour) {
  const std::int32_t x2 = wrap::Add(x, size - 1);
  const std::int32_t y2 = wrap::Add(y, size - 1);
  for (std::int32_t i = 0; i < size; ++i) {
    const std::int32_t xi = wrap::Add(x, i);
    const std::int32_t yi = wrap::Add(y, i);
    IMPlot(memblock, xi, y, colour);
    IMPlot(memblock, x, yi, colour);
    IMPlot(memblock, xi, y2, colour);
    IMPlot(memblock, x2, yi, colour);
  }
}

// Top and bottom row pixel by pixel along the columns, then the left and right
// column along the rows; corners are plotted twice.
void OutlineBox(std::int32_t memblock, std::int32_t left, std::int32_t top, std::int32_t right,
                std::int32_t bottom, std::int32_t colour) {
  ForEachInRange(left, right, [&](std::int32_t c) {
    IMPlot(memblock, c, top, colour);
    IMPlot(memblock, c, bottom, colour);
  });
  ForEachInRange(top, bottom, [&](std::int32_t r) {
    IMPlot(memblock, left, r, colour);
    IMPlot(memblock, right, r, colour);
  });
}

}  // namespace
}  // namespace image

extern "C" {

std::int32_t HOST_CDECL IMCircle(std::int32_t memblock, std::int32_t x, std::int32_t y,
                                 std::int32_t diameter, std::int32_t colour,
                                 std::int32_t fillMode) {
  using namespace image;
  if (!host::MemblockTableBound()) return 0;
  if (!MemblockExists(memblock)) return 0;
  if (diameter < 1) return 0;
  if (fillMode == kOutline) {
    PlotRing(memblock, x, y, diameter, colour);
  } else if (fillMode == kFilled) {
    // The radius shrinks by one pixel a ring; d stays positive, so d - 2
    // cannot wrap.
    for (std::int32_t d = diameter; d >= 1; d -= 2) PlotRing(memblock, x, y, d, colour);
    IMPlot(memblock, x, y, colour);
  }
  return 0;
}

std::int32_t HOST_CDECL IMCube(std::int32_t memblock, std::int32_t x, std::int32_t y,
                               std::int32_t size, std::int32_t colour, std::int32_t fillMode) {
  using namespace image;
  if (!host::MemblockTableBound()) return 0;
  if (!MemblockExists(memblock)) return 0;
  if (size == 1) {
    IMPlot(memblock, x, y, colour);
  } else if (size >= 2 && fillMode == kOutline) {
    OutlineSquare(memblock, x, y, size, colour);
  } else if (size >= 2 && fillMode == kFilled) {
    // A far corner that wraps past INT_MAX leaves an empty range: nothing.
    FillRectangle(memblock, x, y, wrap::Add(x, size - 1), wrap::Add(y, size - 1), colour);
  }
  return 0;
}

std::int32_t HOST_CDECL IMBox(std::int32_t memblock, std::int32_t left, std::int32_t top,
                              std::int32_t right, std::int32_t bottom, std::int32_t colour,
                              std::int32_t fillMode) {
  using namespace image;
  if (!host::MemblockTableBound()) return 0;
  if (!MemblockExists(memblock)) return 0;
  // Edges given the wrong way round draw the same box as in order.
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  if (fillMode == kOutline) {
    OutlineBox(memblock, left, top, right, bottom, colour);
  } else if (fillMode == kFilled) {
    FillRectangle(memblock, left, top, right, bottom, colour);
  }
  return 0;
}

}  // extern "C"
