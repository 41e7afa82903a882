// Hostile script text for the runner, under AddressSanitizer and
// UndefinedBehaviorSanitizer: the input is decoded as a script file is, then
// the whole script is checked and compiled as the runner does it (the raw
// bytes too when they are no text, so that the parser meets what the decoder
// would refuse), and a script that passes runs against the plug-in's code
// linked in, with small budgets, in a folder of its own. Beyond crashes:
// decoded text must be UTF-8 without a NUL (and a refusal must say where);
// mistakes come in line order, each named by line and column, at most twenty
// shown; a compiled script calls only rows of the command table with their
// own number of arguments and jumps only within itself; a file name that
// passes the check stays below its folder; a run ends with a status of the
// script's own (0 to 2).
#include <iconv.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>

#include "refhost/runner/script_compiler.h"
#include "refhost/runner/script_runner.h"
#include "refhost/runner/script_text.h"
#include "target.h"

namespace {

// Independently of the check: a text with no empty or ".." component (so no
// root and no trailing slash either), no drive.
bool StaysBelow(const std::string& name) {
  static const std::regex kWayOut(R"((^|[/\\])(\.\.)?([/\\]|$)|:)");
  return !std::regex_search(name, kWayOut);
}

// Independently of the decoder (glibc's converter is strict: shortest forms,
// no surrogates, nothing past U+10FFFF): well-formed UTF-8 without a NUL.
bool IsCleanUtf8(std::string text) {
  static const iconv_t kToUtf32 = iconv_open("UTF-32LE", "UTF-8");
  std::string utf32(text.size() * 4, '\0');
  char *in = text.data(), *out = utf32.data();
  std::size_t inLeft = text.size(), outLeft = utf32.size();
  return text.find('\0') == std::string::npos && iconv(kToUtf32, &in, &inLeft, &out, &outLeft) == 0;
}

// The mistakes as the runner shows them: in order of line and column, no
// more than twenty, each at a line the script has.
bool MistakesInOrder(const refhost::Mistakes& mistakes, std::size_t lines) {
  static const std::regex kWhere("^line ([1-9][0-9]*), column ([1-9][0-9]*): ");
  const std::vector<std::string> shown = mistakes.Shown();
  std::pair<unsigned long, unsigned long> last{0, 0};
  for (const std::string& mistake : shown) {
    std::smatch m;
    if (!std::regex_search(mistake, m, kWhere)) return false;
    const std::pair<unsigned long, unsigned long> at{std::stoul(m[1]), std::stoul(m[2])};
    if (at < last || at.first > lines) return false;
    last = at;
  }
  return shown.size() == std::min<std::size_t>(mistakes.Count(), 20) && mistakes.Count() > 0;
}

// What a compiled script may do: call rows with their own argument counts,
// jump within itself, read code that ends, name files below their folder.
bool WellFormed(const refhost::Program& p) {
  for (const refhost::Step& s : p.steps) {
    if (s.firstArg + s.argc > p.args.size() || s.line >= p.lines.size()) return false;
    const bool jumps = s.kind == refhost::StepKind::kFor || s.kind == refhost::StepKind::kNext ||
                       s.kind == refhost::StepKind::kWhile || s.kind == refhost::StepKind::kIf ||
                       s.kind == refhost::StepKind::kExit || s.kind == refhost::StepKind::kJump;
    if (jumps && s.b > p.steps.size()) return false;
    if (s.kind == refhost::StepKind::kCommand &&
        (s.a >= p.calls.size() || p.calls[s.a].command->row.ParamCount() != s.argc)) {
      return false;
    }
  }
  for (const refhost::Arg& a : p.args) {
    if (a.kind == refhost::Arg::Kind::kText && static_cast<std::size_t>(a.value) >= p.texts.size())
      return false;
    if (a.kind != refhost::Arg::Kind::kCode) continue;
    std::size_t at = static_cast<std::size_t>(a.value);
    while (at < p.code.size() && p.code[at].op != refhost::Op::kEnd) ++at;
    if (at == p.code.size()) return false;
  }
  for (const auto& file : p.files) {
    if (!StaysBelow(file.name)) return false;
  }
  return true;
}

struct Stopped {};

// A folder of its own for what the scripts read and write, gone at the end.
const std::string& Folder() {
  static const struct Made {
    Made() {
      char name[] = "/tmp/mbc_script_fuzz.XXXXXX";
      if (mkdtemp(name) == nullptr) std::abort();
      path = name;
    }
    ~Made() { std::filesystem::remove_all(path); }
    std::string path;
  } folder;
  return folder.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::regex kWhere("^line [1-9][0-9]*, column [1-9][0-9]*: ");
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string text, error;
  const bool decoded = refhost::DecodeScript(bytes, &text, &error);
  if (decoded ? !IsCleanUtf8(text) : !std::regex_search(error, kWhere)) std::abort();
  const std::string& script = decoded ? text : bytes;
  refhost::Variables variables;
  refhost::Program program;
  refhost::Mistakes mistakes;
  const bool compiled =
      refhost::CompileScript(script, target::Plugin(), &variables, &program, &mistakes);
  // Lines end at CR LF, LF or a lone CR: every LF, and every CR not before one.
  std::size_t lines = std::count(script.begin(), script.end(), '\n') + 1;
  for (std::size_t at = script.find('\r'); at != std::string::npos;
       at = script.find('\r', at + 1)) {
    lines += at + 1 == script.size() || script[at + 1] != '\n';
  }
  if (compiled ? !WellFormed(program) || mistakes.Count() != 0
               : !MistakesInOrder(mistakes, lines)) {
    std::abort();
  }
  if (!compiled || !decoded) return 0;

  target::Restart(true);
  refhost::RunnerOptions options;
  options.scriptFolder = options.outputFolder = Folder();
  options.maxLines = 2000;
  options.maxHostCalls = 20000;
  options.stop = [](int) { throw Stopped{}; };
  std::ostringstream out;
  int status = refhost::kRunScriptError;
  try {
    status = refhost::ScriptRunner(target::Plugin(), &target::Host(), options, out).Run(text);
  } catch (const Stopped&) {
  }
  if (status < refhost::kRunPassed || status > refhost::kRunScriptError) std::abort();
  // What a script wrote goes, so that the folder stays small.
  if (!std::filesystem::is_empty(Folder())) {
    std::filesystem::remove_all(Folder());
    std::filesystem::create_directory(Folder());
  }
  return 0;
}
