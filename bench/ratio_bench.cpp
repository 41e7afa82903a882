// mbc_bench: the native ratio program. The plug-in's code linked in and bound
// to the linked reference store; each workload of workloads.h timed as
// adjacent pairs of command and floor (paired_sampler.h), and with
// --instructions the instructions of one run of each side counted under
// callgrind. Options in ratio_options.h.
//
//   cmake --preset bench && cmake --build --preset bench
//   build/bench/bench/mbc_bench [--budget S] [--json FILE] [--instructions]
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "instruction_count.h"
#include "native_product.h"
#include "ratio_figures.h"
#include "ratio_options.h"
#include "workloads.h"

namespace {

double CpuMs() {
  return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

double WallMs() {
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::string CountLabel(std::size_t workload, bool floor, int run) {
  return (floor ? "floor/" : "command/") + std::to_string(workload) + "/" + std::to_string(run);
}

// The counting child: two runs of each side, each counted alone, after one
// run that resolves the lazy bindings and touches every page, so that both
// count the same.
int CountInChild() {
  if (!bench::UnderValgrind()) {
    std::fprintf(stderr, "mbc_bench: %s is for the run under callgrind\n",
                 bench::kCountingChildFlag);
    return 2;
  }
  const auto& workloads = bench::Workloads();
  for (std::size_t i = 0; i < workloads.size(); ++i) {
    workloads[i].command();
    workloads[i].floor();
    for (int run = 1; run <= 2; ++run) {
      bench::CountOneRun(CountLabel(i, false, run), workloads[i].command);
      bench::CountOneRun(CountLabel(i, true, run), workloads[i].floor);
    }
  }
  return 0;
}

// Runs this program again under callgrind and sets each workload's counts;
// false when they cannot be had or two runs of one body counted differently.
bool CountInstructions(std::vector<bench::WorkloadFigures>* figures) {
  std::map<std::string, std::uint64_t> counts;
  std::string error;
  if (!bench::CountUnderCallgrind(bench::ThisProgram(), {bench::kCountingChildFlag}, &counts,
                                  &error)) {
    std::fprintf(stderr, "mbc_bench: no instruction counts: %s\n", error.c_str());
    return false;
  }
  for (std::size_t i = 0; i < figures->size(); ++i) {
    std::uint64_t side[2] = {0, 0};
    for (bool floor : {false, true}) {
      const std::uint64_t first = counts[CountLabel(i, floor, 1)];
      const std::uint64_t second = counts[CountLabel(i, floor, 2)];
      if (first == 0 || first != second) {
        std::fprintf(stderr, "mbc_bench: %s, %s: two runs counted %llu and %llu instructions\n",
                     (*figures)[i].name.c_str(), floor ? "floor" : "command",
                     static_cast<unsigned long long>(first),
                     static_cast<unsigned long long>(second));
        return false;
      }
      side[floor] = first;
    }
    (*figures)[i].commandInstructions = side[0];
    (*figures)[i].floorInstructions = side[1];
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  bench::RatioOptions options;
  std::string error;
  if (!bench::ParseRatioOptions(argc, argv, true, &options, &error)) {
    std::fprintf(stderr, "mbc_bench: %s\n", error.c_str());
    return 2;
  }
  bench::Product product;
  if (!bench::BindNativeProduct(&product) || !bench::PrepareWorkloads(product)) return 1;
  if (options.countingChild) return CountInChild();

  std::vector<bench::WorkloadFigures> figures =
      bench::TimeWorkloads(options.wallClock ? &WallMs : &CpuMs, options.sampling);
  if (options.instructions && !CountInstructions(&figures)) return 1;
  bench::PrintFigures(stdout, figures,
                      options.wallClock ? "wall time, steady_clock" : "CPU time of the process",
                      options.sampling);
  if (!options.jsonPath.empty() && !bench::WriteFiguresJson(options.jsonPath, figures)) {
    std::fprintf(stderr, "mbc_bench: cannot write %s\n", options.jsonPath.c_str());
    return 1;
  }
  return 0;
}
