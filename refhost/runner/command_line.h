// mbc_runner's command line: its options, as one table that both the parser
// and --help read, and its exit statuses.
//
//   mbc_runner [OPTIONS] SCRIPT [OUTPUT_FOLDER]
//   mbc_runner [OPTIONS] FOLDER [OUTPUT_FOLDER]        (a suite)
//   mbc_runner [OPTIONS] --output OUTPUT_FOLDER SCRIPT|FOLDER...
//
// Options may stand before or after the script, as "--name VALUE" or
// "--name=VALUE"; "--" ends them (a script named "-x.mbc" follows it); "-h",
// "-?", "/?" and "/help" are "--help", and "-o" "--output".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "refhost/runner/script_runner.h"

namespace refhost {

// The exit status of a command line that could not be understood, beyond
// those of a run (RunResult).
constexpr int kExitUsage = 4;

struct CommandLine {
  bool help = false;
  std::string script;                 // the first operand
  std::vector<std::string> operands;  // every script or folder named
  // Run as a suite, whatever the operand is: --output, --report or --junit
  // given (a FOLDER operand makes one too, which main sees).
  bool suite = false;
  bool output = false;    // --output given: every operand is a script or a folder
  std::string report;     // --report FOLDER
  std::string junit;      // --junit FILE
  RunnerOptions options;  // the output folder among them, "." by default
};

// False with `error` saying what was wrong: an unknown option (with the
// nearest one when it is close), an option's value missing or not valid, a
// value given to an option that takes none, no script, or more than a script
// and an output folder.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* line, std::string* error);

// The short usage a command-line mistake ends with.
std::string UsageLine();

// The text of --help: the usage, the options, every directive and the exit
// statuses.
std::string HelpText();

}  // namespace refhost
