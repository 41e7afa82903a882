#include "cases.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "refhost/runner/export_call.h"
#include "refhost/runner/script_compiler.h"
#include "refhost/runner/script_lexer.h"
#include "refhost/runner/script_runner.h"
#include "target.h"

namespace cases {
namespace {

// The host's memblock table: existence and the two writes.
constexpr std::int32_t kMemExists = 14, kMemWriteDword = 20, kMemWriteWord = 22;

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  for (std::string part; std::getline(stream, part, separator);) {
    const std::size_t first = part.find_first_not_of(' ');
    if (first != std::string::npos) parts.push_back(part.substr(first));
  }
  return parts;
}

std::int32_t Number(const std::string& text) {
  std::int32_t value = 0;
  if (!refhost::ParseNumber(text.substr(0, text.find_last_not_of(' ') + 1), &value)) std::abort();
  return value;
}

// Bytes of memblock `n` as fields: header field i at 4i, pixel i after it.
struct Memblock {
  std::vector<std::uint8_t> bytes;
  std::uint32_t At(std::size_t at, int size) const {
    std::uint32_t value = 0;
    for (int i = 0; i < size && at + i < bytes.size(); ++i) value |= bytes[at + i] << (8 * i);
    return value;
  }
  std::int32_t Field(int i) const { return static_cast<std::int32_t>(At(4 * i, 4)); }
  std::uint32_t Pixel(std::int32_t i) const { return At(12 + i * (Field(2) / 8), Field(2) / 8); }
};

// "marked N, W, H, DEPTH": straight into the store, not through the plug-in.
void PutMarked(const std::vector<std::string>& numbers) {
  const std::int32_t n = Number(numbers[0]), w = Number(numbers[1]), h = Number(numbers[2]);
  const std::int32_t depth = Number(numbers[3]), bpp = depth / 8;
  std::vector<std::int32_t> values = {w, h, depth};
  for (std::int32_t i = 0; i < w * h; ++i) values.push_back(0x1000 + 16 * (i % w) + i / w);
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < values.size(); ++i) {
    for (int b = 0; b < (i < 3 ? 4 : bpp); ++b) bytes.push_back(values[i] >> (8 * b) & 0xFF);
  }
  target::Host().PutMemblock(n, bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

// "a a a b" as "a*3 b".
std::string RunLength(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0, run = 1; i < items.size(); i += run, run = 1) {
    while (i + run < items.size() && items[i + run] == items[i]) ++run;
    text += (i ? " " : "") + items[i] + (run > 1 ? "*" + std::to_string(run) : "");
  }
  return text;
}

// The pixel each plot into the probe's memblock wrote, "-" for none: a plot
// starts with the memblock's existence question (the first one is the
// command's own).
std::string Plots(const std::vector<refhost::HostCall>& calls) {
  const std::int32_t image = calls.empty() ? 0 : calls[0].args[0];
  const Memblock header{target::Host().Bytes(image)};
  std::vector<std::string> plots;
  for (std::size_t i = 1; i < calls.size(); ++i) {
    const refhost::HostCall& c = calls[i];
    if (c.args[0] != image || c.table != refhost::kMemblockTable) continue;
    if (c.slot == kMemExists) plots.push_back("-");
    if ((c.slot != kMemWriteDword && c.slot != kMemWriteWord) || plots.empty()) continue;
    const std::int32_t pixel = (c.args[1] - 12) / (header.Field(2) / 8);
    plots.back() =
        std::to_string(pixel % header.Field(0)) + "," + std::to_string(pixel / header.Field(0));
  }
  return std::to_string(plots.size()) + " plots: " + RunLength(plots);
}

}  // namespace

