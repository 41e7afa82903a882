// Binding through the load hook and "MBC Initialized", and unbinding at
// detach, against the platform double: which libraries are loaded, which
// exports found and called, which handles released and which boxes shown, in
// order. Each row is one process's story, told as the double records it.
// Whatever the story, every attempt releases what it loaded (each handle's
// release is in the record), and detach calls nothing.
#include "plugin/binding.h"

#include <gtest/gtest.h>

#include <sstream>

#include "host/bound.h"
#include "host/host_ops.h"
#include "image/makers.h"
#include "numbering/numbering_commands.h"
#include "platform_fake.h"
#include "plugin/lifecycle.h"
#include "rows.h"

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

struct Story {
  const char* name;
  // In order, separated by blanks: "init" ("MBC Initialized", its result
  // recorded as "-> R"), "ctor" (the load hook), "detach", and what the
  // folder comes to hold: "+companion" (with its entry handing over a
  // directory), "+emptycompanion" (its entry hands over none), "+core",
  // "+zerocore" (its entry hands out 0), or a library by file name with no
  // entry at all ("+RuzazUrovuv.dll", "+ZavarOvur.dll").
  const char* steps;
  // What the double recorded, each call followed by "; " (see platform_fake.h).
  const char* record;
  std::uint32_t corePtr;  // afterwards
};

const Story kStories[] = {
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

class Binding : public ::testing::TestWithParam<Story> {};

TEST_P(Binding, Story) {
  static const host::TableEntry table[32] = {};
  FakePlatform platform;
  EXPECT_EQ(Tell(GetParam().steps, platform, table), GetParam().record);
  EXPECT_EQ(plugin::CorePtr, GetParam().corePtr);
  // Bound, the copies point into the companion's tables, slots 1 to 27 and
  // no others; unbound, nothing is copied.
  for (int slot = 0; slot <= 28; ++slot) {
    const bool copied = host::CompanionBound() && slot >= 1 && slot <= 27;
    EXPECT_EQ(host::DirectorySlot(slot), copied ? table : nullptr) << "slot " << slot;
  }
  plugin::OnProcessDetach();
}

INSTANTIATE_TEST_SUITE_P(, Binding, ::testing::ValuesIn(kStories), RowName<Story>);

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

}  // namespace
