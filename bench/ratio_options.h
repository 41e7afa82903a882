// The command line of both ratio programs:
//
//   --budget SECONDS     wall time a workload may take at most (default 20)
//   --half-width F       stop a workload once its interval is within ±F of
//                        the median ratio (default 0.01)
//   --min-pairs N        pairs taken before either rule is looked at (20)
//   --json FILE          also write the figures to FILE
//
// and, natively only:
//
//   --clock cpu|wall     what a sample measures: the process's CPU time
//                        (default) or wall time
//   --instructions       also count the instructions of one run of each side
//                        under callgrind, and print their ratio
#pragma once

#include <string>

#include "paired_sampler.h"

namespace bench {

struct RatioOptions {
  SamplingOptions sampling;
  std::string jsonPath;  // empty: no file
  bool wallClock = false;
  bool instructions = false;
  // The process that --instructions starts under callgrind: it counts, and
  // times nothing.
  bool countingChild = false;
};

// The flag that makes a process the counting child.
constexpr const char* kCountingChildFlag = "--counting-child";

// Fills `options` from argv[1..]; on a wrong argument says why in `error`.
// `native` admits the native program's own flags.
bool ParseRatioOptions(int argc, char** argv, bool native, RatioOptions* options,
                       std::string* error);

}  // namespace bench
