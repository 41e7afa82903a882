// The whole script read, checked and compiled before line 1 runs: every
// line parsed (script_parser.h), the blocks matched up and turned into jumps,
// every variable that is read set somewhere. Every mistake is found, not
// only the first; a script with one runs no line at all.
#pragma once

#include <cstdint>
#include <string>

#include "refhost/runner/command_set.h"
#include "refhost/runner/script_mistakes.h"
#include "refhost/runner/script_program.h"

namespace refhost {

// How deep blocks may stand inside one another.
constexpr std::size_t kMostBlockDepth = 32;

// Compiles `text`, the script's UTF-8 text, into `program` against the
// plug-in's `commands` and the runner's `variables` (those that an earlier
// script of the runner set count as set). False when it has mistakes, all of
// which are in `mistakes`.
bool CompileScript(std::string text, const CommandSet& commands, Variables* variables,
                   Program* program, Mistakes* mistakes);

}  // namespace refhost
