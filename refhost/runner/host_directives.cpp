// The directives that put resources and memblocks into the host's store and
// look into it.
#include <algorithm>
#include <sstream>

#include "refhost/runner/runner_text.h"
#include "refhost/runner/script_runner.h"

namespace refhost {
namespace {

constexpr std::int32_t kLargestResourceSide = 4096;
constexpr std::int32_t kLargestScriptMemblock = 64 * 1024 * 1024;
// Where an image memblock's pixels start: values at and beyond are pixels.
constexpr std::int32_t kFirstPixelOffset = 12;

bool SideInRange(std::int32_t side) {
  return side >= 1 && side <= kLargestResourceSide;
}

// The test pattern of the bitmap and image directives: red grows to the right,
// green downwards, blue fixed; opaque.
std::vector<std::int32_t> TestPattern(std::int32_t width, std::int32_t height) {
  std::vector<std::int32_t> pixels;
  if (!SideInRange(width) || !SideInRange(height)) return pixels;
  pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const std::uint32_t red = static_cast<std::uint32_t>(x * 255 / std::max(width - 1, 1));
      const std::uint32_t green = static_cast<std::uint32_t>(y * 255 / std::max(height - 1, 1));
      pixels.push_back(static_cast<std::int32_t>(0xFF000000u | red << 16 | green << 8 | 0x60u));
    }
  }
  return pixels;
}

}  // namespace

bool ScriptRunner::Kept(std::int32_t kept) {
  if (kept == 0) {
    error_ = "the host has no room for it: memblocks and resources together may take " +
             std::to_string(kMaxStoreBytes >> 20) + " MiB, a mesh what one memblock holds";
  }
  return kept != 0;
}

bool ScriptRunner::MakePicture(const DirectiveStep& step) {
  const std::string word(step.word);
  const std::vector<std::int32_t>& v = step.v;
  std::int32_t width = v.size() > 1 ? v[1] : 0;
  std::int32_t height = v.size() > 2 ? v[2] : 0;
  std::vector<std::int32_t> pixels;
  std::string from;
  if (v.size() == 1) {
    const std::string& name = *step.texts[1];
    if (!ReadPng(PathBelow(scriptFolder_, name), kLargestResourceSide, &width, &height, &pixels,
                 &error_)) {
      return false;
    }
    from = "from " + name;
  } else if (!SideInRange(width) || !SideInRange(height)) {
    error_ = word + " sides run from 1 to " + std::to_string(kLargestResourceSide);
    return false;
  } else {
    pixels = TestPattern(width, height);
    if (v.size() == 4) std::fill(pixels.begin(), pixels.end(), v[3]);
    from = v.size() == 4 ? "one colour" : "test pattern";
  }
  if (!Kept((word == "bitmap" ? host_->AddBitmap : host_->AddImage)(v[0], width, height,
                                                                    pixels.data()))) {
    return false;
  }
  Say("host " + word + " " + std::to_string(v[0]) + ": " + std::to_string(width) + "x" +
      std::to_string(height) + ", " + from);
  return true;
}

bool ScriptRunner::Mesh(const DirectiveStep& step) {
  if (!Kept(host_->AddMesh(step.v[0], step.v[1]))) return false;
  Say("host mesh " + std::to_string(step.v[0]) + ": " + std::to_string(step.v[1]) + " vertices");
  return true;
}

bool ScriptRunner::Sound(const DirectiveStep& step) {
  const std::vector<std::int32_t>& v = step.v;
  if (v[1] < 1 || v[1] > kLargestScriptMemblock / 2) {
    error_ = "a sound has 1 to " + std::to_string(kLargestScriptMemblock / 2) + " samples";
    return false;
  }
  std::vector<std::int16_t> samples(static_cast<std::size_t>(v[1]));
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<std::int16_t>(static_cast<int>(i * 1024 % 65536) - 32768);
  }
  if (!Kept(host_->AddSound(v[0], samples.data(), v[1]))) return false;
  Say("host sound " + std::to_string(v[0]) + ": " + Plural(v[1], "sample"));
  return true;
}

