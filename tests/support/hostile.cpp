#include "hostile.h"

#include <climits>
#include <string>
#include <vector>

#include "refhost/runner/export_call.h"
#include "target.h"

namespace hostile {
namespace {

constexpr std::int32_t kMaxSpan = 128;
constexpr std::int32_t kMaxPixels = 1 << 14;
constexpr std::int32_t kMaxBytes = 1 << 20;

class Draw {
 public:
  explicit Draw(const std::function<std::uint32_t()>& next) : next_(next) {}
  std::int32_t Any() { return static_cast<std::int32_t>(next_()); }
  std::int32_t In(std::int32_t low, std::int32_t high) {
    return low + static_cast<std::int32_t>(next_() % static_cast<std::uint32_t>(high - low + 1));
  }
  // Mostly the values that break arithmetic, sometimes small, sometimes anything.
  std::int32_t Value() {
    static constexpr std::int32_t kEdges[] = {
        0,  1,  -1, 2,  3,  4,  5,     7,     8,       12,          15,      16,         23,
        24, 31, 32, 39, 40, 64, 65535, 65536, INT_MAX, INT_MAX - 1, INT_MIN, INT_MIN + 1};
    switch (In(0, 3)) {
      case 0:
        return kEdges[In(0, sizeof kEdges / sizeof kEdges[0] - 1)];
      case 1:
        return In(-8, 70);
      default:
        return Any();
    }
  }
  // Within kMaxSpan of `base`, saturating at the ends of the range.
  std::int32_t Near(std::int32_t base) {
    const std::int64_t v = static_cast<std::int64_t>(base) + Value() % (kMaxSpan + 1);
    return static_cast<std::int32_t>(v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : v);
  }

 private:
  const std::function<std::uint32_t()>& next_;
};

std::vector<std::uint8_t> Bytes(std::int32_t memblock) {
  return target::Host().Bytes(memblock);
}

// Width x height as the memblock's header claims, 0 when it has none.
std::int64_t ClaimedPixels(std::int32_t memblock) {
  const std::vector<std::uint8_t> b = Bytes(memblock);
  if (b.size() < 8) return 0;
  const auto field = [&b](int at) {
    return static_cast<std::int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                     static_cast<std::uint32_t>(b[at + 3]) << 24);
  };
  return static_cast<std::int64_t>(field(0)) * field(4);
}

const Around* g_around = nullptr;

std::int32_t Call(const char* command, const std::vector<std::int32_t>& args) {
  const refhost::PluginCommand* row = target::Plugin().Find(command, args.size());
  const void* address = row ? row->address : target::Plugin().Export(command);
  const auto call = [&] { return refhost::CallExport(address, args); };
  return *g_around ? (*g_around)(call) : call();
}

}  // namespace

void Start() {
  target::Restart(true);
  const refhost::CompanionClient& host = target::Host();
  const std::int32_t pixels[6] = {1, 2, 3, 4, 5, 6};
  const std::int16_t samples[2] = {1, -1};
  const std::uint8_t bytes[3] = {1, 2, 3};
  host.AddBitmap(1, 3, 2, pixels);
  host.AddImage(2, 2, 2, pixels);
  host.AddMesh(3, 2);
  host.AddSound(4, samples, 2);
  host.AddArray(5, bytes, 3);
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
      const double bytes = static_cast<double>(w) * h * (depth / 8) + 12;
      // Sizes that wrap are the interesting ones; large honest ones only cost memory.
      if (bytes > kMaxBytes && bytes <= INT_MAX) return 0;
      return Call("MBC Make Memblock Image", {w, h, depth});
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
      return ClaimedPixels(into) <= kMaxPixels ? Call("MBC Stretch Image", {m, into}) : 0;
    }
    case 15: {
      const std::int32_t w = d.Value(), h = d.Value();
      if (static_cast<std::int64_t>(w) * h > kMaxPixels) return 0;
      return Call("MBC Stretch Image", {m, w, h});
    }
    case 16: {  // the host changes a header: one that lies about the memblock's size
      const std::int32_t n = d.In(1, 6), field = d.In(0, 2) * 4, value = d.Value();
      std::vector<std::uint8_t> b = Bytes(n);
      if (b.size() < 12) return 0;
      for (int i = 0; i < 4; ++i) b[field + i] = static_cast<std::uint8_t>(value >> (8 * i));
      target::Host().PutMemblock(n, b.data(), static_cast<std::int32_t>(b.size()));
      return 0;
    }
    default:
      return Call("MBC Initialized", {});
  }
}

}  // namespace hostile
