// The runner's directives: the lines of a script that are not commands of the
// plug-in. One table describes each: its word, the forms of arguments it
// takes, whether it needs the host's store, its usage and help (which --help
// and the refusals quote) and the runner's step that carries it out. A
// directive line is checked against the table before anything runs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "refhost/runner/script_line.h"

namespace refhost {

class ScriptRunner;
struct DirectiveStep;

struct Directive {
  const char* word;
  // The argument forms it takes, one letter per argument: "n" a number or
  // variable, "t" a "quoted text", "f" a "quoted file name", "a" any of them;
  // "*" after a letter repeats it any number of times. A form that starts
  // with "=" gives a value that "V = ..." may keep.
  std::vector<const char*> forms;
  bool needsStore;  // refused when the companion library is missing
  const char* usage;
  const char* does;
  bool (ScriptRunner::*run)(const DirectiveStep& step);
};

const std::vector<Directive>& Directives();

// The directive of that word, or null.
const Directive* FindDirective(std::string_view word);

// The words that start a directive line.
std::vector<std::string> DirectiveWords();

// Why `statement`, a directive line, cannot run as written (a wrong number or
// kind of arguments, a file name that would leave its folder, a result kept
// from a form that gives none), or "" when it can.
std::string CheckDirective(const Statement& statement);

}  // namespace refhost
