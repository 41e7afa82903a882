#include "refhost/runner/png_file.h"

#include "refhost/runner/file_access.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#include <stb/stb_image.h>

namespace refhost {
namespace {

constexpr std::uint8_t kGridGrey = 0x80;
constexpr std::uint64_t kLargestPngFileBytes = 64 << 20;

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
  if (width < 1 || height < 1 || width > kLargestPngSide || height > kLargestPngSide) {
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

bool Enlarge(const RgbImage& image, int scale, RgbImage* enlarged, std::string* error) {
  const long long width = 1LL + image.width * (scale + 1LL);
  const long long height = 1LL + image.height * (scale + 1LL);
  if (scale < 1 || width > kLargestPngSide || height > kLargestPngSide) {
    *error = "an enlargement of " + std::to_string(scale) + " makes the picture too large";
    return false;
  }
  enlarged->width = static_cast<int>(width);
  enlarged->height = static_cast<int>(height);
  enlarged->rgb.assign(static_cast<std::size_t>(width * height) * 3, kGridGrey);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* from = &image.rgb[(static_cast<std::size_t>(y) * image.width + x) * 3];
      for (int dy = 0; dy < scale; ++dy) {
        const long long row = 1 + y * (scale + 1LL) + dy;
        for (int dx = 0; dx < scale; ++dx) {
          const long long column = 1 + x * (scale + 1LL) + dx;
          std::copy(from, from + 3,
                    &enlarged->rgb[static_cast<std::size_t>(row * width + column) * 3]);
        }
      }
    }
  }
  return true;
}

bool EncodePng(const RgbImage& image, std::vector<std::uint8_t>* bytes) {
  bytes->clear();
  return stbi_write_png_to_func(&AppendStream, bytes, image.width, image.height, 3,
                                image.rgb.data(), image.width * 3) != 0;
}

bool ReadPng(const std::string& path, int largestSide, int* width, int* height,
             std::vector<std::int32_t>* pixels, std::string* error) {
  std::string file;
  if (ReadFileBytes(path, kLargestPngFileBytes, &file, error) != ReadResult::kRead) return false;
  const auto* bytes = reinterpret_cast<const stbi_uc*>(file.data());
  const int size = static_cast<int>(file.size());
  int channels = 0;
  if (!stbi_info_from_memory(bytes, size, width, height, &channels)) {
    *error = path + " is not a PNG file";
    return false;
  }
  if (*width < 1 || *height < 1 || *width > largestSide || *height > largestSide) {
    *error = path + " is " + std::to_string(*width) + "x" + std::to_string(*height) +
             "; sides run from 1 to " + std::to_string(largestSide);
    return false;
  }
  stbi_uc* rgba = stbi_load_from_memory(bytes, size, width, height, &channels, 4);
  if (rgba == nullptr) {
    *error = path + " is damaged or cut short (" + stbi_failure_reason() + ")";
    return false;
  }
  const std::size_t count = static_cast<std::size_t>(*width) * static_cast<std::size_t>(*height);
  pixels->resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const stbi_uc* p = rgba + 4 * i;
    (*pixels)[i] = static_cast<std::int32_t>(0xFF000000u | p[0] << 16 | p[1] << 8 | p[2]);
  }
  stbi_image_free(rgba);
  return true;
}

}  // namespace refhost
