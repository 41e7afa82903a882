#include "ratio_figures.h"

#include <cmath>

namespace bench {
namespace {

double NsPerCall(double msPerRun, std::uint64_t hostCalls) {
  return hostCalls == 0 ? 0 : msPerRun * 1e6 / static_cast<double>(hostCalls);
}

// A JSON number, or null where JSON has none (an unbounded interval).
void PutNumber(std::FILE* out, double value) {
  if (std::isfinite(value)) {
    std::fprintf(out, "%.6g", value);
  } else {
    std::fputs("null", out);
  }
}

void PutString(std::FILE* out, const std::string& text) {
  std::fputc('"', out);
  for (const unsigned char c : text) {
    if (c == '"' || c == '\\') {
      std::fprintf(out, "\\%c", c);
    } else if (c < 0x20) {
      std::fprintf(out, "\\u%04x", c);
    } else {
      std::fputc(c, out);
    }
  }
  std::fputc('"', out);
}

}  // namespace

double WorkloadFigures::InstructionsRatio() const {
  return static_cast<double>(commandInstructions) / static_cast<double>(floorInstructions);
}

std::vector<WorkloadFigures> TimeWorkloads(Clock clock, const SamplingOptions& options) {
  std::vector<WorkloadFigures> figures;
  for (const Workload& w : Workloads()) {
    WorkloadFigures f;
    f.name = w.name;
    f.hostCalls = w.hostCalls;
    f.timed = SamplePairs(w.command, w.floor, clock, options);
    std::fprintf(stderr, "%s: %zu pairs in %.1f s, stopped by the %s\n", w.name, f.timed.pairs,
                 f.timed.seconds, StopName(f.timed.stop));
    figures.push_back(f);
  }
  return figures;
}

void PrintFigures(std::FILE* out, const std::vector<WorkloadFigures>& figures,
                  const std::string& clockName, const SamplingOptions& options) {
  std::fprintf(out,
               "\nPaired samples (%s): ratio = median of command / floor over the pairs, with its "
               "95%% interval;\nsampling stops at a half-width of %.3g%% or after %.3g s a "
               "workload.\n\n",
               clockName.c_str(), options.halfWidth * 100, options.budgetSeconds);
  bool counted = false;
  for (const WorkloadFigures& f : figures) counted = counted || f.Counted();
  std::fprintf(out, "%-36s %10s %6s %8s %8s %7s %15s %9s%s\n", "workload", "host calls", "pairs",
               "command", "floor", "ratio", "95% interval", "stop",
               counted ? "  instructions" : "");
  std::fprintf(out, "%-36s %10s %6s %8s %8s %7s %15s %9s%s\n", "", "", "", "ns/call", "ns/call", "",
               "", "", counted ? "  ratio" : "");
  for (const WorkloadFigures& f : figures) {
    const PairedResult& t = f.timed;
    char interval[32] = "(too few pairs)";
    if (t.ratio.bounded)
      std::snprintf(interval, sizeof interval, "%.3f-%.3f", t.ratio.low, t.ratio.high);
    std::fprintf(out, "%-36s %10llu %6zu %8.2f %8.2f %7.3f %15s %9s", f.name.c_str(),
                 static_cast<unsigned long long>(f.hostCalls), t.pairs,
                 NsPerCall(t.commandMs, f.hostCalls), NsPerCall(t.floorMs, f.hostCalls),
                 t.ratio.median, interval, StopName(t.stop));
    if (f.Counted()) std::fprintf(out, "  %.4f", f.InstructionsRatio());
    std::fputc('\n', out);
  }
}

bool WriteFiguresJson(const std::string& path, const std::vector<WorkloadFigures>& figures) {
  std::FILE* out = std::fopen(path.c_str(), "w");
  if (out == nullptr) return false;
  std::fputs("[\n", out);
  for (std::size_t i = 0; i < figures.size(); ++i) {
    const WorkloadFigures& f = figures[i];
    const PairedResult& t = f.timed;
    std::fputs("  {\"name\": ", out);
    PutString(out, f.name);
    std::fprintf(out, ", \"host_calls\": %llu, \"pairs\": %zu, \"ratio\": ",
                 static_cast<unsigned long long>(f.hostCalls), t.pairs);
    PutNumber(out, t.ratio.median);
    std::fputs(", \"ci_low\": ", out);
    PutNumber(out, t.ratio.bounded ? t.ratio.low : NAN);
    std::fputs(", \"ci_high\": ", out);
    PutNumber(out, t.ratio.bounded ? t.ratio.high : NAN);
    std::fprintf(out,
                 ", \"stop\": \"%s\", \"runs_per_sample\": %d, \"seconds\": ", StopName(t.stop),
                 t.runsPerSample);
    PutNumber(out, t.seconds);
    std::fputs(", \"command_ns_per_call\": ", out);
    PutNumber(out, NsPerCall(t.commandMs, f.hostCalls));
    std::fputs(", \"floor_ns_per_call\": ", out);
    PutNumber(out, NsPerCall(t.floorMs, f.hostCalls));
    if (f.Counted()) {
      std::fputs(", \"instructions_ratio\": ", out);
      PutNumber(out, f.InstructionsRatio());
      std::fprintf(out, ", \"command_instructions\": %llu, \"floor_instructions\": %llu",
                   static_cast<unsigned long long>(f.commandInstructions),
                   static_cast<unsigned long long>(f.floorInstructions));
    }
    std::fputs(i + 1 < figures.size() ? "},\n" : "}\n", out);
  }
  std::fputs("]\n", out);
  return std::fclose(out) == 0;
}

}  // namespace bench
