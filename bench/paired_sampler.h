// Times a command against its floor as adjacent pairs: command then floor,
// then floor then command, and so on, many short samples, each pair giving one
// ratio. Whatever slows the machine for a moment slows both halves of a pair
// alike, so the ratio keeps still while the times themselves wander; the
// median of the ratios, with its 95% interval, is the figure.
//
// Each pair runs with the stack a random multiple of 16 bytes deeper, within
// one 4 KB page. Where the bodies' stack frames fall within a page, against
// the pixels they write, changes their speed (the processor first matches a
// load against earlier stores by the low 12 bits of the addresses): in one
// process the command or the floor can come out 10-20% slower for the whole
// run, in the next not at all, since the system places the stack at random.
// Spread over the pairs, that placement becomes part of the noise the
// interval measures, and one process's figure holds for the next.
#pragma once

#include <cstddef>

#include "pair_statistics.h"

namespace bench {

// Milliseconds from any fixed origin.
using Clock = double (*)();
using Body = void (*)();

struct SamplingOptions {
  // Sampling stops once the interval's half-width is at most this fraction
  // of the median ratio...
  double halfWidth = 0.01;
  // ... or once this much wall time has been spent on the workload.
  double budgetSeconds = 20;
  // Neither is looked at before this many pairs.
  std::size_t minPairs = 20;
  // A sample repeats its body until it lasts about this long.
  double leastSampleMs = 1;
};

enum class Stop { kInterval, kBudget };
const char* StopName(Stop stop);

struct PairedResult {
  std::size_t pairs = 0;
  int runsPerSample = 0;
  MedianInterval ratio;  // command over floor
  double commandMs = 0;  // median time of one run
  double floorMs = 0;
  MedianInterval commandTimes;  // the command's times of one run, with their 95% interval
  // The fastest run of each side: on a machine others load, the runs the
  // scheduler did not cut into.
  double commandFastestMs = 0;
  double floorFastestMs = 0;
  Stop stop = Stop::kBudget;
  double seconds = 0;  // wall time spent sampling
};

PairedResult SamplePairs(Body command, Body floor, Clock clock, const SamplingOptions& options);

}  // namespace bench
