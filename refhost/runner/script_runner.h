// Runs a command script (see script_line.h for a line's form) against the
// loaded plug-in and the stand-in host, printing a line per step.
//
// Directives, besides the commands of the plug-in's table:
//   print ARG, ...               texts and values
//   expect VALUE, WANTED         counts a failure when they differ
//   bitmap N, W, H [, COLOUR]    a host bitmap: a test pattern, or one colour
//   image N, W, H [, COLOUR]     a host image, the same
//   mesh N, VERTICES             a host mesh
//   sound N, SAMPLES             a host sound (a sawtooth)
//   array REF, BYTE, ...         a host script array under reference REF
//   memblock N, SIZE             a memblock the script makes under its own number
//   show M                       a memblock's size and first three dwords
//   memblocks                    every memblock in the host
//   save M, "FILE.png"           an image memblock as a PNG in the output folder
//   [V =] call "EXPORT", ARG, ...  an export that has no row, called directly
//                                with exactly the arguments given
#pragma once

#include <cstdint>
#include <istream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "refhost/companion/companion_client.h"
#include "refhost/runner/plugin_module.h"
#include "refhost/runner/script_line.h"

namespace refhost {

enum RunResult : int { kRunPassed = 0, kRunExpectFailed = 1, kRunScriptError = 2 };

class ScriptRunner {
 public:
  ScriptRunner(const PluginModule& plugin, const CompanionClient& host, std::string outputFolder,
               std::ostream& out);

  // Runs every line; stops at the first line that cannot be run.
  RunResult Run(std::istream& script);

 private:
  // False (with `error_` set) when the statement cannot be run.
  bool Execute(const Statement& statement, const std::string& source);
  bool RunCommand(const Statement& statement, const std::string& source);
  bool RunDirective(const Statement& statement, const std::string& source);
  bool CallDirect(const Statement& statement, const std::string& source);
  // Calls an export with the host's calls logged, keeps the result in the
  // statement's variable and prints the step.
  void CallAndReport(const void* address, const std::vector<std::int32_t>& args,
                     const Statement& statement, const std::string& source, bool showResult);
  bool Values(const std::vector<Operand>& args, std::size_t first, std::vector<std::int32_t>* out);
  bool Expect(std::size_t count, const Statement& statement, std::size_t optional = 0);
  bool Save(const Statement& statement);
  std::string DescribeMemblock(std::int32_t n) const;

  const PluginModule& plugin_;
  const CompanionClient& host_;
  std::string outputFolder_;
  std::ostream& out_;
  std::vector<std::string> commandNames_;
  std::map<std::string, std::int32_t> variables_;
  std::string error_;
  int lineNumber_ = 0;
  int failures_ = 0;
};

// The words that start a directive line.
const std::vector<std::string>& DirectiveWords();

// The test pattern of the bitmap and image directives: red grows to the right,
// green downwards, blue fixed; opaque.
std::vector<std::int32_t> TestPattern(std::int32_t width, std::int32_t height);

}  // namespace refhost
