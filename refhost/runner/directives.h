// The runner's directives: the lines of a script that are not commands of the
// plug-in. Each has the forms of arguments it takes; a directive line is
// checked against them before anything runs, and the same table gives the
// usage text of --help.
#pragma once

#include <string>
#include <vector>

#include "refhost/runner/script_line.h"

namespace refhost {

struct Directive {
  const char* word;
  // The argument forms it takes, one letter per argument: "n" a number or
  // variable, "t" a "quoted text", "f" a "quoted file name", "a" any of them; "*" after a letter
  // repeats it any number of times.
  std::vector<const char*> forms;
  const char* usage;
  const char* does;
};

const std::vector<Directive>& Directives();

// The words that start a directive line.
std::vector<std::string> DirectiveWords();

// Why `statement`, a directive line, cannot run as written (a wrong number or
// kind of arguments, a file name that would leave its folder, a result kept
// from a directive that gives none), or "" when it can.
std::string CheckDirective(const Statement& statement);

}  // namespace refhost
