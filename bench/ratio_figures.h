// The figures of both ratio programs: each workload timed in pairs, then
// printed as a table on the console and, when asked, written as a JSON array
// with one object per workload.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "paired_sampler.h"
#include "workloads.h"

namespace bench {

struct WorkloadFigures {
  std::string name;
  std::uint64_t hostCalls = 0;
  PairedResult timed;
  // Instructions of one run of each side, when they were counted (natively,
  // under callgrind); both 0 otherwise.
  std::uint64_t commandInstructions = 0;
  std::uint64_t floorInstructions = 0;

  bool Counted() const { return commandInstructions != 0 && floorInstructions != 0; }
  double InstructionsRatio() const;
};

// Times every workload of Workloads() in pairs, one workload after the other,
// saying on stderr how each sampling ended.
std::vector<WorkloadFigures> TimeWorkloads(Clock clock, const SamplingOptions& options);

// `clockName` says what the times are ("CPU time", "wall time").
void PrintFigures(std::FILE* out, const std::vector<WorkloadFigures>& figures,
                  const std::string& clockName, const SamplingOptions& options);

// Each object: name, host_calls, pairs, ratio, ci_low, ci_high, stop,
// runs_per_sample, seconds, command_ns_per_call, floor_ns_per_call, and when
// counted instructions_ratio, command_instructions, floor_instructions. An
// interval too short to have bounds is written as null. False when the file
// cannot be written.
bool WriteFiguresJson(const std::string& path, const std::vector<WorkloadFigures>& figures);

}  // namespace bench
