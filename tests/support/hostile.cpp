#include "hostile.h"

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "cases.h"
#include "refhost/memblock_store.h"
#include "target.h"

namespace hostile {
namespace {

constexpr std::int32_t kMaxSpan = 128, kMaxPixels = 1 << 12, kMaxBytes = 1 << 16;

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

// Each step one of these, drawn at random (an outline circle costs 361 plots
// whatever its diameter; "dword" is the host changing a header, making one
// that lies about the memblock's size); after its name, its arguments, drawn
// in order: "m" and "i" a memblock number from -1 to 6 (m drawn before the
// step), "v" a value as below, "b" a size in bytes, "c" a mesh count, "s" a
// side and "d" a diameter, both small, "f" a fill mode, "n" within kMaxSpan of
// the argument two before, "0" zero, "h" a memblock number from 1 to 6 and "o"
// a header field's offset. "MBC Make Memblock From " draws its resource's name
// last.
const char* const kSteps[] = {"MBC Make Memblock:b",
                              "MBC Delete Memblock:v",
                              "MBC Exist Memblock Count:",
                              "MBC Clear All Memblocks:",
                              "MBC Clone Memblock:m",
                              "MBC Make Memblock From :v",
                              "MBC Make Memblock Image:vvv",
                              "PrepareMeshMemblock:c",
                              "MBC Plot:mvvv",
                              "MBC Get Pixel:mvv",
                              "MBC Circle:mvvvv0",
                              "MBC Circle:mvvdvf",
                              "MBC Cube:mvvsvf",
                              "MBC Box:mvvnnvf",
                              "MBC Stretch Image:mi",
                              "MBC Stretch Image:mvv",
                              "dword:hov",
                              "MBC Initialized:"};

std::int32_t Step(const std::function<std::uint32_t()>& next, const Around& around) {
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
  const std::int32_t m = in(-1, 6), step = in(0, sizeof kSteps / sizeof kSteps[0] - 1);
  static const char* const kFrom[] = {"Array", "Bitmap", "Image", "Mesh", "Sound"};
  const std::string row = kSteps[step], kinds = row.substr(row.find(':') + 1);
  std::string command = row.substr(0, row.find(':'));
  std::vector<std::int32_t> args;
  for (const char kind : kinds) {
    args.push_back(kind == 'm'   ? m
                   : kind == 'i' ? in(-1, 6)
                   : kind == 'h' ? in(1, 6)
                   : kind == 'o' ? in(0, 2) * 4
                   : kind == '0' ? 0
                   : kind == 'n' ? near(args[args.size() - 2])
                   : kind == 'b' ? v() % kMaxBytes
                   : kind == 'c' ? v() % (kMaxBytes / 108)
                   : kind == 's' ? v() % kMaxSpan
                   : kind == 'd' ? v() % (2 * kMaxSpan)
                   : kind == 'f' ? v() & 3
                                 : v());
  }
  if (command.back() == ' ') command += kFrom[in(0, 4)];
  if (command == "dword") {
    if (target::Host().Bytes(args[0]).size() < 12) return 0;
    return cases::Steps("dword " + std::to_string(args[0]) + ", " + std::to_string(args[1]) + ", " +
                        std::to_string(args[2]))
                   .empty()
               ? 0
               : 1;
  }
  // Sizes that wrap are the interesting ones; a large block the host really
  // makes (a wrapped size among them) only costs memory and time.
  const std::uint32_t bytes =
      args.size() < 3
          ? 0
          : std::uint32_t(args[0]) * std::uint32_t(args[1]) * std::uint32_t(args[2] / 8) + 12;
  if ((command == "MBC Make Memblock Image" && bytes > kMaxBytes &&
       bytes <= refhost::kMaxMemblockBytes) ||
      (command == "MBC Stretch Image" &&
       (args.size() == 3 ? std::int64_t{args[1]} * args[2] : Claimed(args[1])) > kMaxPixels)) {
    return 0;
  }
  const auto call = [&] { return target::Call(command, args); };
  return around ? around(call) : call();
}

}  // namespace hostile
