// Hostile script text for the runner's parser and its directives' argument
// checks, under AddressSanitizer and UndefinedBehaviorSanitizer: each line of
// the input is parsed as the runner parses it, against the plug-in's own
// command names, and a directive line is checked as the runner checks it
// before running it. Beyond crashes, a parsed command must name a row, and a
// file name that passes the check must stay below its folder.
#include <algorithm>
#include <cstdlib>
#include <regex>
#include <sstream>

#include "plugin/command_table.h"
#include "refhost/runner/command_row.h"
#include "refhost/runner/directives.h"

namespace {

// Independently of the check: no empty or ".." component (so no root and no
// trailing slash either), no drive.
bool StaysBelow(const std::string& name) {
  static const std::regex kWayOut(R"((^|[/\\])(\.\.)?([/\\]|$)|:)");
  return !std::regex_search(name, kWayOut);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::vector<std::string> names;
#define NAME_OF_ROW(id, text, name) names.push_back(refhost::ParseCommandRow(u"" text)->scriptName);
  if (names.empty()) {
    MBC_COMMAND_ROWS(NAME_OF_ROW)
  }
  std::istringstream script(std::string(reinterpret_cast<const char*>(data), size));
  for (std::string line; std::getline(script, line);) {
    const refhost::ParsedLine parsed =
        refhost::ParseScriptLine(line, names, refhost::DirectiveWords());
    const refhost::Statement& s = parsed.statement;
    using Kind = refhost::Statement::Kind;
    if (!parsed.ok || (s.kind == Kind::Directive && !refhost::CheckDirective(s).empty())) continue;
    if (s.kind == Kind::Command && std::find(names.begin(), names.end(), s.name) == names.end()) {
      std::abort();
    }
    for (const refhost::Operand& arg : s.args) {
      const bool fileName =
          arg.kind == refhost::Operand::Kind::Text && s.name != "print" && s.name != "call";
      if (s.kind == Kind::Directive && fileName && !StaysBelow(arg.text)) std::abort();
    }
  }
  return 0;
}
