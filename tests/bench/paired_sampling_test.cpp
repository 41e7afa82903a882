// The benchmarks' statistics and stop rule: the order statistics that bound
// the median, the order of each pair, what a sample's time is divided by, why
// sampling stops, and the programs' options. The bodies here cost what a
// made-up clock says, so nothing is timed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pair_statistics.h"
#include "paired_sampler.h"
#include "ratio_options.h"

namespace {

using bench::MedianWith95Interval;

TEST(PairStatistics, RanksOfThe95IntervalFromTheBinomialTable) {
  struct Row {
    std::size_t count;
    std::size_t lowerRank;  // 0: no interval at 95%
  };
  // P(B <= k - 1) <= 2.5% < P(B <= k) for B ~ Binomial(count, 1/2):
  // 6: 1/64 then 7/64; 9: 10/512 then 46/512; the rest from published tables.
  const Row rows[] = {{1, 0}, {5, 0}, {6, 1}, {9, 2}, {20, 6}, {100, 40}, {1000, 469}};
  for (const Row& row : rows) {
    EXPECT_EQ(bench::LowerRankOf95(row.count), row.lowerRank) << row.count << " values";
  }
}

TEST(PairStatistics, MedianAndBoundsAreTheRankedValues) {
  struct Row {
    const char* what;
    std::vector<double> values;
    double median, low, high;
    bool bounded;
  };
  const Row rows[] = {
      {"nine in any order: ranks 2 and 8", {9, 1, 8, 2, 7, 3, 6, 4, 5}, 5, 2, 8, true},
      {"six: the extremes bound, the median is the middle two's mean",
       {1.3, 1.0, 1.1, 1.5, 1.2, 1.4},
       1.25,
       1.0,
       1.5,
       true},
      {"five: no interval, both bounds at the median", {3, 1, 2, 5, 4}, 3, 3, 3, false},
  };
  for (const Row& row : rows) {
    const bench::MedianInterval m = MedianWith95Interval(row.values);
    EXPECT_DOUBLE_EQ(m.median, row.median) << row.what;
    EXPECT_DOUBLE_EQ(m.low, row.low) << row.what;
    EXPECT_DOUBLE_EQ(m.high, row.high) << row.what;
    EXPECT_EQ(m.bounded, row.bounded) << row.what;
  }
  // (8 - 2) / 2 / 5
  EXPECT_DOUBLE_EQ(MedianWith95Interval(rows[0].values).RelativeHalfWidth(), 0.6);
  EXPECT_FALSE(MedianWith95Interval(rows[2].values).RelativeHalfWidth() <= 1e9);
}

// A clock that only the bodies move: each run of a side adds its cost. The
// command's cost may alternate between two values, run after run.
double g_now = 0;
double g_floorCost = 1;
double g_commandCosts[2] = {1, 1};
// When set, the cost of the command's run number `run` (0 the warm-up).
double (*g_commandCostOfRun)(unsigned run) = nullptr;
unsigned g_commandRuns = 0;
std::string g_order;
// Where each run's stack frame lay, in the order of g_order.
std::vector<std::uintptr_t> g_frames;

void NoteFrame() {
  volatile int local = 0;
  g_frames.push_back(reinterpret_cast<std::uintptr_t>(&local));
}

double MadeUpClock() {
  return g_now;
}
void Command() {
  const unsigned run = g_commandRuns++;
  g_now += g_commandCostOfRun ? g_commandCostOfRun(run) : g_commandCosts[run % 2];
  g_order += 'c';
  NoteFrame();
}
void Floor() {
  g_now += g_floorCost;
  g_order += 'f';
  NoteFrame();
}

void SetCosts(double floor, double command, double otherCommand) {
  g_now = 0;
  g_floorCost = floor;
  g_commandCosts[0] = command;
  g_commandCosts[1] = otherCommand;
  g_commandCostOfRun = nullptr;
  g_commandRuns = 0;
  g_order.clear();
  g_frames.clear();
}

bench::SamplingOptions Options(double halfWidth, double budgetSeconds, std::size_t minPairs) {
  bench::SamplingOptions options;
  options.halfWidth = halfWidth;
  options.budgetSeconds = budgetSeconds;
  options.minPairs = minPairs;
  options.leastSampleMs = 1;
  return options;
}

TEST(PairedSampler, PairsAlternateWhichSideGoesFirst) {
  SetCosts(2, 2.5, 2.5);
  const bench::PairedResult r =
      bench::SamplePairs(&Command, &Floor, &MadeUpClock, Options(0.01, 3600, 6));
  // A run of each side to warm up and a run of the floor to size the
  // samples, then the pairs.
  EXPECT_EQ(g_order,
            "cff"
            "cf"
            "fc"
            "cf"
            "fc"
            "cf"
            "fc");
  EXPECT_EQ(r.pairs, 6u);
  EXPECT_EQ(r.runsPerSample, 1);
  EXPECT_DOUBLE_EQ(r.ratio.median, 1.25);
  EXPECT_DOUBLE_EQ(r.commandMs, 2.5);
  EXPECT_DOUBLE_EQ(r.floorMs, 2);
  EXPECT_EQ(r.stop, bench::Stop::kInterval);
}

// Both halves of a pair run at one depth of the stack (the two bodies' frames
// lie the same distance apart in every pair); from pair to pair the depth
// moves, within one 4 KB page.
TEST(PairedSampler, EachPairRunsAtADepthOfItsOwn) {
  SetCosts(1, 1, 1);
  const std::size_t pairs = 40;
  bench::SamplePairs(&Command, &Floor, &MadeUpClock, Options(0.01, 3600, pairs));
  ASSERT_EQ(g_frames.size(), 3 + 2 * pairs);
  std::vector<std::uintptr_t> depths;
  std::vector<std::intptr_t> apart;
  for (std::size_t run = 3; run < g_frames.size(); run += 2) {
    const bool commandFirst = g_order[run] == 'c';
    const std::uintptr_t command = g_frames[commandFirst ? run : run + 1];
    const std::uintptr_t floor = g_frames[commandFirst ? run + 1 : run];
    depths.push_back(command);
    apart.push_back(static_cast<std::intptr_t>(floor - command));
  }
  EXPECT_EQ(std::count(apart.begin(), apart.end(), apart[0]), static_cast<std::ptrdiff_t>(pairs));
  const auto [low, high] = std::minmax_element(depths.begin(), depths.end());
  EXPECT_LT(*high - *low, 4096u);
  std::sort(depths.begin(), depths.end());
  EXPECT_GT(std::unique(depths.begin(), depths.end()) - depths.begin(), 20);
}

TEST(PairedSampler, ShortBodiesRunSeveralTimesASampleAndTimesArePerRun) {
  // 1 ms / 0.25 ms: four runs a sample.
  SetCosts(0.25, 0.3125, 0.3125);
  const bench::PairedResult r =
      bench::SamplePairs(&Command, &Floor, &MadeUpClock, Options(0.01, 3600, 10));
  EXPECT_EQ(r.runsPerSample, 4);
  EXPECT_EQ(g_order.size(), 3u + 10 * 2 * 4);
  EXPECT_EQ(g_order.substr(3, 16),
            "ccccffff"
            "ffffcccc");
  EXPECT_DOUBLE_EQ(r.commandMs, 0.3125);
  EXPECT_DOUBLE_EQ(r.floorMs, 0.25);
  EXPECT_DOUBLE_EQ(r.ratio.median, 1.25);
}

TEST(PairedSampler, StopsOnTheIntervalOrElseOnTheBudget) {
  struct Row {
    const char* what;
    double halfWidth, budgetSeconds;
    std::size_t minPairs;
    bench::Stop stop;
    std::size_t pairs;
  };
  // Ratios alternate between 1.0 and 1.2 (the warm-up used one command run,
  // so the first pair's command costs 1.2): median 1.1, interval 1.0 to 1.2,
  // a half-width of 0.1 / 1.1 = 9.1%.
  const Row rows[] = {
      {"an interval narrow enough at the first look", 0.1, 3600, 20, bench::Stop::kInterval, 20},
      {"too wide, and no budget left", 0.05, 0, 20, bench::Stop::kBudget, 20},
      {"too wide: nothing is looked at before the least count of pairs", 0.05, 0, 7,
       bench::Stop::kBudget, 7},
  };
  for (const Row& row : rows) {
    SetCosts(1, 1.0, 1.2);
    const bench::PairedResult r = bench::SamplePairs(
        &Command, &Floor, &MadeUpClock, Options(row.halfWidth, row.budgetSeconds, row.minPairs));
    EXPECT_EQ(r.stop, row.stop) << row.what;
    EXPECT_EQ(r.pairs, row.pairs) << row.what;
    EXPECT_TRUE(r.ratio.bounded) << row.what;
    EXPECT_NEAR(r.ratio.low, 1.0, 1e-12) << row.what;
    EXPECT_NEAR(r.ratio.high, 1.2, 1e-12) << row.what;
  }
}

// The interval is looked at after 20 pairs, then 25, 31...: here it is too
// wide at 20 and narrow from 23 on (the six ratios of 1.2 among the first
// twenty pairs fall outside ranks 7 to 17 of 23), but the next look is at 25.
TEST(PairedSampler, TheIntervalIsLookedAtAsThePairsGrowByAQuarter) {
  SetCosts(1, 1, 1);
  g_commandCostOfRun = [](unsigned run) { return run >= 1 && run <= 6 ? 1.2 : 1.0; };
  const bench::PairedResult r =
      bench::SamplePairs(&Command, &Floor, &MadeUpClock, Options(0.01, 3600, 20));
  EXPECT_EQ(r.stop, bench::Stop::kInterval);
  EXPECT_EQ(r.pairs, 25u);
  EXPECT_DOUBLE_EQ(r.ratio.high, 1.0);
}

TEST(RatioOptions, FlagsAndRefusals) {
  struct Row {
    std::vector<std::string> args;
    bool native;
    const char* error;  // empty: accepted
    double budget = 0, halfWidth = 0;
    std::size_t minPairs = 0;
    const char* json = "";
    bool wallClock = false, instructions = false;
  };
  const Row rows[] = {
      {{}, true, "", 20, 0.01, 20, "", false, false},
      {{"--budget", "2.5", "--half-width", "0.02", "--min-pairs", "8", "--json", "out.json"},
       false,
       "",
       2.5,
       0.02,
       8,
       "out.json",
       false,
       false},
      {{"--clock", "wall", "--instructions"}, true, "", 20, 0.01, 20, "", true, true},
      {{"--instructions"}, false, "unknown argument '--instructions'"},
      {{"--clock", "cpu"}, false, "unknown argument '--clock'"},
      {{"--clock", "tsc"}, true, "--clock takes cpu or wall, not 'tsc'"},
      {{"--budget"}, true, "--budget needs a value"},
      {{"--budget", "-1"}, true, "--budget takes a number of at least 0, not '-1'"},
      {{"--budget", "5s"}, true, "--budget takes a number of at least 0, not '5s'"},
      {{"--min-pairs", "2.5"}, true, "--min-pairs takes a whole number of at least 1, not '2.5'"},
      {{"--min-pairs", "0"}, true, "--min-pairs takes a whole number of at least 1, not '0'"},
  };
  for (const Row& row : rows) {
    std::vector<char*> argv = {const_cast<char*>("program")};
    for (const std::string& a : row.args) argv.push_back(const_cast<char*>(a.c_str()));
    bench::RatioOptions options;
    std::string error;
    const bool accepted = bench::ParseRatioOptions(static_cast<int>(argv.size()), argv.data(),
                                                   row.native, &options, &error);
    const std::string said = row.args.empty() ? "(none)" : row.args[0];
    EXPECT_EQ(error, row.error) << said;
    EXPECT_EQ(accepted, error.empty()) << said;
    if (!accepted) continue;
    EXPECT_EQ(options.sampling.budgetSeconds, row.budget) << said;
    EXPECT_EQ(options.sampling.halfWidth, row.halfWidth) << said;
    EXPECT_EQ(options.sampling.minPairs, row.minPairs) << said;
    EXPECT_EQ(options.jsonPath, row.json) << said;
    EXPECT_EQ(options.wallClock, row.wallClock) << said;
    EXPECT_EQ(options.instructions, row.instructions) << said;
  }
}

}  // namespace
