// What expect_image shows when a picture differs from its golden one: how
// many pixels differ, the box that holds them, the first one, and a picture
// of the differences.
#pragma once

#include <cstdint>

#include "refhost/runner/png_file.h"

namespace refhost {

struct ImageDifference {
  std::size_t count = 0;  // pixels that differ
  // The box that holds them, corners included, and the first one met row
  // by row; meaningful when count > 0.
  int left = 0, top = 0, right = 0, bottom = 0;
  int firstX = 0, firstY = 0;
  std::uint32_t firstActual = 0, firstGolden = 0;  // 0xRRGGBB
};

// Compares two pictures of the same size pixel by pixel.
ImageDifference CompareImages(const RgbImage& actual, const RgbImage& golden);

// The golden picture faded three quarters of the way to white, with every
// pixel that differs in `actual` in full magenta (0xFF00FF), a colour that
// the faded picture cannot hold.
RgbImage DifferencePicture(const RgbImage& actual, const RgbImage& golden);

}  // namespace refhost
