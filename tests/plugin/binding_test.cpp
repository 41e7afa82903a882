// Binding through the load hook and "MBC Initialized", against the platform
// double: which libraries are loaded, which exports found and called, which
// handles released and which boxes shown, in order.
#include "plugin/binding.h"

#include <gtest/gtest.h>

#include "plugin/platform_fake.h"
#include "host/host_ops.h"
#include "numbering/allocator.h"
#include "numbering/numbering_commands.h"
#include "plugin/lifecycle.h"
#include "refhost/memblock_store.h"

using Calls = std::vector<std::string>;

namespace {

const char kCompanion[] = "RuzazUrovuv.dll";
const char kCore[] = "ZavarOvur.dll";
const char kCompanionBox[] = "box [Warning] [RuzazUrovuv\\VarIvoziVavu init failed.]";
const char kCoreBox[] = "box [Devad Initialisation] [ Library ZavarOvur.dll not found]";
constexpr std::uint32_t kGlobalPointer = 0x00C0FFEE;

std::string Handle(int number) {
  return "#" + std::to_string(number);
}

// The companion loaded as `handle` and its entry called (the handle is kept).
Calls CompanionCalled(int handle) {
  return {"load RuzazUrovuv.dll -> " + Handle(handle),
          "find " + Handle(handle) + " VarIvoziVavu -> found", "call VarIvoziVavu"};
}

// The core loaded as `handle`, its entry called, the handle released.
Calls CoreCalled(int handle) {
  return {"load ZavarOvur.dll -> " + Handle(handle),
          "find " + Handle(handle) + " ?GetGlobPtr@@YAKXZ -> found", "call ?GetGlobPtr@@YAKXZ",
          "release " + Handle(handle)};
}

Calls operator+(Calls first, const Calls& then) {
  first.insert(first.end(), then.begin(), then.end());
  return first;
}

class Binding : public ::testing::Test {
 protected:
  void SetUp() override {
    refhost::ResetStore();
    plugin::OnProcessAttach();
    numbering::ResetNumbers();
  }
  // As at an unload, so that the next test starts from a freshly loaded
  // library and the double sees the kept handle released.
  void TearDown() override { plugin::OnProcessDetach(platform_, true); }

  void InstallCompanion() {
    platform_.AddDirectoryExport(kCompanion, "VarIvoziVavu", refhost::Directory());
  }
  void InstallCore() { platform_.AddValueExport(kCore, "?GetGlobPtr@@YAKXZ", kGlobalPointer); }

  std::int32_t ScriptInit() { return plugin::RetryBindingForScript(platform_); }