std::string Steps(const std::string& steps) {
  std::ostringstream transcript;
  refhost::RunnerOptions options;
  options.stop = [](int) { std::abort(); };
  refhost::ScriptRunner runner(target::Plugin(), &target::Host(), options, transcript);
  for (const std::string& step : Split(steps, ';')) {
    if (step.rfind("marked ", 0) == 0) {
      PutMarked(Split(step.substr(7), ','));
      continue;
    }
    if (step.rfind("made ", 0) == 0) {  // far quicker than a runner line each
      const std::vector<std::string> range = Split(step.substr(5), ',');
      const std::uint8_t bytes[4] = {};
      for (std::int32_t n = Number(range[0]); n <= Number(range[1]); ++n) {
        target::Host().PutMemblock(n, bytes, sizeof bytes);
      }
      continue;
    }
    // "X => R" runs as "result_ = X" and "expect result_, R"; "X => R1, R2"
    // runs X once for each.
    const std::size_t arrow = step.find(" => ");
    std::string lines = arrow == std::string::npos ? step : "";
    for (const std::string& result :
         Split(arrow == std::string::npos ? "" : step.substr(arrow + 4), ',')) {
      lines += "result_ = " + step.substr(0, arrow) + "\nexpect result_, " + result + "\n";
    }
    std::istringstream script(lines);
    if (runner.Run(script) != refhost::kRunPassed) return transcript.str();
  }
  return "";
}

std::string Pixels(std::int32_t n) {
  const Memblock image{target::Host().Bytes(n)};
  std::string text = "pixels " + std::to_string(n) + ":";
  for (std::int32_t y = 0; y < image.Field(1); ++y) {
    std::vector<std::string> row;
    for (std::int32_t x = 0; x < image.Field(0); ++x) {
      const std::uint32_t v = image.Pixel(y * image.Field(0) + x);
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%X", v);
      row.push_back(v == 0 ? "-"
                    : v >= 0x1000 && v < 0x2000
                        ? std::to_string((v - 0x1000) >> 4) + "," + std::to_string(v & 15)
                        : hex);
    }
    text += (y ? " / " : " ") + RunLength(row);
  }
  return text;
}

std::string Check(const Case& c) {
  target::Restart(true);
  const std::string setup = Steps(c.setup);
  if (!setup.empty()) return "setup failed:\n" + setup;
  // The probe: a command or call with literal numbers, read as the runner
  // reads it; "=> R" its result.
  const std::string probe = c.probe;
  const std::size_t arrow = probe.find(" => ");
  std::string name;
  std::vector<std::int32_t> args;
  if (probe.rfind("call \"", 0) == 0) {  // a hook too, which a script may not call
    const std::vector<std::string> parts = Split(probe.substr(0, arrow), ',');
    name = parts[0].substr(6, parts[0].size() - 7);
    for (std::size_t i = 1; i < parts.size(); ++i) args.push_back(Number(parts[i]));
  } else {
    refhost::Program program;
    refhost::Variables variables;
    refhost::Mistakes mistakes;
    if (!refhost::CompileScript(probe.substr(0, arrow), target::Plugin(), &variables, &program,
                                &mistakes)) {
      return "the probe cannot be read: " + mistakes.Shown()[0] + "\n";
    }
    const refhost::Step& s = program.steps[0];
    name = program.calls[s.a].command->row.scriptName;
    for (std::size_t i = 0; i < s.argc; ++i) args.push_back(program.args[s.firstArg + i].value);
  }
  std::int32_t result = 0;
  const auto calls = target::CallsOf([&] { result = target::Call(name, args); });
  std::string problems;
  if (arrow != std::string::npos && result != Number(probe.substr(arrow + 4))) {
    problems = "result " + std::to_string(result) + "\n";
  }
  const std::string want = c.want;
  std::string got = refhost::Describe(calls);
  if (want.find(" plots:") != std::string::npos) got = Plots(calls);
  if (want.rfind("pixels ", 0) == 0) got = Pixels(Number(want.substr(7, want.find(':') - 7)));
  // "start ... end" and "start ...": only the ends are compared.
  const std::size_t gap = (want + " ").find(" ... ");
  const std::size_t tail =
      gap == std::string::npos || gap + 5 > want.size() ? 0 : want.size() - gap - 5;
  if (gap != std::string::npos && got.size() >= gap + tail &&
      got.compare(0, gap, want, 0, gap) == 0 &&
      got.compare(got.size() - tail, tail, want, want.size() - tail, tail) == 0) {
    got = want;
  }
  // A long list of calls shows only its ends.
  if (got != want && got.size() > 4000)
    got = got.substr(0, 2000) + " ... " + got.substr(got.size() - 2000);
  if (got != want) problems += "got:  " + got + "\nwant: " + want + "\n";
  const std::string after = Steps(c.after);
  if (!after.empty()) problems += "afterwards:\n" + after;
  for (const std::string& box : target::Boxes()) problems += "message box " + box + "\n";
  return problems;
}

}  // namespace cases
