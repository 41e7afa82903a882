// Image memblocks as PNG files, and PNG files as pictures for the host.
//
// A 32-bit pixel is read as 0xAARRGGBB with the alpha byte ignored (scripts
// rarely set it, and an image that came out transparent would hide what was
// drawn); a 16-bit pixel as RGB 5-6-5. Written PNGs are 8-bit RGB.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace refhost {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3, row by row
};

// The largest side of a PNG file the runner reads or writes: its pixels stay
// within what a 32-bit process can hold with room to spare (64 MiB at 4096).
constexpr int kLargestPngSide = 4096;

// Decodes an image memblock (12-byte header, then pixels); false with a reason
// when the header is not a drawable image (depth other than 16 to 23 or 32 to
// 39, sizes below 1 or above kLargestPngSide) or the memblock is shorter than
// it says.
bool DecodeImageMemblock(const std::vector<std::uint8_t>& memblock, RgbImage* image,
                         std::string* error);

// Each pixel as a `scale` x `scale` square, with a one-pixel grey grid line
// between neighbours and round the edge, so that single pixels can be told
// apart; false when the result would be wider or higher than kLargestPngSide.
bool Enlarge(const RgbImage& image, int scale, RgbImage* enlarged, std::string* error);

// `image` as the bytes of a PNG file; false when the encoder fails.
bool EncodePng(const RgbImage& image, std::vector<std::uint8_t>* bytes);

// Reads a PNG file as 0xFFRRGGBB pixels, row by row. Refuses, with a message
// naming the file by `path`, one that cannot be read (and why), is
// not a PNG, is cut short or damaged, or declares a side above
// `largestSide`; the pixels are decoded only after the declared size has
// passed.
bool ReadPng(const std::string& path, int largestSide, int* width, int* height,
             std::vector<std::int32_t>* pixels, std::string* error);

}  // namespace refhost
