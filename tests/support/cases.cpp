#include "cases.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "refhost/runner/export_call.h"
#include "refhost/runner/script_runner.h"
#include "target.h"

namespace cases {
namespace {

// The host's memblock table: existence and the two writes.
constexpr std::int32_t kMemExists = 14;
constexpr std::int32_t kMemWriteDword = 20;
constexpr std::int32_t kMemWriteWord = 22;

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? ""
                                    : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  for (std::string part; std::getline(stream, part, separator);) parts.push_back(Trimmed(part));
  return parts;
}

std::int32_t Number(const std::string& text) {
  std::int32_t value = 0;
  if (!refhost::ParseNumber(Trimmed(text), &value)) std::abort();
  return value;
}

std::uint32_t Field(const std::vector<std::uint8_t>& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = 0; i < size && at + i < bytes.size(); ++i) value |= bytes[at + i] << (8 * i);
  return value;
}

// "marked N, W, H, DEPTH": the image straight into the store, not through the plug-in.
void PutMarked(const std::vector<std::string>& numbers) {
  const std::int32_t n = Number(numbers[0]), width = Number(numbers[1]);
  const std::int32_t height = Number(numbers[2]), depth = Number(numbers[3]), bpp = depth / 8;
  std::vector<std::uint8_t> bytes(12 + static_cast<std::size_t>(width * height * bpp));
  const std::int32_t header[3] = {width, height, depth};
  for (int i = 0; i < 12; ++i) bytes[i] = static_cast<std::uint8_t>(header[i / 4] >> (8 * (i % 4)));
  for (std::int32_t i = 0; i < width * height; ++i) {
    const std::int32_t value = 0x1000 + 16 * (i % width) + i / width;
    for (int b = 0; b < bpp; ++b)
      bytes[12 + i * bpp + b] = static_cast<std::uint8_t>(value >> (8 * b));
  }
  target::Host().PutMemblock(n, bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

// "a a a b" as "a*3 b".
std::string RunLength(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size();) {
    std::size_t run = 1;
    while (i + run < items.size() && items[i + run] == items[i]) ++run;
    text += (i ? " " : "") + items[i] + (run > 1 ? "*" + std::to_string(run) : "");
    i += run;
  }
  return text;
}

struct Probe {
  std::vector<refhost::HostCall> calls;
  std::string error;
};

void REFHOST_CDECL Collect(const refhost::HostCall* call, void* calls) {
  static_cast<std::vector<refhost::HostCall>*>(calls)->push_back(*call);
}

Probe RunProbe(const std::string& line) {
  Probe probe;
  const std::size_t arrow = line.find(" => ");
  std::vector<std::string> names;
  for (const refhost::PluginCommand& c : target::Plugin().Commands())
    names.push_back(c.row.scriptName);
  const refhost::ParsedLine parsed =
      refhost::ParseScriptLine(line.substr(0, arrow), names, {"call"});
  const refhost::Statement& s = parsed.statement;
  std::vector<std::int32_t> args;
  for (const refhost::Operand& arg : s.args) {
    if (arg.kind == refhost::Operand::Kind::Number) args.push_back(arg.number);
  }
  const refhost::PluginCommand* command = target::Plugin().Find(s.name, args.size());
  const void* address = s.name == "call" ? target::Plugin().Export(s.args[0].text)
                                         : (command ? command->address : nullptr);
  if (!parsed.ok || address == nullptr) {
    probe.error = "cannot call " + line;
    return probe;
  }
  target::Host().SetCallObserver(&Collect, &probe.calls);
  const std::int32_t result = refhost::CallExport(address, args);
  target::Host().SetCallObserver(nullptr, nullptr);
  // A command without a result leaves 0 in it, which the host ignores.
  const std::int32_t wanted = arrow != std::string::npos ? Number(line.substr(arrow + 4)) : 0;
  if ((arrow != std::string::npos || (command && !command->row.returnsValue)) && result != wanted) {
    probe.error = "result " + std::to_string(result) + ", wanted " + std::to_string(wanted);
  }
  return probe;
}

std::string Plots(const std::vector<refhost::HostCall>& calls) {
  if (calls.empty()) return "0 plots:";
  const std::int32_t image = calls[0].args[0];
  const std::vector<std::uint8_t> header = target::Host().Bytes(image);
  const std::int32_t width = static_cast<std::int32_t>(Field(header, 0, 4));
  const std::int32_t bpp = static_cast<std::int32_t>(Field(header, 8, 4)) / 8;
  std::vector<std::string> plots;
  bool open = false;  // a plot started and wrote nothing yet
  for (std::size_t i = 1; i < calls.size(); ++i) {
    const refhost::HostCall& c = calls[i];
    if (c.table != refhost::kMemblockTable || c.args[0] != image) continue;
    if (c.slot == kMemExists) {
      if (open) plots.push_back("-");
      open = true;
    } else if (c.slot == kMemWriteDword || c.slot == kMemWriteWord) {
      const std::int32_t index = (c.args[1] - 12) / bpp;
      plots.push_back(std::to_string(index % width) + "," + std::to_string(index / width));
      open = false;
    }
  }
  if (open) plots.push_back("-");
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
    std::string lines = step;
    const std::size_t arrow = step.find(" => ");
    if (arrow != std::string::npos) {
      const std::size_t equals = step.find(" = ");
      const bool kept = equals != std::string::npos && equals < arrow;
      const std::string name = kept ? step.substr(0, equals) : "result_";
      lines = (kept ? "" : name + " = ") + step.substr(0, arrow) + "\nexpect " + name + ", " +
              step.substr(arrow + 4);
    }
    std::istringstream script(lines);
    if (runner.Run(script) != refhost::kRunPassed) return transcript.str();
  }
  return "";
}

