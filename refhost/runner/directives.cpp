#include "refhost/runner/directives.h"

#include "refhost/runner/export_call.h"
#include "refhost/runner/file_names.h"

namespace refhost {
namespace {

bool Fits(char letter, const Operand& operand) {
  if (letter == 'a') return true;
  const bool text = operand.kind == Operand::Kind::Text;
  return letter == 'n' ? !text : text;
}

bool MatchesForm(const char* form, const std::vector<Operand>& args) {
  std::size_t at = 0;
  for (const char* letter = form; *letter != '\0'; ++letter) {
    if (letter[1] == '*') {
      while (at < args.size() && Fits(*letter, args[at])) ++at;
      ++letter;
    } else if (at < args.size() && Fits(*letter, args[at])) {
      ++at;
    } else {
      return false;
    }
  }
  return at == args.size();
}

}  // namespace

const std::vector<Directive>& Directives() {
  static const std::vector<Directive> table = {
      {"print", {"a*"}, "print ARG, ...", "prints texts and values"},
      {"expect", {"nn"}, "expect VALUE, WANTED", "prints ok, or counts a failure"},
      {"bitmap",
       {"nnn", "nnnn", "nf"},
       "bitmap N, W, H [, COLOUR] | bitmap N, \"FILE.png\"",
       "a host bitmap: a test pattern, one colour, or a PNG file beside the script"},
      {"image",
       {"nnn", "nnnn", "nf"},
       "image N, W, H [, COLOUR] | image N, \"FILE.png\"",
       "a host image, the same"},
      {"mesh", {"nn"}, "mesh N, VERTICES", "a host mesh"},
      {"sound", {"nn"}, "sound N, SAMPLES", "a host sound (a sawtooth)"},
      {"array", {"nnn*"}, "array REF, BYTE, ...", "a host script array under reference REF"},
      {"memblock", {"nn"}, "memblock N, SIZE", "a memblock the script makes under its own number"},
      {"dword",
       {"nn", "nnn"},
       "[V =] dword M, OFFSET [, VALUE]",
       "reads, or writes, the 32-bit value at OFFSET of memblock M, as the host's own "
       "memblock commands do"},
      {"show", {"n"}, "show M", "a memblock's size and first three dwords"},
      {"memblocks", {""}, "memblocks", "every memblock in the host"},
      {"save",
       {"nf", "nfn"},
       "save M, \"FILE.png\" [, SCALE]",
       "an image memblock as a PNG file in the output folder; SCALE from 2 up enlarges each "
       "pixel to a square with a grid between them"},
      {"expect_image",
       {"nf"},
       "expect_image M, \"FILE.png\"",
       "compares an image memblock with a PNG file beside the script, pixel by pixel"},
      {"call",
       {"tn*"},
       "[V =] call \"EXPORT\", ARG, ...",
       "an export without a row (PrepareMeshMemblock), called with exactly the arguments given"},
  };
  return table;
}

std::vector<std::string> DirectiveWords() {
  std::vector<std::string> words;
  for (const Directive& d : Directives()) words.push_back(d.word);
  return words;
}

std::string CheckDirective(const Statement& statement) {
  for (const Directive& d : Directives()) {
    if (statement.name != d.word) continue;
    const bool givesValue =
        statement.name == "call" || (statement.name == "dword" && statement.args.size() == 2);
    if (!statement.target.empty() && !givesValue) {
      return statement.name + " gives no value to keep";
    }
    const char* form = nullptr;
    for (const char* f : d.forms) {
      std::string files(f);
      for (char& letter : files) letter = letter == 'f' ? 't' : letter;
      if (MatchesForm(files.c_str(), statement.args)) form = f;
    }
    if (form == nullptr) return "usage: " + std::string(d.usage);
    for (std::size_t i = 0; i < statement.args.size() && form[i] != '\0'; ++i) {
      if (form[i] != 'f') continue;
      const std::string why = RefusedFileName(statement.args[i].text);
      if (!why.empty()) return why + ": \"" + Escaped(statement.args[i].text) + "\"";
    }
    if (statement.name == "call" && statement.args.size() - 1 > kMaxCommandArgs) {
      return "call takes at most " + std::to_string(kMaxCommandArgs) + " arguments";
    }
    return "";
  }
  return "unknown directive " + statement.name;
}

}  // namespace refhost
