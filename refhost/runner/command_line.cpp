#include "refhost/runner/command_line.h"

#include <algorithm>
#include <sstream>

#include "refhost/runner/directives.h"
#include "refhost/runner/file_access.h"
#include "refhost/runner/nearest_name.h"

namespace refhost {
namespace {

struct Option {
  const char* name;
  const char* value;  // what its value is called, or null when it takes none
  std::string does;
  // Takes the option (and its value); false with `error` when the value is not valid.
  bool (*take)(const std::string& value, CommandLine* line, std::string* error);
};

bool ParseCount(const std::string& text, std::uint64_t* count) {
  constexpr std::uint64_t kMost = ~std::uint64_t{0};
  std::uint64_t value = 0;
  for (char c : text) {
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (c < '0' || c > '9' || value > (kMost - digit) / 10) return false;
    value = value * 10 + digit;
  }
  *count = value;
  return value >= 1;
}

const std::vector<Option>& Options() {
  static const std::vector<Option> table = {
      {"--trace", nullptr, "print every host call under the command that made it",
       [](const std::string&, CommandLine* line, std::string*) {
         line->options.trace = true;
         return true;
       }},
      {"--no-notes", nullptr,
       "leave out the notes: what the runner tells, under a command's line, that the plug-in "
       "left undone or did unexpectedly (a plot outside the image, a make the host made "
       "nothing for, ...)",
       [](const std::string&, CommandLine* line, std::string*) {
         line->options.notes = false;
         return true;
       }},
      {"--max-host-calls", "N",
       "stop a command that makes more than N host calls (default " +
           std::to_string(kDefaultMaxHostCalls) + ")",
       [](const std::string& value, CommandLine* line, std::string* error) {
         if (ParseCount(value, &line->options.maxHostCalls)) return true;
         *error = "--max-host-calls takes a count of at least 1, not \"" + value + "\"";
         return false;
       }},
      {"--max-run-host-calls", "N",
       "stop the run once its commands have made more than N host calls in all (default " +
           std::to_string(kDefaultMaxRunHostCalls) + ")",
       [](const std::string& value, CommandLine* line, std::string* error) {
         if (ParseCount(value, &line->options.maxRunHostCalls)) return true;
         *error = "--max-run-host-calls takes a count of at least 1, not \"" + value + "\"";
         return false;
       }},
      {"--max-lines", "N",
       "stop a script that would run more than N lines, each pass of a loop counted (default " +
           std::to_string(kDefaultMaxLines) + ")",
       [](const std::string& value, CommandLine* line, std::string* error) {
         if (ParseCount(value, &line->options.maxLines)) return true;
         *error = "--max-lines takes a count of at least 1, not \"" + value + "\"";
         return false;
       }},
      {"--update-golden", nullptr,
       "an expect_image whose golden file is missing or differs writes the image as that "
       "golden file (in SCRIPT's folder), says so and passes",
       [](const std::string&, CommandLine* line, std::string*) {
         line->options.updateGolden = true;
         return true;
       }},
      {"--output", "FOLDER",
       "run every SCRIPT and every *.mbc below every FOLDER named, as a suite, each "
       "writing into its own folder below FOLDER (also -o)",
       [](const std::string& value, CommandLine* line, std::string*) {
         line->options.outputFolder = value;
         line->suite = true;
         line->output = true;
         return true;
       }},
      {"--report", "FOLDER",
       "write FOLDER/index.html, a page of the suite's results with every expect_image's "
       "pictures, failed scripts first",
       [](const std::string& value, CommandLine* line, std::string*) {
         line->report = value;
         line->suite = true;
         return true;
       }},
      {"--junit", "FILE",
       "write the suite's results to FILE (ending in .xml) as JUnit XML, for build servers",
       [](const std::string& value, CommandLine* line, std::string* error) {
         // Refused before any script runs, not after the whole suite.
         if (value.size() <= 4 || Lowered(value.substr(value.size() - 4)) != ".xml") {
           *error = "--junit takes a file whose name ends in .xml, not \"" + value + "\"";
           return false;
         }
         line->junit = value;
         line->suite = true;
         return true;
       }},
      {"--diff-scale", "N",
       "enlarge the .enlarged.png pictures a failed expect_image writes N times (1 to 64; 1 "
       "writes none; default: enough for " +
           std::to_string(kEnlargedSide) + " pixels, at most 16 times)",
       [](const std::string& value, CommandLine* line, std::string* error) {
         std::uint64_t scale = 0;
         if (ParseCount(value, &scale) && scale <= 64) {
           line->options.diffScale = static_cast<int>(scale);
           return true;
         }
         *error = "--diff-scale takes a whole number from 1 to 64, not \"" + value + "\"";
         return false;
       }},
      {"--help", nullptr,
       "print this text, with the plug-in's commands when it can be loaded, and exit (also -h, "
       "-?, /? and /help)",
       [](const std::string&, CommandLine* line, std::string*) {
         line->help = true;
         return true;
       }},
  };
  return table;
}

constexpr std::size_t kHelpWidth = 80;
constexpr std::size_t kOptionIndent = 22;

// `text` in lines of at most kHelpWidth characters, each indented by `indent`.
std::string Wrapped(const std::string& text, std::size_t indent) {
  std::string lines, line;
  std::istringstream words(text);
  for (std::string word; words >> word;) {
    if (!line.empty() && indent + line.size() + 1 + word.size() > kHelpWidth) {
      lines += std::string(indent, ' ') + line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  return lines + std::string(indent, ' ') + line + "\n";
}

const Option* FindOption(const std::string& name) {
  for (const Option& option : Options()) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

std::string UnknownOption(const std::string& name) {
  std::vector<std::string> names;
  for (const Option& option : Options()) names.push_back(option.name);
  const std::string nearest = NearestName(name, names);
  return "unknown option " + name + (nearest.empty() ? "" : "; did you mean " + nearest + "?");
}

// The ways people ask a Windows or Unix program for its help: "-h", "-?",
// "/?" and "/help" (the last two in any letter case) besides "--help".
bool AsksForHelp(const std::string& arg) {
  if (arg == "-h" || arg == "-?" || arg == "/?") return true;
  if (arg.size() != 5 || arg[0] != '/') return false;
  std::string word = arg.substr(1);
  for (char& c : word) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return word == "help";
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* line, std::string* error) {
  std::vector<std::string> operands;
  bool optionsEnded = false;
  for (std::size_t at = 0; at < args.size(); ++at) {
    const std::string& arg = args[at];
    if (!optionsEnded && AsksForHelp(arg)) {
      line->help = true;
      continue;
    }
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string name = arg == "-h"   ? "--help"
                             : arg == "-o" ? "--output"
                                           : arg.substr(0, equals);
    const Option* option = FindOption(name);
    if (option == nullptr) {
      *error = UnknownOption(name);
      return false;
    }
    std::string value;
    if (option->value == nullptr && equals != std::string::npos) {
      *error = name + " takes no value";
      return false;
    }
    if (option->value != nullptr && equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (option->value != nullptr) {
      // The next argument, unless there is none or it is another option.
      if (at + 1 == args.size() || args[at + 1].rfind("--", 0) == 0) {
        *error = name + " needs a value: " + name + " " + option->value;
        return false;
      }
      value = args[++at];
    }
    if (!option->take(value, line, error)) return false;
  }
  if (line->help) return true;
  if (operands.empty()) {
    *error = "no SCRIPT given";
    return false;
  }
  line->script = operands[0];
  if (line->output) {
    line->operands = operands;
    return true;
  }
  if (operands.size() > 2) {
    *error = "one SCRIPT and one OUTPUT_FOLDER at most; \"" + operands[2] + "\" is one too many";
    return false;
  }
  line->operands = {operands[0]};
  if (operands.size() == 2) line->options.outputFolder = operands[1];
  return true;
}

std::string UsageLine() {
  return "usage: mbc_runner [OPTIONS] SCRIPT [OUTPUT_FOLDER]   (mbc_runner --help tells more)\n"
         "       mbc_runner [OPTIONS] FOLDER [OUTPUT_FOLDER]\n"
         "       mbc_runner [OPTIONS] --output OUTPUT_FOLDER SCRIPT|FOLDER...\n";
}

std::string HelpText() {
  std::string text =
      "usage: mbc_runner [OPTIONS] SCRIPT [OUTPUT_FOLDER]\n"
      "       mbc_runner [OPTIONS] FOLDER [OUTPUT_FOLDER]\n"
      "       mbc_runner [OPTIONS] --output OUTPUT_FOLDER SCRIPT|FOLDER...\n"
      "\n"
      "Loads DoduzIridizeruRediro.dll with the stand-in host libraries beside this\n"
      "program (the plug-in from the folder above when there is none here), calls its\n"
      "load hook and runs SCRIPT: one statement a line, \"#\" starts a comment. A\n"
      "command is written as the command table names it, arguments in brackets or\n"
      "after a blank; \"v = ...\" keeps its result or a value. Arguments are\n"
      "expressions (+ - * / mod, and or xor not << >>, = <> < > <= >=, && || !);\n"
      "blocks are for V = A to B [step S] ... next, while ... endwhile, if ...\n"
      "elseif ... else ... endif, and exit leaves a loop. The whole script is checked\n"
      "before line 1 runs. SCRIPT may be UTF-8 (with or without a byte-order mark)\n"
      "or UTF-16 with its mark, with CR LF or LF.\n"
      "PNG files are read from SCRIPT's folder and written to OUTPUT_FOLDER (default\n"
      "\".\", made when missing); a file name must stay below its folder.\n"
      "\n"
      "A FOLDER runs as a suite: every *.mbc below it (entries sorted without letter\n"
      "case, folders walked depth first), each in a freshly loaded plug-in and an\n"
      "empty store, its files and its transcript (output.txt) in its own folder below\n"
      "OUTPUT_FOLDER (\"commands/box.mbc\" in OUTPUT_FOLDER/commands/box). It prints a\n"
      "line for each script, ok or FAILED, then \"N passed, M failed\". --output names\n"
      "several scripts and folders at once; --report and --junit run a SCRIPT as a\n"
      "suite of one.\n"
      "\n"
      "Options (before or after SCRIPT; --name=VALUE or --name VALUE; -- ends them):\n";
  for (const Option& option : Options()) {
    std::string head = std::string("  ") + option.name + (option.value ? " " : "") +
                       (option.value ? option.value : "");
    // A name too long for its column gets a line of its own.
    const std::string does = Wrapped(option.does, kOptionIndent);
    if (head.size() < kOptionIndent) {
      head.resize(kOptionIndent, ' ');
      text += head + does.substr(kOptionIndent);
    } else {
      text += head + "\n" + does;
    }
  }
  text +=
      "\n"
      "Colours and pixels are shown in hexadecimal: MBC Get Pixel's results, numbers\n"
      "written in hexadecimal, values read at offset 12 and beyond (where an image\n"
      "keeps its pixels), what arithmetic makes of them, and variables that hold\n"
      "them; other values in decimal. A loop's lines are shown once, summed up, when\n"
      "the outermost loop ends; failures as they happen.\n"
      "\n"
      "Directives:\n";
  for (const Directive& d : Directives()) {
    text += std::string("  ") + d.usage + "\n" + Wrapped(d.does, 6);
  }
  text +=
      "\n"
      "Exit status: 0 the script ran and every expectation held; 1 an expectation\n"
      "failed (or the plug-in or a host library stayed loaded); 2 the script has a\n"
      "mistake, a line could not be run, or a command or the whole run was stopped\n"
      "(a budget); 3 the host could not be set up (no plug-in, a script that cannot\n"
      "be read, an output folder that cannot be made); 4 the command line was wrong.\n"
      "A suite: 0 every script passed; 1 an expectation failed; 2 a script could not\n"
      "be run (or stopped, or an operand named no script, or the report or the JUnit\n"
      "file could not be written); 3 the host could not be set up; 4 as above.\n";
  return text;
}

}  // namespace refhost
