// The runner's directives: the lines of a script that are not commands of the
// plug-in. One table describes each: its word, the forms of arguments it
// takes, whether it needs the host's store, its usage and help (which --help
// and the refusals quote) and the runner's step that carries it out. A
// directive line is checked against the table before anything runs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace refhost {

class ScriptRunner;
struct DirectiveStep;

struct Directive {
  const char* word;  // read in any letter case
  // The argument forms it takes, one letter per argument: "n" a number or
  // variable, "t" a "quoted text", "f" a "quoted file name", "a" any of them;
  // "*" after a letter repeats it any number of times. A form that starts
  // with "=" gives a value that "V = ..." may keep.
  std::vector<const char*> forms;
  bool needsStore;  // refused when the companion library is missing
  // Shows what it was asked to show each time it runs, inside a loop too;
  // the other directives' lines in a loop are shown once, summed up.
  bool showsEachRun;
  const char* usage;
  const char* does;
  bool (ScriptRunner::*run)(const DirectiveStep& step);
};

const std::vector<Directive>& Directives();

// The directive of that word (letters in any case), or null.
const Directive* FindDirective(std::string_view word);

// Whether argument `index` of the directive is a file name in one of its forms.
bool IsFileArgument(const Directive& directive, std::size_t index);

// An argument of a directive line as the check sees it: a value, or a text.
struct DirectiveArgument {
  bool isText;
  std::string text;
};

// Why the directive `word` cannot run with `args` (a wrong number or kind of
// arguments, a file name that would leave its folder, a result kept from a
// form that gives none, `keepsValue`), or "" when it can.
std::string CheckDirective(std::string_view word, bool keepsValue,
                           const std::vector<DirectiveArgument>& args);

}  // namespace refhost