bool ScriptRunner::Array(const DirectiveStep& step) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 1; i < step.v.size(); ++i) {
    // A value out of range is refused, not cut to its low byte.
    if (step.v[i] < 0 || step.v[i] > 255) {
      error_ = "an array holds bytes, 0 to 255, and byte " + std::to_string(i) + " is " +
               Shown(step.v[i], step.pixel[i]) + ": nothing kept";
      return false;
    }
    bytes.push_back(static_cast<std::uint8_t>(step.v[i]));
  }
  if (!Kept(host_->AddArray(step.v[0], bytes.data(), static_cast<std::int32_t>(bytes.size())))) {
    return false;
  }
  Say("host array " + std::to_string(step.v[0]) + ": " + Plural(bytes.size(), "byte"));
  return true;
}

bool ScriptRunner::Memblock(const DirectiveStep& step) {
  const std::vector<std::int32_t>& v = step.v;
  if (v[0] < 1 || v[1] < 1 || v[1] > kLargestScriptMemblock) {
    error_ = "memblock takes a number from 1 and a size from 1 to " +
             std::to_string(kLargestScriptMemblock) + " bytes";
    return false;
  }
  const std::vector<std::uint8_t> zeros(static_cast<std::size_t>(v[1]), 0);
  if (!Kept(host_->PutMemblock(v[0], zeros.data(), v[1]))) return false;
  Say("script's own memblock " + std::to_string(v[0]));
  return true;
}

bool ScriptRunner::Dword(const DirectiveStep& step) {
  const std::vector<std::int32_t>& v = step.v;
  // Four bytes moved in place, whatever the memblock's size.
  std::uint8_t bytes[4] = {};
  const std::int32_t size = host_->ReadMemblockAt(v[0], v[1], bytes, 4);
  const std::string memblock = "memblock " + std::to_string(v[0]);
  if (size < 0) {
    error_ = memblock + " does not exist";
    return false;
  }
  if (size < 4) {
    error_ = memblock + " has " + Plural(size, "byte") + ", too few for a dword";
    return false;
  }
  if (v[1] < 0 || v[1] > size - 4) {
    error_ = memblock + " has " + Plural(size, "byte") + ": its dwords lie at offsets 0 to " +
             std::to_string(size - 4) + ", not " + std::to_string(v[1]);
    return false;
  }
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    if (v.size() == 3) {
      bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v[2]) >> (8 * i));
    }
    value |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
  }
  const bool pixel = v[1] >= kFirstPixelOffset;
  if (v.size() == 3) {
    host_->WriteMemblockAt(v[0], v[1], bytes, 4);
  } else {
    Keep(step.target, Value{static_cast<std::int32_t>(value), pixel});
  }
  Say((v.size() == 3 ? "wrote " : "read ") + Shown(static_cast<std::int32_t>(value), pixel));
  return true;
}

std::string ScriptRunner::DescribeMemblock(std::int32_t n) const {
  std::uint8_t bytes[12] = {};
  const std::int32_t size = host_->ReadMemblockAt(n, 0, bytes, 12);
  if (size < 0) return "memblock " + std::to_string(n) + " does not exist";
  // A memblock shorter than 12 bytes shows the dwords it holds.
  if (size < 12) host_->ReadMemblockAt(n, 0, bytes, size);
  std::string text =
      "memblock " + std::to_string(n) + ": " + Plural(size, "byte") + ", first dwords";
  for (std::int32_t at = 0; at + 4 <= size && at < 12; at += 4) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
    text += (at ? ", " : " ") + std::to_string(static_cast<std::int32_t>(value));
  }
  return text;
}

bool ScriptRunner::Show(const DirectiveStep& step) {
  Say(DescribeMemblock(step.v[0]));
  return true;
}

bool ScriptRunner::ListMemblocks(const DirectiveStep&) {
  std::ostringstream list;
  const std::vector<std::int32_t> numbers = host_->Numbers();
  for (std::int32_t n : numbers) {
    list << (list.tellp() > 0 ? ", " : "") << n << " (" << host_->Size(n) << " bytes)";
  }
  Say(std::to_string(numbers.size()) + " in the host" + (numbers.empty() ? "" : ": ") + list.str());
  return true;
}

}  // namespace refhost
