#include "refhost/runner/image_diff.h"

#include <algorithm>

namespace refhost {
namespace {

constexpr std::uint8_t kMarked[3] = {0xFF, 0x00, 0xFF};

std::uint32_t Rgb(const RgbImage& image, std::size_t pixel) {
  const std::uint8_t* p = &image.rgb[pixel * 3];
  return static_cast<std::uint32_t>(p[0] << 16 | p[1] << 8 | p[2]);
}

}  // namespace

ImageDifference CompareImages(const RgbImage& actual, const RgbImage& golden) {
  ImageDifference d;
  const std::size_t pixels = std::min(actual.rgb.size(), golden.rgb.size()) / 3;
  for (std::size_t i = 0; i < pixels; ++i) {
    if (Rgb(actual, i) == Rgb(golden, i)) continue;
    const int x = static_cast<int>(i % static_cast<std::size_t>(golden.width));
    const int y = static_cast<int>(i / static_cast<std::size_t>(golden.width));
    if (d.count++ == 0) {
      d.left = d.right = d.firstX = x;
      d.top = d.bottom = d.firstY = y;
      d.firstActual = Rgb(actual, i);
      d.firstGolden = Rgb(golden, i);
    }
    d.left = std::min(d.left, x);
    d.right = std::max(d.right, x);
    d.bottom = y;
  }
  return d;
}

RgbImage DifferencePicture(const RgbImage& actual, const RgbImage& golden) {
  RgbImage picture = golden;
  for (std::size_t i = 0; i * 3 < picture.rgb.size(); ++i) {
    std::uint8_t* p = &picture.rgb[i * 3];
    const bool differs = i * 3 < actual.rgb.size() && Rgb(actual, i) != Rgb(golden, i);
    for (int c = 0; c < 3; ++c) {
      // A quarter of the way from white: at least 0xC0, never 0x00 as magenta's green is.
      p[c] = differs ? kMarked[c] : static_cast<std::uint8_t>(255 - (255 - p[c]) / 4);
    }
  }
  return picture;
}

}  // namespace refhost
