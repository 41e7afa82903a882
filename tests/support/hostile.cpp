#include "hostile.h"

#include <climits>
#include <string>
#include <vector>

#include "cases.h"
#include "target.h"

namespace hostile {
namespace {

constexpr std::int32_t kMaxSpan = 128;
constexpr std::int32_t kMaxPixels = 1 << 14;
constexpr std::int32_t kMaxBytes = 1 << 20;

class Draw {
 public:
  explicit Draw(const std::function<std::uint32_t()>& next) : next_(next) {}
  std::int32_t In(std::int32_t low, std::int32_t high) {
    return low + static_cast<std::int32_t>(next_() % static_cast<std::uint32_t>(high - low + 1));
  }
  // Mostly the values that break arithmetic, sometimes small, sometimes anything.
  std::int32_t Value() {
    static constexpr std::int32_t kEdges[] = {
        0,  1,  -1, 2,  3,  4,  5,     7,     8,       12,          15,      16,         23,
        24, 31, 32, 39, 40, 64, 65535, 65536, INT_MAX, INT_MAX - 1, INT_MIN, INT_MIN + 1};
    const std::int32_t kind = In(0, 3);
    return kind == 0   ? kEdges[In(0, sizeof kEdges / sizeof kEdges[0] - 1)]
           : kind == 1 ? In(-8, 70)
                       : static_cast<std::int32_t>(next_());
  }
  // Within kMaxSpan of `base`, saturating at the ends of the range.
  std::int32_t Near(std::int32_t base) {
    const std::int64_t v = static_cast<std::int64_t>(base) + Value() % (kMaxSpan + 1);
    return static_cast<std::int32_t>(v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : v);
  }

 private:
  const std::function<std::uint32_t()>& next_;
};

// The little-endian field at `at` of memblock `n`, 0 past its end.
std::int32_t Field(std::int32_t n, std::size_t at) {
  const std::vector<std::uint8_t> b = target::Host().Bytes(n);
  if (b.size() < at + 4) return 0;
  return static_cast<std::int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                   static_cast<std::uint32_t>(b[at + 3]) << 24);
}

const Around* g_around = nullptr;

std::int32_t Call(const char* command, const std::vector<std::int32_t>& args) {
  const auto call = [&] { return target::Call(command, args); };
  return *g_around ? (*g_around)(call) : call();
}

}  // namespace

void Start() {
  target::Restart(true);
  cases::Steps("bitmap 1, 3, 2, 7; image 2, 2, 2, 9; mesh 3, 2; sound 4, 2; array 5, 1, 2, 3");
}

std::int32_t Step(const std::function<std::uint32_t()>& next, const Around& around) {
  g_around = &around;
  Draw d(next);
  const std::int32_t m = d.In(-1, 6);
  switch (d.In(0, 17)) {
    case 0:
      return Call("MBC Make Memblock", {d.Value() % kMaxBytes});
    case 1:
      return Call("MBC Delete Memblock", {d.Value()});
    case 2:
      return Call("MBC Exist Memblock Count", {});
    case 3:
      return Call("MBC Clear All Memblocks", {});
    case 4:
      return Call("MBC Clone Memblock", {m});
    case 5: {
      static const char* const kFrom[] = {"Array", "Bitmap", "Image", "Mesh", "Sound"};
      return Call((std::string("MBC Make Memblock From ") + kFrom[d.In(0, 4)]).c_str(),
                  {d.Value()});
    }
    case 6: {
      const std::int32_t w = d.Value(), h = d.Value(), depth = d.Value();
      // Sizes that wrap are the interesting ones; large honest ones only cost memory.
      const double bytes = static_cast<double>(w) * h * (depth / 8) + 12;
      return bytes > kMaxBytes && bytes <= INT_MAX ? 0
                                                   : Call("MBC Make Memblock Image", {w, h, depth});
    }
    case 7:
      return Call("PrepareMeshMemblock", {d.Value() % (kMaxBytes / 108)});
    case 8:
      return Call("MBC Plot", {m, d.Value(), d.Value(), d.Value()});
    case 9:
      return Call("MBC Get Pixel", {m, d.Value(), d.Value()});
    case 10:  // an outline circle costs 361 plots whatever its diameter
      return Call("MBC Circle", {m, d.Value(), d.Value(), d.Value(), d.Value(), 0});
    case 11:
      return Call("MBC Circle",
                  {m, d.Value(), d.Value(), d.Value() % (2 * kMaxSpan), d.Value(), d.Value() & 3});
    case 12:
      return Call("MBC Cube",
                  {m, d.Value(), d.Value(), d.Value() % kMaxSpan, d.Value(), d.Value() & 3});
    case 13: {
      const std::int32_t left = d.Value(), top = d.Value();
      return Call("MBC Box", {m, left, top, d.Near(left), d.Near(top), d.Value(), d.Value() & 3});
    }
    case 14: {
      const std::int32_t into = d.In(-1, 6);
      const std::int64_t pixels = static_cast<std::int64_t>(Field(into, 0)) * Field(into, 4);
      return pixels <= kMaxPixels ? Call("MBC Stretch Image", {m, into}) : 0;
    }
    case 15: {
      const std::int32_t w = d.Value(), h = d.Value();
      return static_cast<std::int64_t>(w) * h > kMaxPixels ? 0
                                                           : Call("MBC Stretch Image", {m, w, h});
    }
    case 16: {  // the host changes a header: one that lies about the memblock's size
      const std::int32_t n = d.In(1, 6), field = d.In(0, 2) * 4, value = d.Value();
      if (target::Host().Bytes(n).size() >= 12) {
        cases::Steps("dword " + std::to_string(n) + ", " + std::to_string(field) + ", " +
                     std::to_string(value));
      }
      return 0;
    }
    default:
      return Call("MBC Initialized", {});
  }
}

}  // namespace hostile
