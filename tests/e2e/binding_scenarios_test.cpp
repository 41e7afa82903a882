// Binding as the host meets it: each scenario is a process of its own, started
// from a folder holding the plug-in and only the host libraries the scenario
// has, with the plug-in's message boxes caught and printed in order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support.h"

namespace {

constexpr char kChild[] = "binding_child.exe";
constexpr char kCompanion[] = "RuzazUrovuv.dll";
constexpr char kCompanionWithoutEntry[] = "without-entry\\RuzazUrovuv.dll";
constexpr char kCore[] = "ZavarOvur.dll";

const std::string kCompanionBox =
    "box owner=none flags=0x0 title=\"Warning\" text=\"RuzazUrovuv\\VarIvoziVavu init failed.\"\n";
const std::string kCoreBox =
    "box owner=none flags=0x0 title=\"Devad Initialisation\" text=\" Library ZavarOvur.dll not "
    "found\"\n";

std::string RunScenario(const std::string& name, std::vector<std::string> hostFiles,
                        const std::string& steps) {
  hostFiles.push_back(kChild);
  hostFiles.push_back("DoduzIridizeruRediro.dll");
  std::string error;
  const std::string folder = e2e::MakeScenarioFolder(name, hostFiles, &error);
  EXPECT_FALSE(folder.empty()) << error;
  const e2e::ProgramRun run = e2e::RunProgram(folder, kChild, steps);
  EXPECT_TRUE(run.started);
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  return run.output;
}

std::string TestName() {
  return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

TEST(BindingScenario, BothLibrariesBindOnFirstInitWithoutAnyBox) {
  EXPECT_EQ(RunScenario(TestName(), {kCompanion, kCore}, "make init init requests make count"),
            "MBC_DynamicMake(16) -> 0, memblocks 0\n"
            "MBC_Init -> 1\n"
            "MBC_Init -> 1\n"
            "requests: directory 1, core 1\n"
            "MBC_DynamicMake(16) -> 1, memblocks 1\n"
            "MBC_Count -> 1\n");
}

TEST(BindingScenario, BothLibrariesBindFromTheLoadHookAndInitDoesNotRebind) {
  EXPECT_EQ(RunScenario(TestName(), {kCompanion, kCore}, "ctor requests init ctor requests"),
            "Constructor\n"
            "requests: directory 1, core 1\n"
            "MBC_Init -> 1\n"
            "Constructor\n"
            "requests: directory 1, core 1\n");
}

TEST(BindingScenario, CompanionMissingWarnsOnEveryAttemptAndNumberingStaysOff) {
  EXPECT_EQ(RunScenario(TestName(), {kCore}, "init init requests make count"),
            kCompanionBox + "MBC_Init -> 0\n" + kCompanionBox +
                "MBC_Init -> 0\n"
                "requests: directory -, core 1\n"
                "MBC_DynamicMake(16) -> 0, memblocks -1\n"
                "MBC_Count -> 0\n");
}

TEST(BindingScenario, CompanionMissingWarnsFromTheLoadHookThenFromInit) {
  EXPECT_EQ(RunScenario(TestName(), {kCore}, "ctor init requests"),
            kCompanionBox + "Constructor\n" + kCompanionBox +
                "MBC_Init -> 0\n"
                "requests: directory -, core 1\n");
}

TEST(BindingScenario, CompanionWithoutEntryWarnsLikeAMissingOne) {
  EXPECT_EQ(
      RunScenario(TestName(), {kCompanionWithoutEntry, kCore}, "init ctor init requests make"),
      kCompanionBox + "MBC_Init -> 0\n" + kCompanionBox + "Constructor\n" + kCompanionBox +
          "MBC_Init -> 0\n"
          "requests: directory 0, core 1\n"
          "MBC_DynamicMake(16) -> 0, memblocks 0\n");
}

TEST(BindingScenario, CoreMissingWarnsOnEveryAttemptButNumberingWorks) {
  EXPECT_EQ(RunScenario(TestName(), {kCompanion}, "init init requests make count"),
            kCoreBox + "MBC_Init -> 1\n" + kCoreBox +
                "MBC_Init -> 1\n"
                "requests: directory 1, core -\n"
                "MBC_DynamicMake(16) -> 1, memblocks 1\n"
                "MBC_Count -> 1\n");
}

TEST(BindingScenario, CoreMissingWarnsFromTheLoadHookThenFromInit) {
  EXPECT_EQ(RunScenario(TestName(), {kCompanion}, "ctor init requests"),
            kCoreBox + "Constructor\n" + kCoreBox +
                "MBC_Init -> 1\n"
                "requests: directory 1, core -\n");
}

TEST(BindingScenario, BothMissingWarnAboutTheCompanionFirstOnEveryAttempt) {
  EXPECT_EQ(RunScenario(TestName(), {}, "init init make count"),
            kCompanionBox + kCoreBox + "MBC_Init -> 0\n" + kCompanionBox + kCoreBox +
                "MBC_Init -> 0\n"
                "MBC_DynamicMake(16) -> 0, memblocks -1\n"
                "MBC_Count -> 0\n");
}

TEST(BindingScenario, BothMissingFromTheLoadHookThenFromInit) {
  EXPECT_EQ(
      RunScenario(TestName(), {}, "ctor init"),
      kCompanionBox + kCoreBox + "Constructor\n" + kCompanionBox + kCoreBox + "MBC_Init -> 0\n");
}

}  // namespace