std::string Pixels(std::int32_t n) {
  const std::vector<std::uint8_t> bytes = target::Host().Bytes(n);
  const std::int32_t width = static_cast<std::int32_t>(Field(bytes, 0, 4));
  const std::int32_t height = static_cast<std::int32_t>(Field(bytes, 4, 4));
  const std::int32_t bpp = static_cast<std::int32_t>(Field(bytes, 8, 4)) / 8;
  std::string text = "pixels " + std::to_string(n) + ":";
  for (std::int32_t y = 0; y < height; ++y) {
    std::vector<std::string> row;
    for (std::int32_t x = 0; x < width; ++x) {
      const std::uint32_t v =
          Field(bytes, 12 + static_cast<std::size_t>((y * width + x) * bpp), bpp);
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%X", v);
      const bool marked = v >= 0x1000 && v < 0x2000;
      row.push_back(v == 0   ? "-"
                    : marked ? std::to_string((v - 0x1000) >> 4) + "," + std::to_string(v & 15)
                             : hex);
    }
    text += (y ? " / " : " ") + RunLength(row);
  }
  return text;
}

std::string Check(const Case& c, bool restart) {
  if (restart) target::Restart(true);
  const std::string setup = Steps(c.setup);
  if (!setup.empty()) return "setup failed:\n" + setup;
  const Probe probe = RunProbe(c.probe);
  const std::string want = c.want;
  std::string got = refhost::Describe(probe.calls);
  if (want.find(" plots:") != std::string::npos) got = Plots(probe.calls);
  if (want.rfind("pixels ", 0) == 0) got = Pixels(Number(want.substr(7, want.find(':') - 7)));
  // "start ... end" and "start ...": only the ends are compared.
  const std::size_t gap = (want + " ").find(" ... ");
  if (gap != std::string::npos) {
    const std::size_t tail = gap + 5 > want.size() ? 0 : want.size() - gap - 5;
    if (got.size() >= gap + tail && got.compare(0, gap, want, 0, gap) == 0 &&
        got.compare(got.size() - tail, tail, want, want.size() - tail, tail) == 0) {
      got = want;
    }
  }
  std::string problems = probe.error.empty() ? "" : probe.error + "\n";
  if (got != want) problems += "got:  " + got + "\nwant: " + want + "\n";
  const std::string after = Steps(c.after);
  if (!after.empty()) problems += "afterwards:\n" + after;
  for (const std::string& box : target::Boxes()) problems += "message box " + box + "\n";
  return problems;
}

}  // namespace cases
