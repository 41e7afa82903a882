// Binding through the load hook and "MBC Initialized", and unbinding at
// detach, against the platform double: which libraries are loaded, which
// exports found and called, which handles released and which boxes shown, in
// order. Each row is one process's story, told as the double records it.
// Whatever the story, every attempt releases what it loaded (each handle's
// release is in the record), and detach calls nothing.
#include "plugin/binding.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <tuple>
#include <vector>

#include "host/bound.h"
#include "host/host_ops.h"
#include "image/makers.h"
#include "numbering/allocator.h"
#include "numbering/numbering_commands.h"
#include "platform_fake.h"
#include "plugin/lifecycle.h"

using namespace numbering;

namespace {

// A library loaded as handle #h, its entry found and called, then released.
#define BOUND(file, entry, h) \
  "load " file " -> #" h "; find #" h " " entry " -> found; call " entry "; release #" h "; "
// ... or without its entry, released again.
#define NO_ENTRY(file, entry, h) \
  "load " file " -> #" h "; find #" h " " entry " -> missing; release #" h "; "
#define COMPANION(h) BOUND("RuzazUrovuv.dll", "VarIvoziVavu", h)
#define CORE(h) BOUND("ZavarOvur.dll", "?GetGlobPtr@@YAKXZ", h)
#define WARNING "box [Warning] [RuzazUrovuv\\VarIvoziVavu init failed.]; "
#define NO_COMPANION "load RuzazUrovuv.dll -> null; " WARNING
#define NO_CORE \
  "load ZavarOvur.dll -> null; box [Devad Initialisation] [ Library ZavarOvur.dll not found]; "

constexpr std::uint32_t kGlob = 0x00C0FFEE;

// Each story: what it shows; its steps: "init" ("MBC Initialized", its result
// recorded as "-> R"), "ctor" (the load hook), "detach", and what the folder
// holds: "+companion" (with its entry handing over a directory),
// "+emptycompanion" (its entry hands over none), "+core", "+zerocore" (its
// entry hands out 0), or a library by file name with no entry at all
// ("+RuzazUrovuv.dll", "+ZavarOvur.dll"); the record; and CorePtr afterwards.
const std::tuple<const char*, const char*, const char*, std::uint32_t> kStories[] = {
    {"the load hook binds the companion, then the core, releasing each", "+companion +core ctor",
     COMPANION("1") CORE("2"), kGlob},
    {"\"MBC Initialized\" binds before any load hook, and nothing binds twice",
     "+companion +core init init ctor", COMPANION("1") CORE("2") "-> 1; -> 1; ", kGlob},
    {"a missing companion warns on every attempt; the core binds once", "+core init init ctor",
     NO_COMPANION CORE("1") "-> 0; " NO_COMPANION "-> 0; " NO_COMPANION, kGlob},
    {"a companion without its entry is released and warns", "+RuzazUrovuv.dll +core init",
     NO_ENTRY("RuzazUrovuv.dll", "VarIvoziVavu", "1") WARNING CORE("2") "-> 0; ", kGlob},
    {"an entry handing over no directory is a failed binding, tried again",
     "+emptycompanion +core init +companion init",
     COMPANION("1") WARNING CORE("2") "-> 0; " COMPANION("3") "-> 1; ", kGlob},
    {"a missing core warns on every attempt while the companion stays bound",
     "+companion init init", COMPANION("1") NO_CORE "-> 1; " NO_CORE "-> 1; ", 0},
    {"a core without its entry is released silently and tried again",
     "+companion +ZavarOvur.dll init +core init",
     COMPANION("1")
         NO_ENTRY("ZavarOvur.dll", "?GetGlobPtr@@YAKXZ", "2") "-> 1; " CORE("3") "-> 1; ",
     kGlob},
    {"a core handing out 0 stays unbound for the next attempt", "+companion +zerocore init init",
     COMPANION("1") CORE("2") "-> 1; " CORE("3") "-> 1; ", 0},
    {"detach calls nothing and forgets the binding", "+companion +core ctor detach detach",
     COMPANION("1") CORE("2"), 0},
};

std::string Tell(const char* story, FakePlatform& platform, const host::TableEntry* table) {
  host::ModuleTable tables[32];
  for (host::ModuleTable& t : tables) t = table;
  std::istringstream steps(story);
  std::string record;
  for (std::string step; steps >> step;) {
    std::string result;
    if (step == "init") {
      result = "-> " + std::to_string(plugin::RetryBindingForScript(platform)) + "; ";
    } else if (step == "ctor") {
      plugin::RunLoadHook(platform);
    } else if (step == "detach") {
      plugin::OnProcessDetach();
    } else if (step == "+companion" || step == "+emptycompanion") {
      platform.AddDirectoryExport("RuzazUrovuv.dll", "VarIvoziVavu",
                                  step == "+companion" ? tables : nullptr);
    } else if (step == "+core" || step == "+zerocore") {
      platform.AddValueExport("ZavarOvur.dll", "?GetGlobPtr@@YAKXZ", step == "+core" ? kGlob : 0);
    } else {
      platform.AddLibrary(step.substr(1));
    }
    for (const std::string& call : platform.TakeCalls()) record += call + "; ";
    record += result;
  }
  return record;
}

TEST(Binding, Stories) {
  static const host::TableEntry table[32] = {};
  for (const auto& [name, steps, record, corePtr] : kStories) {
    FakePlatform platform;
    EXPECT_EQ(Tell(steps, platform, table), record) << name;
    EXPECT_EQ(plugin::CorePtr, corePtr) << name;
    // Bound, the copies point into the companion's tables, slots 1 to 27 and
    // no others; unbound, nothing is copied.
    const bool bound = host::CompanionBound();
    for (int slot = 0; slot <= 28; ++slot) {
      const bool copied = bound && slot >= 1 && slot <= 27;
      EXPECT_EQ(host::DirectorySlot(slot), copied ? table : nullptr) << name << ", " << slot;
    }
    plugin::OnProcessDetach();
  }
}

// The two gates (host/bound.h), opened by a companion whose directory holds
// no memblock table: "MBC Initialized" says 1, so the numbering commands hand
// out and count numbers (the host's operations answering 0), while the image
// commands return 0 and take no number.
TEST(Bound, WithoutAMemblockTableNumbersAreHandedOutButNoImageIsMade) {
  static const host::ModuleTable noTables[32] = {};
  FakePlatform platform;
  platform.AddDirectoryExport("RuzazUrovuv.dll", "VarIvoziVavu", noTables);
  EXPECT_EQ(plugin::RetryBindingForScript(platform), 1);
  EXPECT_EQ(MBC_DynamicMake(16), 1);
  EXPECT_EQ(MakeMemblockImage(4, 4, 32), 0);
  EXPECT_EQ(PrepareMeshMemblock(2), 0);
  EXPECT_EQ(MBC_Count(), 1);
  plugin::OnProcessDetach();
}

// What the commands cannot show from outside: the free-number stack itself,
// its full state, the 32-bit top, and how the host's tables are read.

// InsertFree says where it put the number; the commands never look. Into the
// 40 even numbers from 80 down, an odd number 83 - 2p goes to position p (the
// first and last of a block of eight looked at together among them), shifting
// those below it down by one; one already there, the top one too, goes to the bottom.
TEST(Allocator, InsertFreeReturnsThePosition) {
  for (const auto& [v, position] :
       {std::pair{81, 1}, {79, 2}, {65, 9}, {63, 10}, {41, 21}, {1, 41}, {40, 41}, {80, 41}}) {
    ResetNumbers();
    std::vector<std::int32_t> want;
    for (std::int32_t n = 80; n >= 2; n -= 2) want.push_back(FreeStack[++FreeCount] = n);
    FreeStack[++FreeCount] = 0;
    EXPECT_EQ(InsertFree(v), position) << v;
    want.insert(want.begin() + position - 1, v);
    EXPECT_EQ(std::vector<std::int32_t>(FreeStack + 1, FreeStack + 42), want) << v;
  }
}

// The stack holds at most 65537 numbers; a release beyond that is dropped
// and nothing past position 65537 is touched. Releasing the top still works.
TEST(Allocator, AFullStackDropsFurtherReleases) {
  ResetNumbers();
  HighWater = 200000;
  FreeCount = 65537;
  for (std::int32_t i = 1; i <= 65537; ++i) FreeStack[i] = 65538 - i;
  // Count, top and bottom of the stack, numbers in use.
  const auto state = [] {
    return std::vector<std::int32_t>{FreeCount, FreeStack[1], FreeStack[65537], NumbersInUse()};
  };
  EXPECT_EQ(ReleaseNumber(100000), 0);
  EXPECT_EQ(state(), (std::vector<std::int32_t>{65537, 65537, 1, 200000 - 65537}));
  ReleaseNumber(200000);
  EXPECT_EQ(AllocateNumber(), 1);
  ReleaseNumber(100000);
  EXPECT_EQ(state(), (std::vector<std::int32_t>{65537, 100000, 2, 199999 - 65537}));
}

// Below 1 nothing is a number: releasing 0, even with 0 as the top, or -1
// answers 0 and changes neither the top nor the stack.
TEST(Allocator, TheTopWrapsInThirtyTwoBitsAndNothingBelowOneIsTakenBack) {
  ResetNumbers();
  for (const std::int32_t n : {0, -1}) {
    // The number released, the answer, then the top and the count.
    EXPECT_EQ((std::vector<std::int32_t>{n, ReleaseNumber(n), HighWater, FreeCount}),
              (std::vector<std::int32_t>{n, 0, 0, 0}));
  }
  HighWater = INT_MAX;
  EXPECT_EQ(AllocateNumber(), INT_MIN);
  FreeCount = 1;
  EXPECT_EQ(NumbersInUse(), INT_MAX);
}

// The operation's address is read from the table at every call, never kept
// from an earlier one; an empty entry is not called.
TEST(HostTables, AnEntryIsReadAtEveryCall) {
  static host::TableEntry table[32] = {};
  static int calls = 0;
  host::ModuleTable directory[32] = {};
  directory[13] = table;
  host::BindDirectory(directory);
  EXPECT_EQ(host::MemExistsOp(3), 0);
  table[14] = reinterpret_cast<host::TableEntry>(
      static_cast<host::Op1>([](std::int32_t n) -> std::int32_t { return ++calls + n; }));
  EXPECT_EQ(host::MemExistsOp(3), 4);  // called once
  // Every arity calls nothing through an empty entry and answers 0.
  EXPECT_EQ(host::MemReadDwordOp(3, 0) | host::MemWriteDwordOp(3, 0, 1) |
                host::MemCopyOp(3, 4, 0, 0, 1) | host::BitmapExistsOp(3),
            0);
  host::UnbindDirectory();
  EXPECT_EQ(host::MemExistsOp(3), 0);
}

}  // namespace
