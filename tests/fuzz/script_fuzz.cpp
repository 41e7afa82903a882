// Hostile script text for the runner's parser and its directives' argument
// checks, under AddressSanitizer and UndefinedBehaviorSanitizer: each line of
// the input is parsed as the runner parses it, against the plug-in's own
// command names, and a directive line is checked as the runner checks it
// before running it. Beyond crashes, a file name that passes the check must
// stay below its folder, and a parsed command must name a row.
#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "plugin/command_table.h"
#include "refhost/runner/command_row.h"
#include "refhost/runner/directives.h"
#include "refhost/runner/file_names.h"

namespace {

std::vector<std::string> CommandNames() {
  std::vector<std::string> names;
#define NAME_OF_ROW(id, text, name) names.push_back(refhost::ParseCommandRow(u"" text)->scriptName);
  MBC_COMMAND_ROWS(NAME_OF_ROW)
  return names;
}

// Independently of the check: no component "..", no root, no drive.
bool StaysBelow(const std::string& name) {
  std::string component;
  for (char c : name) {
    if (c == '/' || c == '\\') {
      if (component == ".." || component.empty()) return false;
      component.clear();
    } else {
      component += c;
    }
  }
  return component != ".." && !component.empty() && name.find(':') == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::string> names = CommandNames();
  static const std::vector<std::string> directives = refhost::DirectiveWords();
  std::istringstream script(std::string(reinterpret_cast<const char*>(data), size));
  for (std::string line; std::getline(script, line);) {
    const refhost::ParsedLine parsed = refhost::ParseScriptLine(line, names, directives);
    const refhost::Statement& s = parsed.statement;
    if (!parsed.ok) continue;
    if (s.kind == refhost::Statement::Kind::Command &&
        std::find(names.begin(), names.end(), s.name) == names.end()) {
      std::abort();
    }
    if (s.kind != refhost::Statement::Kind::Directive || !refhost::CheckDirective(s).empty()) {
      continue;
    }
    for (const refhost::Operand& arg : s.args) {
      const bool isFileName = arg.kind == refhost::Operand::Kind::Text && s.name != "print" &&
                              s.name != "call";
      if (isFileName && !StaysBelow(arg.text)) std::abort();
    }
  }
  return 0;
}
