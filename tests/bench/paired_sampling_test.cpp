// The benchmarks' statistics and stop rule: the order statistics that bound
// the median, the order of each pair, what a sample's time is divided by, why
// sampling stops, and the programs' options. The bodies here cost what a
// made-up clock says, so nothing is timed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "pair_statistics.h"
#include "paired_sampler.h"
#include "ratio_options.h"
#include "rows.h"

namespace {

// The interval runs from rank k to rank count + 1 - k, k the largest with
// P(B <= k - 1) <= 2.5% for B ~ Binomial(count, 1/2): six values are the
// fewest with one (1/64 then 7/64), nine give k = 2 (10/512 then 46/512).
struct MedianRow {
  const char* name;
  std::vector<double> values;
  std::vector<double> expected;  // median, bounds, and half the width over the median
};
class PairStatistics : public ::testing::TestWithParam<MedianRow> {};
TEST_P(PairStatistics, MedianAndTheRankedValuesThatBoundIt) {
  const bench::MedianInterval m = bench::MedianWith95Interval(GetParam().values);
  EXPECT_EQ((std::vector<double>{m.median, m.low, m.high, m.RelativeHalfWidth()}),
            GetParam().expected);
}
const MedianRow kMedians[] = {
    {"nine values", {9, 1, 8, 2, 7, 3, 6, 4, 5}, {5, 2, 8, 0.6}},
    {"an even count: the middle two's mean, bounded by the extremes",
     {13, 10, 11, 15, 12, 14},
     {12.5, 10, 15, 0.2}},
    {"too few for an interval: both bounds at the median, never narrow",
     {3, 1, 2, 5, 4},
     {3, 3, 3, HUGE_VAL}},
};
INSTANTIATE_TEST_SUITE_P(, PairStatistics, ::testing::ValuesIn(kMedians), RowName<MedianRow>);

TEST(PairStatisticsRank, ALargeCountAgainstPublishedTables) {
  EXPECT_EQ(bench::LowerRankOf95(1000), 469u);
}

// A clock that only the bodies move: each run of a side adds its cost.
struct MadeUpRuns {
  double now = 0;
  double floorCost = 1;
  double (*commandCost)(unsigned run) = nullptr;  // run 0 is the warm-up
  unsigned commandRuns = 0;
  std::string order;
  // Where each run's stack frame lay, in the order of `order`.
  std::vector<std::uintptr_t> frames;
} g;

void Run(char side, double cost) {
  volatile int local = 0;
  g.frames.push_back(reinterpret_cast<std::uintptr_t>(&local));
  g.order += side;
  g.now += cost;
}

bench::PairedResult Sample(double halfWidth, double budgetSeconds, std::size_t minPairs,
                           double floorCost, double (*commandCost)(unsigned)) {
  g = MadeUpRuns{0, floorCost, commandCost, 0, "", {}};
  return bench::SamplePairs([] { Run('c', g.commandCost(g.commandRuns++)); },
                            [] { Run('f', g.floorCost); }, [] { return g.now; },
                            bench::SamplingOptions{halfWidth, budgetSeconds, minPairs, 1});
}

// A run of each side to warm up and a run of the floor to size the samples,
// then the pairs, every other one the command first. 1 ms / 0.25 ms: four
// runs a sample, and the times are per run. Constant ratios: the interval is
// narrow at the first look, here before the default least count of pairs.
TEST(PairedSampler, PairsAlternateWhichSideGoesFirstAndTimesArePerRun) {
  const bench::PairedResult r = Sample(0.01, 3600, 6, 0.25, [](unsigned) { return 0.3125; });
  // "cff", then "ccccffff" (the command first) and "ffffcccc" (the floor first).
  EXPECT_EQ(g.order.substr(0, 19), "cffccccffffffffcccc");
  EXPECT_EQ(r.pairs, 6u);
  EXPECT_EQ(r.stop, bench::Stop::kInterval);
  EXPECT_EQ(r.runsPerSample, 4);
  EXPECT_DOUBLE_EQ(r.commandMs, 0.3125);
  EXPECT_DOUBLE_EQ(r.floorMs, 0.25);
  EXPECT_DOUBLE_EQ(r.ratio.median, 1.25);
}

// Both halves of a pair run at one depth of the stack (the two bodies' frames
// lie the same distance apart in every pair); from pair to pair the depth
// moves, within one 4 KB page.
TEST(PairedSampler, EachPairRunsAtADepthOfItsOwn) {
  Sample(0.01, 3600, 40, 1, [](unsigned) { return 1.0; });
  ASSERT_EQ(g.frames.size(), 3 + 2 * 40u);
  std::set<std::uintptr_t> depths;
  std::set<std::intptr_t> apart;
  for (std::size_t run = 3; run < g.frames.size(); run += 2) {
    const std::size_t command = g.order[run] == 'c' ? run : run + 1;
    depths.insert(g.frames[command]);
    apart.insert(static_cast<std::intptr_t>(g.frames[2 * run + 1 - command] - g.frames[command]));
  }
  EXPECT_EQ(apart.size(), 1u);
  EXPECT_LT(*depths.rbegin() - *depths.begin(), 4096u);
  EXPECT_GT(depths.size(), 20u);
}

TEST(PairedSampler, StopsWhenALookFindsTheIntervalNarrowOrElseOnTheBudget) {
  // Ratios alternate between 1.0 and 1.2 (the warm-up took the command's run
  // 0): median 1.1, interval 1.0 to 1.2, a half-width of 9.1%, too wide for
  // 5%. With no budget, sampling stops at the least count of pairs, not before.
  bench::PairedResult r = Sample(0.05, 0, 20, 1, [](unsigned run) { return run % 2 ? 1.2 : 1.0; });
  EXPECT_EQ(r.stop, bench::Stop::kBudget);
  EXPECT_EQ(r.pairs, 20u);
  EXPECT_NEAR(r.ratio.low, 1.0, 1e-12);
  EXPECT_NEAR(r.ratio.high, 1.2, 1e-12);
  // The interval is looked at after 20 pairs, then 25, 31...: here it is too
  // wide at 20 and narrow from 23 on (the six ratios of 1.2 among the first
  // twenty pairs fall outside ranks 7 to 17 of 23), but the next look is at 25.
  r = Sample(0.01, 3600, 20, 1, [](unsigned run) { return run >= 1 && run <= 6 ? 1.2 : 1.0; });
  EXPECT_EQ(r.stop, bench::Stop::kInterval);
  EXPECT_EQ(r.pairs, 25u);
  EXPECT_NEAR(r.ratio.high, 1.0, 1e-12);
}

// The arguments, whether the program is the native one (which has flags of
// its own), and what was parsed (budget, half-width, least pairs, JSON file,
// clock and instructions), or else why the arguments were refused.
struct OptionsRow {
  const char* name;
  std::vector<const char*> args;
  bool native;
  std::string said;
};
class RatioOptions : public ::testing::TestWithParam<OptionsRow> {};
TEST_P(RatioOptions, Row) {
  std::vector<const char*> argv = {"program"};
  argv.insert(argv.end(), GetParam().args.begin(), GetParam().args.end());
  bench::RatioOptions o;
  std::string error;
  std::ostringstream parsed;
  if (bench::ParseRatioOptions(static_cast<int>(argv.size()), const_cast<char**>(argv.data()),
                               GetParam().native, &o, &error)) {
    parsed << o.sampling.budgetSeconds << ' ' << o.sampling.halfWidth << ' ' << o.sampling.minPairs
           << " '" << o.jsonPath << "' " << (o.wallClock ? "wall" : "cpu")
           << (o.instructions ? " instructions" : "");
  }
  EXPECT_EQ(parsed.str() + error, GetParam().said);
}
const OptionsRow kOptions[] = {
    {"the shared options",
     {"--budget", "2.5", "--half-width", "0.02", "--min-pairs", "8", "--json", "out.json"},
     false,
     "2.5 0.02 8 'out.json' cpu"},
    {"the native program's own",
     {"--clock", "wall", "--instructions"},
     true,
     "20 0.01 20 '' wall instructions"},
    {"no instruction count in the DLL's",
     {"--instructions"},
     false,
     "unknown argument '--instructions'"},
    {"no clock in the DLL's", {"--clock", "cpu"}, false, "unknown argument '--clock'"},
    {"an unknown clock", {"--clock", "tsc"}, true, "--clock takes cpu or wall, not 'tsc'"},
    {"a budget without a value", {"--budget"}, true, "--budget needs a value"},
    {"a negative budget",
     {"--budget", "-1"},
     true,
     "--budget takes a number of at least 0, not '-1'"},
    {"a budget with a unit",
     {"--budget", "5s"},
     true,
     "--budget takes a number of at least 0, not '5s'"},
    {"a fraction of a pair",
     {"--min-pairs", "2.5"},
     true,
     "--min-pairs takes a whole number of at least 1, not '2.5'"},
    {"no pairs",
     {"--min-pairs", "0"},
     true,
     "--min-pairs takes a whole number of at least 1, not '0'"},
};
INSTANTIATE_TEST_SUITE_P(, RatioOptions, ::testing::ValuesIn(kOptions), RowName<OptionsRow>);

}  // namespace
