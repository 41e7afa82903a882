// Hostile script text for the runner's decoding, its parser and its
// directives' argument checks, under AddressSanitizer and
// UndefinedBehaviorSanitizer: the input is decoded as a script file is, then
// each line of it is parsed as the runner parses it, against the plug-in's own
// command names, and a directive line is checked as the runner checks it
// before running it. Beyond crashes, decoded text must be UTF-8 without a NUL
// (and a refusal must say where), a parsed command must name a row, and a
// file name that passes the check must stay below its folder.
#include <iconv.h>

#include <algorithm>
#include <cstdlib>
#include <regex>
#include <sstream>

#include "plugin/command_table.h"
#include "refhost/runner/command_row.h"
#include "refhost/runner/directives.h"
#include "refhost/runner/script_text.h"

namespace {

// Independently of the check: a text with no empty or ".." component (so no
// root and no trailing slash either), no drive.
bool StaysBelow(const refhost::Operand& arg) {
  static const std::regex kWayOut(R"((^|[/\\])(\.\.)?([/\\]|$)|:)");
  return arg.kind != refhost::Operand::Kind::Text || !std::regex_search(arg.text, kWayOut);
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
#define NAME_OF_ROW(id, text, name) refhost::ParseCommandRow(u"" text)->scriptName,
  static const std::vector<std::string> names = {MBC_COMMAND_ROWS(NAME_OF_ROW)};
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
    if (s.kind == Kind::Command && std::count(names.begin(), names.end(), s.name) == 0)
      std::abort();
    // Every text of a directive other than print and call is a file name; the
    // check runs only for one that would leave its folder, which it must refuse.
    const bool named = s.kind == Kind::Directive && s.name != "print" && s.name != "call";
    for (const refhost::Operand& arg : s.args)
      if (named && !StaysBelow(arg) && refhost::CheckDirective(s).empty()) std::abort();
  }
  return 0;
}