  FakePlatform platform_;
};

TEST_F(Binding, LoadHookBindsTheCompanionThenTheCore) {
  InstallCompanion();
  InstallCore();
  plugin::RunLoadHook(platform_);

  EXPECT_EQ(platform_.TakeCalls(), CompanionCalled(1) + CoreCalled(2));
  EXPECT_EQ(numbering::InitState, 1);
  EXPECT_EQ(plugin::CorePtr, kGlobalPointer);
  // The companion stays loaded for the copied table pointers; the core does not.
  EXPECT_EQ(platform_.OpenHandles(), std::set<int>{1});
  EXPECT_EQ(plugin::HeldCompanion(), FakePlatform::Handle(1));
  for (int slot = 1; slot <= 27; ++slot) {
    EXPECT_EQ(host::DirectorySlot(slot), refhost::Directory()[slot]) << "slot " << slot;
  }
  // The copies really reach the host: the numbering commands now work.
  EXPECT_EQ(MBC_DynamicMake(16), 1);
  EXPECT_TRUE(refhost::MemblockExists(1));
}

TEST_F(Binding, ScriptInitBeforeAnyLoadHookBindsAndNeverBindsAgain) {
  InstallCompanion();
  InstallCore();
  EXPECT_EQ(ScriptInit(), 1);
  EXPECT_EQ(platform_.TakeCalls(), CompanionCalled(1) + CoreCalled(2));

  // Once bound, neither path loads anything, even if the libraries went away.
  platform_.RemoveLibrary(kCompanion);
  platform_.RemoveLibrary(kCore);
  EXPECT_EQ(ScriptInit(), 1);
  plugin::RunLoadHook(platform_);
  EXPECT_EQ(ScriptInit(), 1);
  EXPECT_EQ(platform_.TakeCalls(), Calls{});
  EXPECT_EQ(plugin::CorePtr, kGlobalPointer);
}

TEST_F(Binding, MissingCompanionWarnsOnEveryAttemptAndStillBindsTheCore) {
  InstallCore();
  EXPECT_EQ(ScriptInit(), 0);
  EXPECT_EQ(platform_.TakeCalls(),
            (Calls{"load RuzazUrovuv.dll -> null", kCompanionBox} + CoreCalled(1)));
  EXPECT_EQ(plugin::CorePtr, kGlobalPointer);

  // The core is bound and is not tried again; the companion is, with its box.
  EXPECT_EQ(ScriptInit(), 0);
  EXPECT_EQ(platform_.TakeCalls(), (Calls{"load RuzazUrovuv.dll -> null", kCompanionBox}));

  // Unbound, the numbering commands do nothing.
  refhost::StartLog();
  EXPECT_EQ(MBC_DynamicMake(16), 0);
  EXPECT_EQ(MBC_Count(), 0);
  EXPECT_EQ(MBC_Delete(1), 0);
  EXPECT_EQ(MBC_Clear(), 0);
  EXPECT_TRUE(refhost::Log().empty());
  EXPECT_EQ(refhost::MemblockCount(), 0);
  EXPECT_TRUE(platform_.OpenHandles().empty());

  // A companion that appears later is bound by the next attempt.
  InstallCompanion();
  EXPECT_EQ(ScriptInit(), 1);
  EXPECT_EQ(MBC_DynamicMake(16), 1);
}

TEST_F(Binding, CompanionWithoutItsExportIsReleasedAndWarns) {
  platform_.AddLibrary(kCompanion);
  InstallCore();
  EXPECT_EQ(ScriptInit(), 0);
  EXPECT_EQ(platform_.TakeCalls(), (Calls{
                                        "load RuzazUrovuv.dll -> #1",
                                        "find #1 VarIvoziVavu -> missing",
                                        "release #1",
                                        kCompanionBox,
                                    } +
                                    CoreCalled(2)));
  EXPECT_EQ(host::DirectorySlot(13), nullptr);
  EXPECT_EQ(plugin::HeldCompanion(), nullptr);
  EXPECT_TRUE(platform_.OpenHandles().empty());
}

TEST_F(Binding, NullDirectoryIsAFailedBindingThatIsRetried) {
  platform_.AddDirectoryExport(kCompanion, "VarIvoziVavu", nullptr);
  InstallCore();
  EXPECT_EQ(ScriptInit(), 0);
  EXPECT_EQ(platform_.TakeCalls(),
            (CompanionCalled(1) + Calls{"release #1", kCompanionBox} + CoreCalled(2)));
  for (int slot = 1; slot <= 27; ++slot) EXPECT_EQ(host::DirectorySlot(slot), nullptr);
  EXPECT_TRUE(platform_.OpenHandles().empty());

  InstallCompanion();
  EXPECT_EQ(ScriptInit(), 1);
  EXPECT_EQ(platform_.TakeCalls(), CompanionCalled(3));
  EXPECT_EQ(host::DirectorySlot(13), refhost::Directory()[13]);
}

TEST_F(Binding, MissingCoreWarnsOnEveryAttemptWhileTheCompanionStaysBound) {
  InstallCompanion();
  EXPECT_EQ(ScriptInit(), 1);
  EXPECT_EQ(platform_.TakeCalls(),
            (CompanionCalled(1) + Calls{"load ZavarOvur.dll -> null", kCoreBox}));
  EXPECT_EQ(ScriptInit(), 1);
  EXPECT_EQ(platform_.TakeCalls(), (Calls{"load ZavarOvur.dll -> null", kCoreBox}));
  EXPECT_EQ(plugin::CorePtr, 0u);
  EXPECT_EQ(MBC_DynamicMake(4), 1);
}

TEST_F(Binding, CoreWithoutItsEntryIsReleasedSilentlyAndRetried) {
  InstallCompanion();
  platform_.AddLibrary(kCore);
  EXPECT_EQ(ScriptInit(), 1);
  const Calls coreWithoutEntry{
      "load ZavarOvur.dll -> #2",
      "find #2 ?GetGlobPtr@@YAKXZ -> missing",
      "release #2",
  };
  EXPECT_EQ(platform_.TakeCalls(), CompanionCalled(1) + coreWithoutEntry);
  EXPECT_EQ(plugin::CorePtr, 0u);

  InstallCore();
  EXPECT_EQ(ScriptInit(), 1);
  EXPECT_EQ(platform_.TakeCalls(), CoreCalled(3));
  EXPECT_EQ(plugin::CorePtr, kGlobalPointer);
  EXPECT_EQ(platform_.OpenHandles(), std::set<int>{1});
}

TEST_F(Binding, CoreEntryReturningZeroLeavesTheCoreUnboundForTheNextAttempt) {
  InstallCompanion();
  platform_.AddValueExport(kCore, "?GetGlobPtr@@YAKXZ", 0);
  EXPECT_EQ(ScriptInit(), 1);
  EXPECT_EQ(platform_.TakeCalls(), CompanionCalled(1) + CoreCalled(2));
  EXPECT_EQ(plugin::CorePtr, 0u);
  EXPECT_EQ(ScriptInit(), 1);
  EXPECT_EQ(platform_.TakeCalls(), CoreCalled(3));
}

TEST_F(Binding, BothMissingShowTheCompanionBoxFirstOnEveryAttempt) {
  const Calls attempt{"load RuzazUrovuv.dll -> null", kCompanionBox, "load ZavarOvur.dll -> null",
                      kCoreBox};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ScriptInit(), 0);
    EXPECT_EQ(platform_.TakeCalls(), attempt) << "attempt " << i;
  }
  // The load hook runs the same steps.
  plugin::RunLoadHook(platform_);
  EXPECT_EQ(platform_.TakeCalls(), attempt);
}

}  // namespace
