// The circle and stretch sweep gives one golden digest of host calls on every
// build, and the same digest whatever floating-point mode the host has set;
// the commands leave both control words as they found them, and the host is
// called in its own mode.
#include <cinttypes>
#include <cstdio>

#include "call_log_sweep.h"
#include "fp_environment.h"
#include "host_fixture.h"

namespace {

// Taken once from the native build; the 32-bit build under Wine must agree.
constexpr SweepDigest kGolden{0x578b419fd97fba58ull, 4877544};

std::string Text(SweepDigest d) {
  char text[64];
  std::snprintf(text, sizeof text, "{0x%016" PRIx64 "ull, %" PRIu64 "}", d.hash, d.calls);
  return text;
}

using CallLogSweep = BoundHost;

TEST_F(CallLogSweep, GivesTheGoldenDigestOnEveryBuild) {
  const SweepDigest digest = RunSweep([](const std::function<void()>& command) { command(); });
  EXPECT_EQ(Text(digest), Text(kGolden));
}

// The host's MemExists, wrapped to check the floating-point mode it is called
// in; the plug-in calls it before every other access to a pixel.
host::Op1 g_realMemExists = nullptr;
FpControl g_hostMode{};
std::uint64_t g_callsInHostMode = 0;
std::uint64_t g_callsInOtherModes = 0;

std::int32_t HOST_CDECL SpyMemExists(std::int32_t memblock) {
  if (CurrentFpControl() == g_hostMode) {
    ++g_callsInHostMode;
  } else {
    ++g_callsInOtherModes;
  }
  return g_realMemExists(memblock);
}

// A copy of the store's directory whose memblock table has the spy at MemExists.
class SpiedHost : public BoundHost {
 protected:
  void SetUp() override {
    BoundHost::SetUp();
    const host::ModuleDirectory real = refhost::Directory();
    for (int slot = 0; slot < refhost::kDirectorySlots; ++slot) directory_[slot] = real[slot];
    const host::ModuleTable memblocks = real[host::kMemblockDirectorySlot];
    for (int slot = 0; slot < kTableSlots; ++slot) memblockTable_[slot] = memblocks[slot];
    g_realMemExists = reinterpret_cast<host::Op1>(memblocks[host::MemExists]);
    memblockTable_[host::MemExists] = reinterpret_cast<host::TableEntry>(&SpyMemExists);
    directory_[host::kMemblockDirectorySlot] = memblockTable_;
    host::BindDirectory(directory_);
  }

 private:
  static constexpr int kTableSlots = 24;  // MemMakeFromArray, 23, is the last used
  host::TableEntry memblockTable_[kTableSlots] = {};
  host::ModuleTable directory_[refhost::kDirectorySlots] = {};
};

TEST_F(SpiedHost, HostileFloatingPointModesChangeNoCallAndAreLeftAsFound) {
  // One sweep, each command under the next of the hostile modes in turn.
  const FpControl saved = CurrentFpControl();
  constexpr std::size_t kModes = sizeof kHostileControls / sizeof kHostileControls[0];
  std::size_t commands = 0;
  std::uint64_t commandsChangingTheMode = 0;
  g_callsInHostMode = g_callsInOtherModes = 0;
  const SweepDigest digest = RunSweep([&](const std::function<void()>& command) {
    const FpControl hostile = kHostileControls[commands++ % kModes];
    g_hostMode = hostile;
    SetFpControl(hostile);
    command();
    const FpControl after = CurrentFpControl();
    SetFpControl(saved);
    if (!(after == hostile)) ++commandsChangingTheMode;
  });
  EXPECT_EQ(Text(digest), Text(kGolden));
  EXPECT_EQ(commandsChangingTheMode, 0u);
  EXPECT_EQ(g_callsInOtherModes, 0u);
  EXPECT_GT(g_callsInHostMode, 0u);
}

}  // namespace
