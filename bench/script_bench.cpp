// mbc_script_bench (natively) and mbc_dll_script_bench.exe (the DLL under
// Wine): what the runner's script language costs. A script that plots every
// pixel of a 256 x 256 image in two loops, sixteen passes over it, runs
// through the runner, timed in pairs (paired_sampler.h) beside the same plots
// called straight through the command's export from a loop in C++: the ratio
// of the two, and the script's lines per second, each with its 95% interval.
// Natively, with --instructions, one run of each with one pass is counted
// under callgrind and the script's instructions split by the files that ran
// them: the runner's, the plug-in's and the store's, per line run and per
// plot. Options as ratio_options.h gives them.
//
//   build/bench/bench/mbc_script_bench [--budget S] [--json FILE] [--instructions]
//   (cd build/bench-win32/host && wine ./mbc_dll_script_bench.exe [--budget S] [--json FILE])
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <ostream>
#include <sstream>
#include <string>

#include "ratio_options.h"
#include "refhost/runner/export_call.h"
#include "refhost/runner/script_runner.h"

#ifdef _WIN32
#include <windows.h>

#include "refhost/runner/message_box_capture.h"
#include "refhost/runner/plugin_module.h"
#else
#include "instruction_count.h"
#include "native_product.h"
#endif

namespace {

constexpr std::int32_t kImage = 1;
constexpr std::int32_t kSide = 256;
constexpr std::int32_t kColour = 0x00FF8040;
// The passes over the image a timed run makes, so that what a run costs
// before its first line (the folders opened through the system: some
// milliseconds under Wine) is a small part of it; the counted run makes one.
constexpr std::int32_t kTimedPasses = 16;

// The script of `passes` passes over the image.
std::string Script(std::int32_t passes) {
  return "img = 1\n"
         "colour = 0x00FF8040\n"
         "passes = " +
         std::to_string(passes) +
         "\n"
         "for pass = 1 to passes\n"
         "  for y = 0 to 255\n"
         "    for x = 0 to 255\n"
         "      MBC Plot img, x, y, colour\n"
         "    next\n"
         "  next\n"
         "next\n";
}
// The lines a run of Script(passes) runs: three assignments and the outer
// for, then for each pass its for, for each row the inner for, a plot and a
// next for each pixel and the row's next, and the pass's next.
constexpr std::uint64_t Lines(std::int32_t passes) {
  return 4 + static_cast<std::uint64_t>(passes) * (1 + kSide * (1 + 2 * kSide + 1) + 1);
}
constexpr std::uint64_t kLines = Lines(kTimedPasses);
constexpr std::uint64_t kPlots = std::uint64_t{kTimedPasses} * kSide * kSide;

const refhost::CommandSet* g_commands = nullptr;
const refhost::CompanionClient* g_host = nullptr;
const void* g_plot = nullptr;
std::int32_t g_passes = kTimedPasses;

// An ostream that drops what it is given: the runner's summary of the loop.
std::ostream& Nowhere() {
  static std::ostream nowhere(nullptr);
  return nowhere;
}

void RunScript() {
  refhost::RunnerOptions options;
  refhost::ScriptRunner runner(*g_commands, g_host, options, Nowhere());
  if (runner.Run(Script(g_passes)) != refhost::kRunPassed) std::abort();
}

void PlotDirectly() {
  for (std::int32_t pass = 0; pass < g_passes; ++pass) {
    for (std::int32_t y = 0; y < kSide; ++y) {
      for (std::int32_t x = 0; x < kSide; ++x) {
        const std::int32_t args[] = {kImage, x, y, kColour};
        refhost::CallExport(g_plot, args, 4);
      }
    }
  }
}

void PutImage() {
  std::vector<std::uint8_t> bytes(12 + 4 * kSide * kSide, 0);
  for (std::size_t field = 0; field < 3; ++field) {
    const std::uint32_t value = field == 2 ? 32u : static_cast<std::uint32_t>(kSide);
    for (int i = 0; i < 4; ++i) bytes[field * 4 + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  g_host->ResetStore();
  g_host->PutMemblock(kImage, bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

double WallMs() {
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

double CpuMs() {
  return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// The instructions of one run of the script by where they ran, per line and
// per plot, and of one run of the direct plots per plot.
struct Counted {
  bool counted = false;
  std::map<std::string, double> perLine;  // runner, plug-in, store, other
  double directPerPlot = 0;
  std::uint64_t script = 0;
};

#ifndef _WIN32
// Which part of the program a source file belongs to, by its place in the
// source tree (the path may be full or, with a prefix map, relative to it).
std::string PartOf(const std::string& file) {
  const auto in = [&file](const char* folder) {
    const std::size_t at = file.find(folder);
    return at != std::string::npos && (at == 0 || file[at - 1] == '/');
  };
  if (in("refhost/runner/")) return "runner";
  if (in("refhost/memblock_store") || in("refhost/companion/")) return "store";
  for (const char* part :
       {"src/common/", "src/host/", "src/image/", "src/numbering/", "src/plugin/"}) {
    if (in(part)) return "plugin";
  }
  return "other";
}

int CountInChild() {
  g_passes = 1;
  RunScript();
  PlotDirectly();
  for (int run = 1; run <= 2; ++run) {
    bench::CountOneRun("script/" + std::to_string(run), RunScript);
    bench::CountOneRun("direct/" + std::to_string(run), PlotDirectly);
  }
  return 0;
}

bool Count(Counted* counted) {
  std::map<std::string, std::uint64_t> totals;
  std::map<std::string, bench::CountsByFile> byFile;
  std::string error;
  if (!bench::CountUnderCallgrind(bench::ThisProgram(), {bench::kCountingChildFlag}, &totals,
                                  &error, &byFile)) {
    std::fprintf(stderr, "mbc_script_bench: no instruction counts: %s\n", error.c_str());
    return false;
  }
  // The runner allocates as it compiles, and the C library's allocator takes
  // paths that differ from one run to the next by some hundreds of
  // instructions in tens of millions, depending on where the heap stands.
  // The program's own parts (runner, plug-in, store) must count the same in
  // both runs of the script; the whole of each body within one in 10,000.
  std::map<std::string, std::uint64_t> parts[2];
  for (int run = 0; run < 2; ++run) {
    for (const auto& [file, count] : byFile["script/" + std::to_string(run + 1)]) {
      parts[run][PartOf(file)] += count;
    }
  }
  for (const char* part : {"runner", "plugin", "store"}) {
    if (parts[0][part] == 0 || parts[0][part] != parts[1][part]) {
      std::fprintf(stderr,
                   "mbc_script_bench: two runs of the script counted %llu and %llu in the %s\n",
                   static_cast<unsigned long long>(parts[0][part]),
                   static_cast<unsigned long long>(parts[1][part]), part);
      return false;
    }
  }
  for (const char* body : {"script", "direct"}) {
    const std::uint64_t first = totals[std::string(body) + "/1"];
    const std::uint64_t second = totals[std::string(body) + "/2"];
    if (first == 0 || (first > second ? first - second : second - first) > first / 10000) {
      std::fprintf(stderr, "mbc_script_bench: two runs of the %s counted %llu and %llu\n", body,
                   static_cast<unsigned long long>(first), static_cast<unsigned long long>(second));
      return false;
    }
  }
  counted->script = totals["script/1"];
  for (const auto& [file, count] : byFile["script/1"]) {
    counted->perLine[PartOf(file)] += static_cast<double>(count) / Lines(1);
  }
  counted->directPerPlot = static_cast<double>(totals["direct/1"]) / (kSide * kSide);
  counted->counted = true;
  return true;
}
#endif

bool Bind(std::string* error) {
#ifdef _WIN32
  static refhost::CompanionClient host;
  const HMODULE companion = LoadLibraryA("RuzazUrovuv.dll");
  if (companion == nullptr || LoadLibraryA("ZavarOvur.dll") == nullptr ||
      !host.Resolve([companion](const char* name) {
        return reinterpret_cast<const void*>(GetProcAddress(companion, name));
      })) {
    *error = "the stand-in host libraries are not beside the program";
    return false;
  }
  static refhost::PluginModule plugin;
  if (!plugin.Load(refhost::kPluginFileName, error)) return false;
  refhost::CaptureMessageBoxes(plugin.Handle());
  plugin.CallLoadHook();
  g_commands = &plugin.Commands();
  g_host = &host;
#else
  bench::Product product;
  if (!bench::BindNativeProduct(&product)) {
    *error = "the plug-in did not bind";
    return false;
  }
  g_commands = &bench::NativeCommands();
  g_host = product.host;
#endif
  std::int32_t bound = 0;
  const refhost::PluginCommand* plot = g_commands->Find("MBC Plot", 4);
  if (!g_commands->Call("MBC Initialized", {}, &bound) || bound != 1 || plot == nullptr) {
    *error = "the plug-in did not bind through its load hook";
    return false;
  }
  g_plot = plot->address;
  PutImage();
  return true;
}

void Print(std::FILE* out, const bench::PairedResult& t, const Counted& c, const char* clock) {
  const double perSecond = kLines / (t.commandMs / 1000);
  std::fprintf(
      out,
      "\nA script of %d passes of two loops over 256 x 256 pixels plots %llu and runs %llu "
      "lines (%s): paired against the same plots from C++.\n\n",
      kTimedPasses, static_cast<unsigned long long>(kPlots),
      static_cast<unsigned long long>(kLines), clock);
  std::fprintf(out, "%-28s %12s %23s\n", "", "median", "95% interval");
  std::fprintf(out, "%-28s %12.3f %11.3f-%-11.3f (%zu pairs, stopped by the %s)\n",
               "script / direct, time", t.ratio.median, t.ratio.low, t.ratio.high, t.pairs,
               bench::StopName(t.stop));
  std::fprintf(out, "%-28s %12.0f %11.0f-%-11.0f\n", "lines per second", perSecond,
               kLines / (t.commandTimes.high / 1000), kLines / (t.commandTimes.low / 1000));
  std::fprintf(out, "the fastest runs: %.3f ms against %.3f ms, %.3f; %.0f lines per second\n",
               t.commandFastestMs, t.floorFastestMs, t.commandFastestMs / t.floorFastestMs,
               kLines / (t.commandFastestMs / 1000));
  if (!c.counted) return;
  std::fprintf(
      out,
      "\nInstructions of one run of the script with one pass, %llu lines, by where they ran:\n\n",
      static_cast<unsigned long long>(Lines(1)));
  std::fprintf(out, "%-10s %14s %14s\n", "", "per line run", "per plot");
  for (const char* part : {"runner", "plugin", "store", "other"}) {
    const double perLine = c.perLine.count(part) ? c.perLine.at(part) : 0;
    std::fprintf(out, "%-10s %14.1f %14.1f\n", part, perLine,
                 perLine * static_cast<double>(Lines(1)) / (kSide * kSide));
  }
  std::fprintf(out, "\nThe same plots from C++: %.1f instructions a plot.\n", c.directPerPlot);
}

bool WriteJson(const std::string& path, const bench::PairedResult& t, const Counted& c) {
  std::FILE* out = std::fopen(path.c_str(), "w");
  if (out == nullptr) return false;
  std::fprintf(out,
               "{\"lines\": %llu, \"plots\": %llu, \"pairs\": %zu, \"stop\": \"%s\", \"ratio\": "
               "%.6g, \"ci_low\": %.6g, \"ci_high\": %.6g, \"lines_per_second\": %.10g, "
               "\"lines_per_second_low\": %.10g, \"lines_per_second_high\": %.10g",
               static_cast<unsigned long long>(kLines), static_cast<unsigned long long>(kPlots),
               t.pairs, bench::StopName(t.stop), t.ratio.median, t.ratio.low, t.ratio.high,
               kLines / (t.commandMs / 1000), kLines / (t.commandTimes.high / 1000),
               kLines / (t.commandTimes.low / 1000));
  std::fprintf(out, ", \"fastest_ratio\": %.6g, \"fastest_lines_per_second\": %.10g",
               t.commandFastestMs / t.floorFastestMs, kLines / (t.commandFastestMs / 1000));
  if (c.counted) {
    std::fprintf(out,
                 ", \"counted_lines\": %llu, \"counted_plots\": %d, \"instructions\": %llu, "
                 "\"direct_per_plot\": %.6g",
                 static_cast<unsigned long long>(Lines(1)), kSide * kSide,
                 static_cast<unsigned long long>(c.script), c.directPerPlot);
    for (const char* part : {"runner", "plugin", "store", "other"}) {
      std::fprintf(out, ", \"%s_per_line\": %.10g", part,
                   c.perLine.count(part) ? c.perLine.at(part) : 0.0);
    }
  }
  std::fputs("}\n", out);
  return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  const bool native = false;
#else
  const bool native = true;
#endif
  bench::RatioOptions options;
  std::string error;
  if (!bench::ParseRatioOptions(argc, argv, native, &options, &error) || !Bind(&error)) {
    std::fprintf(stderr, "mbc_script_bench: %s\n", error.c_str());
    return 2;
  }
  Counted counted;
#ifndef _WIN32
  if (options.countingChild) return CountInChild();
  if (options.instructions && !Count(&counted)) return 1;
#endif
  const bench::PairedResult timed = bench::SamplePairs(
      RunScript, PlotDirectly, options.wallClock || !native ? &WallMs : &CpuMs, options.sampling);
  const char* clock = options.wallClock || !native ? "wall time" : "CPU time of the process";
  Print(stdout, timed, counted, clock);
  if (!options.jsonPath.empty() && !WriteJson(options.jsonPath, timed, counted)) {
    std::fprintf(stderr, "mbc_script_bench: cannot write %s\n", options.jsonPath.c_str());
    return 1;
  }
  return 0;
}
