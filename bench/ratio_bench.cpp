// The native benchmark program (Google Benchmark): the plug-in's code linked
// in and bound, through its own load hook, to the reference store linked in as
// well. It times the three workloads of workloads.h, each command beside its
// floor, and the allocator's costs (allocator_bench.cpp).
//
//   cmake --preset bench -B build/bench-native && cmake --build build/bench-native
//   build/bench-native/bench/mbc_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "image/shapes.h"
#include "image/stretch.h"
#include "numbering/allocator.h"
#include "plugin/binding.h"
#include "plugin/platform_fake.h"
#include "refhost/companion/companion_api.h"
#include "workloads.h"

extern "C" {
#define DECLARE_COMPANION_EXPORT(name, result, params) result Refhost##name params;
REFHOST_COMPANION_EXPORTS(DECLARE_COMPANION_EXPORT)
#undef DECLARE_COMPANION_EXPORT
const void* const* VarIvoziVavu();
}

namespace {

using bench::Workload;

// The companion's exports, linked in, as the client reaches them by name.
const refhost::CompanionClient& Host() {
#define COMPANION_EXPORT(name, result, params) \
  {"Refhost" #name, reinterpret_cast<const void*>(&Refhost##name)},
  static const std::map<std::string, const void*> exports = {
      REFHOST_COMPANION_EXPORTS(COMPANION_EXPORT)};
#undef COMPANION_EXPORT
  static const refhost::CompanionClient* client = [] {
    auto* resolved = new refhost::CompanionClient;
    if (!resolved->Resolve([](const char* name) -> const void* {
          const auto found = exports.find(name);
          return found == exports.end() ? nullptr : found->second;
        })) {
      std::abort();
    }
    return resolved;
  }();
  return *client;
}

// Runs the plug-in's load hook against stand-ins for the two host libraries
// that hand over the linked store's directory; true once bound.
bool BindThroughLoadHook(host::ModuleDirectory directory) {
  static FakePlatform platform;
  platform.AddDirectoryExport("RuzazUrovuv.dll", "VarIvoziVavu", directory);
  platform.AddValueExport("ZavarOvur.dll", "?GetGlobPtr@@YAKXZ", 0x5A5A0000u);
  plugin::RunLoadHook(platform);
  return numbering::InitState == 1 && plugin::CorePtr != 0;
}

void Run(benchmark::State& state, const Workload* w, bool floor) {
  void (*body)() = floor ? w->floor : w->command;
  for (auto _ : state) body();
  state.counters["per_host_call"] = benchmark::Counter(
      static_cast<double>(w->hostCalls),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["host_calls"] = static_cast<double>(w->hostCalls);
}

// Keeps the CPU time of every repetition, to set each command beside its floor.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}  // plain text, fit for a file
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
        samples_[run.run_name.function_name].push_back(run.GetAdjustedCPUTime());
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  const bench::Samples& Samples() const { return samples_; }

 private:
  bench::Samples samples_;
};

}  // namespace

int main(int argc, char** argv) {
  // Repetitions interleaved at random, so that a command and its floor see
  // the same machine; either can be overridden on the command line.
  std::vector<char*> args(argv, argv + argc);
  std::string repetitions = "--benchmark_repetitions=9";
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, {&repetitions[0], &interleave[0]});
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;

  const auto directory = reinterpret_cast<host::ModuleDirectory>(VarIvoziVavu());
  if (!BindThroughLoadHook(directory)) {
    std::fprintf(stderr, "the plug-in did not bind to the linked store\n");
    return 1;
  }
  const bench::Product product{&IMBox, &IMCircle, &IMStretch, &Host(), directory};
  if (!bench::PrepareWorkloads(product)) return 1;
  for (const Workload& w : bench::Workloads()) {
    for (bool floor : {false, true}) {
      benchmark::RegisterBenchmark(bench::SampleName(w, floor).c_str(), Run, &w, floor)
          ->Unit(benchmark::kMillisecond);
    }
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  bench::PrintRatios(reporter.Samples());
  benchmark::Shutdown();
  return 0;
}
