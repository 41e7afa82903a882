#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "refhost/memblock_store.h"
#include "target.h"

namespace hostile {
namespace {

constexpr std::int32_t kMaxSpan = 128, kMaxPixels = 1 << 12, kMaxBytes = 1 << 16;

const Around* g_around = nullptr;

std::int32_t Call(const std::string& command, const std::vector<std::int32_t>& args) {
  const auto call = [&] { return target::Call(command, args); };
  return *g_around ? (*g_around)(call) : call();
}

// Width x height as memblock n's header claims (0 without a header).
std::int64_t Claimed(std::int32_t n) {
  std::uint8_t b[8];
  std::int32_t side[2] = {0, 0};
  // little-endian, as x86
  if (target::Host().ReadMemblock(n, b, sizeof b) >= 8) std::memcpy(side, b, sizeof side);
  return static_cast<std::int64_t>(side[0]) * side[1];
}

}  // namespace

void Start() {
  target::Restart(true);
  cases::Steps("bitmap 1, 3, 2, 7; image 2, 2, 2, 9; mesh 3, 2; sound 4, 2; array 5, 1, 2, 3");
}

std::int32_t Step(const std::function<std::uint32_t()>& next, const Around& around) {
  g_around = &around;
  const auto in = [&next](std::int32_t low, std::int32_t high) {
    return low + static_cast<std::int32_t>(next() % static_cast<std::uint32_t>(high - low + 1));
  };
  // Mostly the values that break arithmetic, sometimes small, sometimes anything.
  const auto v = [&] {
    static constexpr std::int32_t kEdges[] = {
        0,  1,  -1, 2,  3,  4,  5,     7,     8,       12,          15,      16,         23,
        24, 31, 32, 39, 40, 64, 65535, 65536, INT_MAX, INT_MAX - 1, INT_MIN, INT_MIN + 1};
    const std::int32_t kind = in(0, 3);
    return kind == 0   ? kEdges[in(0, sizeof kEdges / sizeof kEdges[0] - 1)]
           : kind == 1 ? in(-8, 70)
                       : static_cast<std::int32_t>(next());
  };
  // Within kMaxSpan of `base`, saturating at the ends of the range.
  const auto near = [&](std::int32_t base) {
    const std::int64_t n = static_cast<std::int64_t>(base) + v() % (kMaxSpan + 1);
    return static_cast<std::int32_t>(n > INT_MAX ? INT_MAX : n < INT_MIN ? INT_MIN : n);
  };
  const std::int32_t m = in(-1, 6);
  switch (in(0, 17)) {
    case 0:
      return Call("MBC Make Memblock", {v() % kMaxBytes});
    case 1:
      return Call("MBC Delete Memblock", {v()});
    case 2:
      return Call("MBC Exist Memblock Count", {});
    case 3:
      return Call("MBC Clear All Memblocks", {});
    case 4:
      return Call("MBC Clone Memblock", {m});
    case 5: {
      static const char* const kFrom[] = {"Array", "Bitmap", "Image", "Mesh", "Sound"};
      return Call(std::string("MBC Make Memblock From ") + kFrom[in(0, 4)], {v()});
    }
    case 6: {
      const std::int32_t w = v(), h = v(), depth = v();
      // Sizes that wrap are the interesting ones; a large block the host
      // really makes (a wrapped size among them) only costs memory and time.
      const std::uint32_t size =
          std::uint32_t(w) * std::uint32_t(h) * std::uint32_t(depth / 8) + 12;
      return size > kMaxBytes && size <= refhost::kMaxMemblockBytes
                 ? 0
                 : Call("MBC Make Memblock Image", {w, h, depth});
    }
    case 7:
      return Call("PrepareMeshMemblock", {v() % (kMaxBytes / 108)});
    case 8:
      return Call("MBC Plot", {m, v(), v(), v()});
    case 9:
      return Call("MBC Get Pixel", {m, v(), v()});
    case 10:  // an outline circle costs 361 plots whatever its diameter
      return Call("MBC Circle", {m, v(), v(), v(), v(), 0});
    case 11:
      return Call("MBC Circle", {m, v(), v(), v() % (2 * kMaxSpan), v(), v() & 3});
    case 12:
      return Call("MBC Cube", {m, v(), v(), v() % kMaxSpan, v(), v() & 3});
    case 13: {
      const std::int32_t left = v(), top = v();
      return Call("MBC Box", {m, left, top, near(left), near(top), v(), v() & 3});
    }
    case 14: {
      const std::int32_t into = in(-1, 6);
      return Claimed(into) <= kMaxPixels ? Call("MBC Stretch Image", {m, into}) : 0;
    }
    case 15: {
      const std::int32_t w = v(), h = v();
      return static_cast<std::int64_t>(w) * h > kMaxPixels ? 0
                                                           : Call("MBC Stretch Image", {m, w, h});
    }
    case 16: {  // the host changes a header: one that lies about the memblock's size
      const std::int32_t n = in(1, 6), field = in(0, 2) * 4, value = v();
      if (target::Host().Bytes(n).size() < 12) return 0;
      return cases::Steps("dword " + std::to_string(n) + ", " + std::to_string(field) + ", " +
                          std::to_string(value))
                     .empty()
                 ? 0
                 : 1;
    }
    default:
      return Call("MBC Initialized", {});
  }
}

}  // namespace hostile
