#include "refhost/runner/png_export.h"

#include <fstream>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

namespace refhost {
namespace {

constexpr std::int32_t kLargestSide = 16384;

std::uint32_t ReadLE(const std::vector<std::uint8_t>& bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
  return value;
}

std::uint8_t Widen(std::uint32_t value, std::uint32_t largest) {
  return static_cast<std::uint8_t>((value * 255 + largest / 2) / largest);
}

void AppendStream(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(context);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

bool DecodeImageMemblock(const std::vector<std::uint8_t>& memblock, RgbImage* image,
                         std::string* error) {
  if (memblock.size() < 12) {
    *error = "shorter than an image header";
    return false;
  }
  const auto width = static_cast<std::int32_t>(ReadLE(memblock, 0, 4));
  const auto height = static_cast<std::int32_t>(ReadLE(memblock, 4, 4));
  const auto depth = static_cast<std::int32_t>(ReadLE(memblock, 8, 4));
  const int bpp = depth / 8;
  if (bpp != 2 && bpp != 4) {
    *error = "depth " + std::to_string(depth) + " is not drawn";
    return false;
  }
  if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide) {
    *error = "size " + std::to_string(width) + "x" + std::to_string(height) + " out of range";
    return false;
  }
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (memblock.size() < 12 + pixels * static_cast<std::size_t>(bpp)) {
    *error = "memblock shorter than its header says";
    return false;
  }
  image->width = width;
  image->height = height;
  image->rgb.resize(pixels * 3);
  for (std::size_t i = 0; i < pixels; ++i) {
    const std::uint32_t value = ReadLE(memblock, 12 + i * static_cast<std::size_t>(bpp), bpp);
    std::uint8_t* out = &image->rgb[i * 3];
    if (bpp == 4) {
      out[0] = static_cast<std::uint8_t>(value >> 16);
      out[1] = static_cast<std::uint8_t>(value >> 8);
      out[2] = static_cast<std::uint8_t>(value);
    } else {
      out[0] = Widen((value >> 11) & 31u, 31);
      out[1] = Widen((value >> 5) & 63u, 63);
      out[2] = Widen(value & 31u, 31);
    }
  }
  return true;
}

bool WritePng(const RgbImage& image, const std::string& path, std::string* error) {
  std::vector<std::uint8_t> encoded;
  if (stbi_write_png_to_func(&AppendStream, &encoded, image.width, image.height, 3,
                             image.rgb.data(), image.width * 3) == 0) {
    *error = "PNG encoding failed";
    return false;
  }
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(encoded.data()),
             static_cast<std::streamsize>(encoded.size()));
  if (!file) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace refhost
