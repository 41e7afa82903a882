// Hostile script text for the runner's decoding, its parser and its
// directives' argument checks, under AddressSanitizer and
// UndefinedBehaviorSanitizer: the input is decoded as a script file is, then
// each line of it is parsed as the runner parses it, against the plug-in's own
// command names, and a directive line is checked as the runner checks it
// before running it. Beyond crashes, decoded text must be UTF-8 without a NUL
// (and a refusal must say where), a parsed command must name a row, and a
// file name that passes the check must stay below its folder.
#include <algorithm>
#include <cstdlib>
#include <regex>
#include <sstream>

#include "plugin/command_table.h"
#include "refhost/runner/command_row.h"
#include "refhost/runner/directives.h"
#include "refhost/runner/script_text.h"

namespace {

// Independently of the check: no empty or ".." component (so no root and no
// trailing slash either), no drive.
bool StaysBelow(const std::string& name) {
  static const std::regex kWayOut(R"((^|[/\\])(\.\.)?([/\\]|$)|:)");
  return !std::regex_search(name, kWayOut);
}

// Independently of the decoder: well-formed UTF-8 (shortest forms, no
// surrogates, nothing past U+10FFFF) without a NUL.
bool IsCleanUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int length = lead < 0x80                   ? 1
                       : lead >= 0xC2 && lead < 0xE0 ? 2
                       : lead >= 0xE0 && lead < 0xF0 ? 3
                       : lead >= 0xF0 && lead < 0xF5 ? 4
                                                     : 0;
    if (lead == 0 || length == 0 || i + length > text.size()) return false;
    std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += static_cast<std::size_t>(length);
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::vector<std::string> names;
#define NAME_OF_ROW(id, text, name) names.push_back(refhost::ParseCommandRow(u"" text)->scriptName);
  if (names.empty()) {
    MBC_COMMAND_ROWS(NAME_OF_ROW)
  }
  static const std::regex kWhere("^line [1-9][0-9]*, column [1-9][0-9]*: ");
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string text, error;
  const bool decoded = refhost::DecodeScript(bytes, &text, &error);
  if (decoded ? !IsCleanUtf8(text) : !std::regex_search(error, kWhere)) std::abort();
  // The lines as the runner reads them, or else the raw bytes, so that the
  // parser meets what the decoder would refuse too.
  std::istringstream script(decoded ? text : bytes);
  for (std::string line; std::getline(script, line);) {
    const refhost::ParsedLine parsed =
        refhost::ParseScriptLine(line, names, refhost::DirectiveWords());
    const refhost::Statement& s = parsed.statement;
    using Kind = refhost::Statement::Kind;
    // As in the runner, the first line that cannot be read ends the script
    // (so the search for the nearest name runs once an input, as it does there).
    if (!parsed.ok) break;
    if (s.kind == Kind::Directive && !refhost::CheckDirective(s).empty()) continue;
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
