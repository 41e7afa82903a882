// A sweep of circles and stretches against the reference store, every host
// call folded into one digest: the native and 32-bit builds must give the same
// golden digest (same calls, same arguments, same pixels), and the same again
// whatever floating-point mode the host has set. The commands leave both
// control words as they found them, and call the host in its own mode.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <functional>

#include "fp_environment.h"
#include "host/host_ops.h"
#include "image/shapes.h"
#include "image/stretch.h"
#include "refhost/memblock_store.h"

namespace {

// FNV-1a 64 over table, slot, argument count, arguments and result of every
// call, then the number of calls.
struct Digest {
  std::uint64_t hash = 14695981039346656037ull;
  std::uint64_t calls = 0;
  void Add(std::int32_t value) {
    for (int i = 0; i < 4; ++i) {
      hash = (hash ^ ((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xFF)) * 1099511628211ull;
    }
  }
  std::string Text() const {
    char text[64];
    std::snprintf(text, sizeof text, "{0x%016" PRIx64 "ull, %" PRIu64 "}", hash, calls);
    return text;
  }
};

// Taken once from the native build; the 32-bit build under Wine must agree.
const char kGolden[] = "{0x578b419fd97fba58ull, 4877544}";

FpControl g_hostMode{};
std::uint64_t g_callsInOtherModes = 0;

void REFHOST_CDECL Fold(const refhost::HostCall* call, void* context) {
  Digest& d = *static_cast<Digest*>(context);
  if (!(CurrentFpControl() == g_hostMode)) ++g_callsInOtherModes;
  for (std::int32_t v : {call->table, call->slot, call->argCount}) d.Add(v);
  for (std::int32_t i = 0; i < call->argCount; ++i) d.Add(call->args[i]);
  d.Add(call->result);
  ++d.calls;
}

std::vector<std::uint8_t> Image(std::int32_t width, std::int32_t height,
                                std::int32_t (*value)(std::int32_t, std::int32_t)) {
  std::vector<std::uint8_t> bytes(12 + 4 * static_cast<std::size_t>(width * height));
  const std::int32_t header[3] = {width, height, 32};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::int32_t v =
        i < 12 ? header[i / 4] : value((i - 12) / 4 % width, (i - 12) / 4 / width);
    bytes[i] = static_cast<std::uint8_t>(v >> (8 * (i % 4)));
  }
  return bytes;
}

// Circles of diameters 1 to 64, outline and filled, at an even and an odd
// centre; then every stretch from a source width of 1 to 32 into a target
// width of 1 to 32 (source height 2, target height 5). `run` calls each
// command, and may change the floating-point mode around it.
std::string Sweep(const std::function<void(const std::function<void()>&)>& run) {
  refhost::ResetStore();
  host::BindDirectory(reinterpret_cast<host::ModuleDirectory>(refhost::Directory()));
  Digest digest;
  refhost::PutMemblock(1, Image(80, 80, [](std::int32_t, std::int32_t) { return 0; }));
  refhost::SetCallObserver(&Fold, &digest);
  for (const std::int32_t centre : {40, 41}) {
    for (std::int32_t diameter = 1; diameter <= 64; ++diameter) {
      for (std::int32_t fill : {0, 1}) {
        run([&] {
          IMCircle(1, centre, centre + 2 * (centre - 40), diameter, diameter * 4 + fill + 1, fill);
        });
      }
    }
  }
  for (std::int32_t sourceWidth = 1; sourceWidth <= 32; ++sourceWidth) {
    refhost::PutMemblock(2, Image(sourceWidth, 2, [](std::int32_t x, std::int32_t y) {
                           return (x + 1) * 16 + y + 1;
                         }));
    for (std::int32_t targetWidth = 1; targetWidth <= 32; ++targetWidth) {
      refhost::PutMemblock(3, Image(targetWidth, 5, [](std::int32_t, std::int32_t) { return 0; }));
      run([] { IMStretch(2, 3); });
    }
  }
  refhost::SetCallObserver(nullptr, nullptr);
  digest.Add(static_cast<std::int32_t>(digest.calls));
  host::UnbindDirectory();
  return digest.Text();
}

TEST(Sweep, GivesTheGoldenDigestOnEveryBuild) {
  g_hostMode = CurrentFpControl();
  EXPECT_EQ(Sweep([](const std::function<void()>& command) { command(); }), kGolden);
}

TEST(Sweep, HostileFloatingPointModesChangeNoCallAndAreLeftAsFound) {
  const FpControl saved = CurrentFpControl();
  std::size_t commands = 0;
  std::uint64_t commandsChangingTheMode = 0;
  g_callsInOtherModes = 0;
  const std::string digest = Sweep([&](const std::function<void()>& command) {
    g_hostMode =
        kHostileControls[commands++ % (sizeof kHostileControls / sizeof kHostileControls[0])];
    SetFpControl(g_hostMode);
    command();
    const FpControl after = CurrentFpControl();
    SetFpControl(saved);
    if (!(after == g_hostMode)) ++commandsChangingTheMode;
  });
  EXPECT_EQ(digest, kGolden);
  EXPECT_EQ(commandsChangingTheMode, 0u);
  EXPECT_EQ(g_callsInOtherModes, 0u);
}

}  // namespace
