// Image memblocks as PNG files. A 32-bit pixel is read as 0xAARRGGBB with the
// alpha byte ignored (scripts rarely set it, and an image that came out
// transparent would hide what was drawn); a 16-bit pixel as RGB 5-6-5. The PNG
// is 8-bit RGB.
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

// Decodes an image memblock (12-byte header, then pixels); false with a reason
// when the header is not a drawable image (depth other than 16 to 23 or 32 to
// 39, sizes below 1 or above 16384) or the memblock is shorter than it says.
bool DecodeImageMemblock(const std::vector<std::uint8_t>& memblock, RgbImage* image,
                         std::string* error);

bool WritePng(const RgbImage& image, const std::string& path, std::string* error);

}  // namespace refhost
