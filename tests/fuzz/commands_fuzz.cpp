// Hostile input for every command: sequences of commands with arbitrary 32-bit
// arguments against the reference store, under AddressSanitizer and
// UndefinedBehaviorSanitizer. A crash, an overflow or an out-of-bounds access
// anywhere in the plug-in fails the run.
//
// Only the amount of work is bounded (a filled box of 2^32 x 2^32 pixels is
// valid input but would never finish): spans and sizes are kept small, while
// their positions may still sit anywhere in the 32-bit range.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "host/host_ops.h"
#include "image/pixel_access.h"
#include "image/shapes.h"
#include "image/stretch.h"
#include "numbering/allocator.h"
#include "numbering/numbering_commands.h"
#include "refhost/memblock_store.h"

namespace {

constexpr std::int64_t kMaxSpan = 128;
constexpr std::int64_t kMaxPixels = 1 << 14;
constexpr std::int64_t kMaxBytes = 1 << 20;

// Mostly the values that break arithmetic, sometimes anything.
std::int32_t Value(FuzzedDataProvider& in) {
  static constexpr std::int32_t kEdges[] = {
      0,  1,  -1, 2,  3,  4,  5,     7,     8,       12,          15,      16,         23,
      24, 31, 32, 39, 40, 64, 65535, 65536, INT_MAX, INT_MAX - 1, INT_MIN, INT_MIN + 1};
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return in.PickValueInArray(kEdges);
    case 1:
      return in.ConsumeIntegralInRange<std::int32_t>(-8, 70);
    default:
      return in.ConsumeIntegral<std::int32_t>();
  }
}

// A value within `span` of `base`, saturating at the ends of the range.
std::int32_t Near(std::int32_t base, std::int32_t offset) {
  std::int64_t v = static_cast<std::int64_t>(base) + offset % (kMaxSpan + 1);
  if (v > INT_MAX) v = INT_MAX;
  if (v < INT_MIN) v = INT_MIN;
  return static_cast<std::int32_t>(v);
}

// Width x height of an image memblock as its header claims, 0 when missing.
std::int64_t ClaimedPixels(std::int32_t memblock) {
  if (!refhost::MemblockExists(memblock)) return 0;
  const auto bytes = refhost::MemblockBytes(memblock);
  if (bytes.size() < 8) return 0;
  std::int32_t header[2];
  std::memcpy(header, bytes.data(), sizeof header);  // little-endian, as x86
  return static_cast<std::int64_t>(header[0]) * header[1];
}

bool SmallImage(std::int64_t width, std::int64_t height) {
  return width * height <= kMaxPixels;
}

void RunOne(FuzzedDataProvider& in) {
  const std::int32_t m = in.ConsumeIntegralInRange<std::int32_t>(-1, 6);
  switch (in.ConsumeIntegralInRange(0, 17)) {
    case 0:
      MBC_DynamicMake(Value(in) % kMaxBytes);
      break;
    case 1:
      MBC_Delete(Value(in));
      break;
    case 2:
      MBC_Count();
      break;
    case 3:
      if (numbering::HighWater < 4096) MBC_Clear();
      break;
    case 4:
      MBC_CloneMemblock(m);
      break;
    case 5:
      MBC_DynamicMakeFromBitmap(Value(in));
      MBC_DynamicMakeFromImage(Value(in));
      MBC_DynamicMakeFromMesh(Value(in));
      MBC_DynamicMakeFromSound(Value(in));
      MBC_DynamicMakeFromArray(Value(in));
      break;
    case 6: {
      const std::int32_t w = Value(in), h = Value(in), d = Value(in);
      const __int128 bytes = static_cast<__int128>(w) * h * (d / 8) + 12;
      // Sizes that wrap are the interesting ones; large honest ones only cost memory.
      if (bytes <= kMaxBytes || bytes > INT_MAX || bytes < 0) MakeMemblockImage(w, h, d);
      break;
    }
    case 7:
      PrepareMeshMemblock(Value(in) % (kMaxBytes / 108));
      break;
    case 8:
      IMPlot(m, Value(in), Value(in), Value(in));
      break;
    case 9:
      IMGetPixel(m, Value(in), Value(in));
      break;
    case 10:  // outline circles cost 361 plots whatever their diameter
      IMCircle(m, Value(in), Value(in), Value(in), Value(in), 0);
      break;
    case 11:
      IMCircle(m, Value(in), Value(in), Value(in) % (2 * kMaxSpan), Value(in), Value(in) & 3);
      break;
    case 12:
      IMCube(m, Value(in), Value(in), Value(in) % kMaxSpan, Value(in), Value(in) & 3);
      break;
    case 13: {
      const std::int32_t left = Value(in), top = Value(in);
      IMBox(m, left, top, Near(left, Value(in)), Near(top, Value(in)), Value(in), Value(in) & 3);
      break;
    }
    case 14: {
      const std::int32_t target = in.ConsumeIntegralInRange<std::int32_t>(-1, 6);
      if (ClaimedPixels(target) <= kMaxPixels) IMStretch(m, target);
      break;
    }
    case 15: {
      const std::int32_t w = Value(in), h = Value(in);
      if (SmallImage(w, h)) IMStretch2(m, w, h);
      break;
    }
    case 16: {  // a header that lies about the memblock's size
      const std::int32_t n = in.ConsumeIntegralInRange<std::int32_t>(1, 6);
      if (refhost::MemblockExists(n)) {
        host::MemWriteDwordOp(n, in.ConsumeIntegralInRange(0, 2) * 4, Value(in));
      }
      break;
    }
    default:
      numbering::InitState = numbering::InitState ? 0 : 1;
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  refhost::ResetStore();
  numbering::ResetNumbers();
  host::BindDirectory(reinterpret_cast<host::ModuleDirectory>(refhost::Directory()));
  numbering::InitState = 1;
  refhost::AddBitmap(1, 3, 2, {1, 2, 3, 4, 5, 6});
  refhost::AddImage(2, 2, 2, {7, 8, 9, 10});
  refhost::AddMesh(3, 2);
  refhost::AddSound(4, {1, -1});
  refhost::AddArray(5, {1, 2, 3});

  FuzzedDataProvider in(data, size);
  for (int step = 0; step < 24 && in.remaining_bytes() > 0; ++step) {
    RunOne(in);
    if (numbering::FreeCount < 0 || numbering::FreeCount > numbering::kMaxFree) std::abort();
  }
  return 0;
}
