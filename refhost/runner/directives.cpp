#include "refhost/runner/directives.h"

#include "refhost/runner/command_row.h"
#include "refhost/runner/export_call.h"
#include "refhost/runner/file_names.h"
#include "refhost/runner/script_lexer.h"
#include "refhost/runner/script_runner.h"

namespace refhost {
namespace {

bool Fits(char letter, const DirectiveArgument& arg) {
  if (letter == 'a') return true;
  return letter == 'n' ? !arg.isText : arg.isText;
}

// `form` without its "=", with "f" taken as "t".
bool MatchesForm(const char* form, const std::vector<DirectiveArgument>& args) {
  std::size_t at = 0;
  for (const char* letter = form + (*form == '='); *letter != '\0'; ++letter) {
    const char wanted = *letter == 'f' ? 't' : *letter;
    if (letter[1] == '*') {
      while (at < args.size() && Fits(wanted, args[at])) ++at;
      ++letter;
    } else if (at < args.size() && Fits(wanted, args[at])) {
      ++at;
    } else {
      return false;
    }
  }
  return at == args.size();
}

// When the arguments would fit a form of the directive with a text taken as
// a number ("expect a, \"1\""), says so, with what to write; "" otherwise.
std::string TextForANumber(const Directive& d, const std::vector<DirectiveArgument>& args) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (!args[i].isText) continue;
    std::vector<DirectiveArgument> asNumber = args;
    asNumber[i].isText = false;
    for (const char* form : d.forms) {
      if (!MatchesForm(form, asNumber)) continue;
      std::int32_t value = 0;
      const std::string& text = args[i].text;
      return "\"" + Escaped(text) + "\" is a text where " + d.word +
             " takes a number or a variable" +
             (ParseNumber(text, &value) ? ": write " + text + " without quotes" : "") + "; ";
    }
  }
  return "";
}

}  // namespace

const std::vector<Directive>& Directives() {
  using R = ScriptRunner;
  static const std::vector<Directive> table = {
      {"print", {"a*"}, false, true, "print ARG, ...", "prints texts and values", &R::Print},
      {"expect",
       {"nn"},
       false,
       false,
       "expect VALUE, WANTED",
       "prints ok, or counts a failure",
       &R::Expect},
      {"bitmap",
       {"nnn", "nnnn", "nf"},
       true,
       false,
       "bitmap N, W, H [, COLOUR] | bitmap N, \"FILE.png\"",
       "a host bitmap: a test pattern, one colour, or a PNG file beside the script",
       &R::MakePicture},
      {"image",
       {"nnn", "nnnn", "nf"},
       true,
       false,
       "image N, W, H [, COLOUR] | image N, \"FILE.png\"",
       "a host image, the same",
       &R::MakePicture},
      {"mesh", {"nn"}, true, false, "mesh N, VERTICES", "a host mesh", &R::Mesh},
      {"sound", {"nn"}, true, false, "sound N, SAMPLES", "a host sound (a sawtooth)", &R::Sound},
      {"array",
       {"nnn*"},
       true,
       false,
       "array REF, BYTE, ...",
       "a host script array under reference REF",
       &R::Array},
      {"memblock",
       {"nn"},
       true,
       false,
       "memblock N, SIZE",
       "a memblock the script makes under its own number",
       &R::Memblock},
      {"dword",
       {"=nn", "nnn"},
       true,
       false,
       "[V =] dword M, OFFSET [, VALUE]",
       "reads, or writes, the 32-bit value at OFFSET of memblock M, as the host's own "
       "memblock commands do",
       &R::Dword},
      {"show", {"n"}, true, true, "show M", "a memblock's size and first three dwords", &R::Show},
      {"memblocks", {""}, true, true, "memblocks", "every memblock in the host", &R::ListMemblocks},
      {"save",
       {"nf", "nfn"},
       true,
       false,
       "save M, \"FILE.png\" [, SCALE]",
       "an image memblock as a PNG file in the output folder; SCALE from 2 up enlarges each "
       "pixel to a square with a grid between them; never over a golden file of the script",
       &R::Save},
      {"expect_image",
       {"nf"},
       true,
       false,
       "expect_image M, \"FILE.png\"",
       "compares an image memblock with a golden PNG file beside the script, pixel by pixel; "
       "when they differ, writes FILE.actual.png and FILE.diff.png into the output folder",
       &R::ExpectImage},
      {"call",
       {"=tn*"},
       false,
       false,
       "[V =] call \"EXPORT\", ARG, ...",
       "an export without a row (PrepareMeshMemblock), called with exactly the arguments given",
       &R::Call},
  };
  return table;
}

const Directive* FindDirective(std::string_view word) {
  for (const Directive& d : Directives()) {
    if (SameNameIgnoringCase(word, d.word)) return &d;
  }
  return nullptr;
}

bool IsFileArgument(const Directive& directive, std::size_t index) {
  for (const char* form : directive.forms) {
    const std::string_view letters = form + (*form == '=');
    if (index < letters.size() && letters[index] == 'f') return true;
  }
  return false;
}

std::string CheckDirective(std::string_view word, bool keepsValue,
                           const std::vector<DirectiveArgument>& args) {
  const Directive* d = FindDirective(word);
  if (d == nullptr) return "unknown directive " + std::string(word);
  const std::string name = d->word;
  const char* form = nullptr;
  for (const char* f : d->forms) {
    if (MatchesForm(f, args)) form = f;
  }
  if (form == nullptr) return TextForANumber(*d, args) + "usage: " + std::string(d->usage);
  if (keepsValue && form[0] != '=') {
    for (const char* f : d->forms) {
      if (f[0] == '=') return "this form of " + name + " gives no value to keep";
    }
    return name + " gives no value to keep";
  }
  form += form[0] == '=';
  for (std::size_t i = 0; i < args.size() && form[i] != '\0'; ++i) {
    if (form[i] != 'f') continue;
    bool wayOut = false;
    const std::string why = RefusedFileName(args[i].text, &wayOut);
    if (why.empty()) continue;
    // A file of the script's own lies in its folder; a picture it writes in the output folder.
    const char* advice = name == "save"
                             ? "; save writes below the output folder: name a file there, or "
                               "give another OUTPUT_FOLDER"
                             : "; a script reads files in its own folder and those below it: "
                               "copy the file there";
    return why + ": \"" + Escaped(args[i].text) + "\"" + (wayOut ? advice : "");
  }
  if (name == "expect_image") {
    const std::string& golden = args[1].text;
    const bool png =
        golden.size() > 4 && SameNameIgnoringCase(golden.substr(golden.size() - 4), ".png");
    if (!png) return "a golden file is a PNG file, named NAME.png: \"" + Escaped(golden) + "\"";
  }
  if (name == "call" && args.size() - 1 > kMaxCommandArgs) {
    return "call takes at most " + std::to_string(kMaxCommandArgs) + " arguments";
  }
  return "";
}

}  // namespace refhost
