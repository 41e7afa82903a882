#include "paired_sampler.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <vector>

namespace bench {
namespace {

constexpr std::size_t kPage = 4096;
constexpr std::size_t kStackAlign = 16;

double MsPerRun(Body body, int runs, Clock clock) {
  const double start = clock();
  for (int i = 0; i < runs; ++i) body();
  return (clock() - start) / runs;
}

struct PairTimes {
  double command;
  double floor;
};

// Times one pair with the stack `shift` bytes deeper than at the call, so that
// the bodies' frames sit at another place relative to the data they touch.
__attribute__((noinline)) PairTimes TimePair(Body command, Body floor, Clock clock, int runs,
                                             bool commandFirst, std::size_t shift) {
  volatile char* pad = static_cast<char*>(__builtin_alloca(shift + 1));
  pad[0] = 0;
  PairTimes t{0, 0};
  if (commandFirst) {
    t.command = MsPerRun(command, runs, clock);
    t.floor = MsPerRun(floor, runs, clock);
  } else {
    t.floor = MsPerRun(floor, runs, clock);
    t.command = MsPerRun(command, runs, clock);
  }
  pad[0] = 1;
  return t;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The fewest runs of `floor` that last at least `leastMs`, from one run timed
// after a run of each side has warmed the caches and the branch predictors.
int RunsPerSample(Body command, Body floor, Clock clock, double leastMs) {
  command();
  floor();
  const double once = MsPerRun(floor, 1, clock);
  if (once >= leastMs) return 1;
  if (once <= 0) return 1000;  // below the clock's resolution
  return static_cast<int>(std::ceil(leastMs / once));
}

}  // namespace

const char* StopName(Stop stop) {
  return stop == Stop::kInterval ? "interval" : "budget";
}

PairedResult SamplePairs(Body command, Body floor, Clock clock, const SamplingOptions& options) {
  PairedResult result;
  result.runsPerSample = RunsPerSample(command, floor, clock, options.leastSampleMs);
  const int runs = result.runsPerSample;
  const auto start = std::chrono::steady_clock::now();
  std::vector<double> ratios, commandMs, floorMs;
  std::mt19937 random(1);
  // The interval is looked at when the count of pairs has grown by a quarter
  // since the last look: looking after every pair would stop on the first
  // lucky stretch of narrow ratios more often than the 95% allows.
  std::size_t nextLook = std::max<std::size_t>(options.minPairs, 1);
  for (;;) {
    // Each pair at another depth of the stack, 0 to 4080 bytes: see the header.
    const std::size_t shift = kStackAlign * (random() % (kPage / kStackAlign));
    const PairTimes t = TimePair(command, floor, clock, runs, ratios.size() % 2 == 0, shift);
    const double c = t.command, f = t.floor;
    commandMs.push_back(c);
    floorMs.push_back(f);
    ratios.push_back(c / f);
    if (ratios.size() < options.minPairs) continue;
    if (ratios.size() >= nextLook) {
      nextLook = std::max(nextLook + 1, nextLook + nextLook / 4);
      if (MedianWith95Interval(ratios).RelativeHalfWidth() <= options.halfWidth) {
        result.stop = Stop::kInterval;
        break;
      }
    }
    if (SecondsSince(start) >= options.budgetSeconds) {
      result.stop = Stop::kBudget;
      break;
    }
  }
  result.seconds = SecondsSince(start);
  result.pairs = ratios.size();
  result.ratio = MedianWith95Interval(ratios);
  result.commandMs = Median(commandMs);
  result.commandTimes = MedianWith95Interval(commandMs);
  result.commandFastestMs = *std::min_element(commandMs.begin(), commandMs.end());
  result.floorFastestMs = *std::min_element(floorMs.begin(), floorMs.end());
  result.floorMs = Median(floorMs);
  return result;
}

}  // namespace bench
