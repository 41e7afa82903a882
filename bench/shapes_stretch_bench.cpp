// Time per host call of a filled 512 x 512 box, a filled circle of diameter
// 256 and a 256 x 256 to 1024 x 1024 stretch against the reference store, each
// beside a floor loop that makes exactly the same host calls without the
// plug-in; the ratio of the two is what the plug-in adds on top of its calls.
//
//   cmake --preset bench -B build/bench && cmake --build build/bench -j2 --target mbc_bench
//   build/bench/bench/mbc_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/host_ops.h"
#include "host/module_slots.h"
#include "host_call_floor.h"
#include "image/shapes.h"
#include "image/stretch.h"
#include "refhost/memblock_store.h"

namespace {

using bench::HostCallFloor;

constexpr std::int32_t kBoxCanvas = 1;
constexpr std::int32_t kCircleCanvas = 2;
constexpr std::int32_t kSource = 3;
constexpr std::int32_t kTarget = 4;
constexpr std::int32_t kColour = 0x00FF8040;

constexpr std::int32_t kBoxSide = 512;
constexpr std::int32_t kCircleDiameter = 256;
constexpr std::int32_t kCircleCanvasSide = 260;
constexpr std::int32_t kCircleCentre = kCircleCanvasSide / 2;
constexpr std::int32_t kSourceSide = 256;
constexpr std::int32_t kTargetSide = 1024;

const HostCallFloor& Floor() {
  static const HostCallFloor floor;
  return floor;
}

void PutImage(std::int32_t n, std::int32_t side) {
  std::vector<std::uint8_t> bytes(12 + static_cast<std::size_t>(side) * side * 4, 0);
  for (std::size_t field = 0; field < 3; ++field) {
    const std::uint32_t value = field == 2 ? 32u : static_cast<std::uint32_t>(side);
    for (int i = 0; i < 4; ++i) bytes[field * 4 + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  for (std::size_t i = 12; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
  refhost::PutMemblock(n, std::move(bytes));
}

// ---- the three workloads, each as the command and as its floor ------------

void BoxCommand() {
  IMBox(kBoxCanvas, 0, 0, kBoxSide - 1, kBoxSide - 1, kColour, 1);
}

void BoxFloor() {
  if (Floor().Exists(kBoxCanvas) != 1) return;
  for (std::int32_t c = 0; c < kBoxSide; ++c) {
    for (std::int32_t r = 0; r < kBoxSide; ++r) Floor().Plot(kBoxCanvas, c, r, kColour);
  }
}

void CircleCommand() {
  IMCircle(kCircleCanvas, kCircleCentre, kCircleCentre, kCircleDiameter, kColour, 1);
}

// The circle's points in plotting order, taken from the command's own writes
// (every point lies inside the canvas, so every plot writes).
std::vector<std::pair<std::int32_t, std::int32_t>> g_circlePoints;

void CircleFloor() {
  if (Floor().Exists(kCircleCanvas) != 1) return;
  for (const auto& p : g_circlePoints) Floor().Plot(kCircleCanvas, p.first, p.second, kColour);
}

void StretchCommand() {
  IMStretch(kSource, kTarget);
}

// Source column or row of each target column or row, rounded in the default
// mode (ties to even), as the command does.
std::vector<std::int32_t> g_sourceIndex;

void StretchFloor() {
  if (Floor().Exists(kSource) != 1 || Floor().Exists(kTarget) != 1) return;
  for (std::int32_t n : {kSource, kTarget}) {
    for (std::int32_t offset : {0, 4, 8}) Floor().ReadDword(n, offset);
  }
  for (std::int32_t y = 0; y < kTargetSide; ++y) {
    const std::int32_t sy = g_sourceIndex[y];
    for (std::int32_t x = 0; x < kTargetSide; ++x) {
      Floor().Plot(kTarget, x, y, Floor().GetPixel(kSource, g_sourceIndex[x], sy));
    }
  }
}

struct Workload {
  const char* name;
  void (*command)();
  void (*floor)();
  std::uint64_t hostCalls = 0;
};

Workload g_workloads[] = {
    {"filled IMBox 512 x 512", BoxCommand, BoxFloor},
    {"filled IMCircle diameter 256", CircleCommand, CircleFloor},
    {"IMStretch 256 x 256 to 1024 x 1024", StretchCommand, StretchFloor},
};

// The calls the store sees while a workload runs in Prepare.
std::vector<refhost::HostCall> g_calls;

void REFHOST_CDECL Record(const refhost::HostCall* call, void*) {
  g_calls.push_back(*call);
}

// FNV-1a 64 of the recorded calls, which are then forgotten.
std::uint64_t DigestOfCalls() {
  std::uint64_t hash = 14695981039346656037ull;
  auto add = [&hash](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) hash = (hash ^ ((v >> (8 * i)) & 0xFF)) * 1099511628211ull;
  };
  for (const refhost::HostCall& call : g_calls) {
    add(static_cast<std::uint32_t>(call.slot));
    for (std::int32_t i = 0; i < call.argCount; ++i) add(static_cast<std::uint32_t>(call.args[i]));
    add(static_cast<std::uint32_t>(call.result));
  }
  g_calls.clear();
  return hash;
}

// Binds the plug-in to the store, lays out the images and the floors' data,
// and checks once that every floor makes the same host calls as its command.
void Prepare() {
  refhost::ResetStore();
  host::BindDirectory(reinterpret_cast<host::ModuleDirectory>(refhost::Directory()));
  PutImage(kBoxCanvas, kBoxSide);
  PutImage(kCircleCanvas, kCircleCanvasSide);
  PutImage(kSource, kSourceSide);
  PutImage(kTarget, kTargetSide);
  const double ratio = static_cast<float>(static_cast<double>(kSourceSide) / kTargetSide);
  for (std::int32_t i = 0; i < kTargetSide; ++i) {
    g_sourceIndex.push_back(static_cast<std::int32_t>(std::nearbyint(i * ratio)));
  }

  refhost::SetCallObserver(&Record, nullptr);
  CircleCommand();
  for (const refhost::HostCall& call : g_calls) {
    if (call.slot != host::MemWriteDword) continue;
    const std::int32_t pixel = (call.args[1] - 12) / 4;
    g_circlePoints.push_back({pixel % kCircleCanvasSide, pixel / kCircleCanvasSide});
  }
  g_calls.clear();

  for (Workload& w : g_workloads) {
    w.command();
    w.hostCalls = g_calls.size();
    const std::uint64_t commandDigest = DigestOfCalls();
    w.floor();
    const std::uint64_t floorCalls = g_calls.size();
    if (DigestOfCalls() != commandDigest || floorCalls != w.hostCalls) {
      std::fprintf(stderr, "%s: the floor does not make the command's host calls\n", w.name);
      std::exit(1);
    }
  }
  refhost::SetCallObserver(nullptr, nullptr);
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
        times_[run.run_name.function_name].push_back(run.GetAdjustedCPUTime());
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() {
    std::printf("\n%-38s %16s %16s %9s %9s\n", "workload (CPU time, ms)", "command median",
                "floor median", "ratio", "min/min");
    for (const Workload& w : g_workloads) {
      const std::vector<double>& command = times_[Name(w, false)];
      const std::vector<double>& floor = times_[Name(w, true)];
      if (command.empty() || floor.empty()) continue;
      const double commandMedian = Median(command);
      const double floorMedian = Median(floor);
      std::printf("%-38s %16.3f %16.3f %9.3f %9.3f\n", w.name, commandMedian, floorMedian,
                  commandMedian / floorMedian,
                  *std::min_element(command.begin(), command.end()) /
                      *std::min_element(floor.begin(), floor.end()));
    }
  }

  static std::string Name(const Workload& w, bool floor) {
    return std::string(floor ? "floor/" : "command/") + w.name;
  }

 private:
  static double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t mid = v.size() / 2;
    return v.size() % 2 ? v[mid] : (v[mid - 1] + v[mid]) / 2;
  }
  std::map<std::string, std::vector<double>> times_;
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

  Prepare();
  for (const Workload& w : g_workloads) {
    for (bool floor : {false, true}) {
      benchmark::RegisterBenchmark(RatioReporter::Name(w, floor).c_str(), Run, &w, floor)
          ->Unit(benchmark::kMillisecond);
    }
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
