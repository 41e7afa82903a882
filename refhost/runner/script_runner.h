// Runs a command script (see script_line.h for a line's form) against the
// plug-in's commands and the stand-in host, printing a line per step: the
// line, the command's result when its row has one, and how many host calls
// it made. The directives are in directives.h.
#pragma once

#include <cstdint>
#include <istream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "refhost/companion/companion_client.h"
#include "refhost/runner/command_set.h"
#include "refhost/runner/script_line.h"

namespace refhost {

enum RunResult : int { kRunPassed = 0, kRunExpectFailed = 1, kRunScriptError = 2 };

// A command that makes more host calls than this is stopped, by default.
constexpr std::uint64_t kDefaultMaxHostCalls = 100000000;

struct RunnerOptions {
  std::string scriptFolder = ".";  // where PNG files are read from
  std::string outputFolder = ".";  // where "save" writes
  bool trace = false;              // print every host call under its command
  std::uint64_t maxHostCalls = kDefaultMaxHostCalls;
  // Ends the process with `status` once a command has made more host calls
  // than maxHostCalls and the message is out. It must not return: the command
  // is cut off in the middle and nothing may call into it again.
  void (*stop)(int status) = nullptr;  // null: std::_Exit
};

class ScriptRunner {
 public:
  // `host` may be null: the companion library is missing, the commands still
  // run, and the directives that need the host's store are refused.
  ScriptRunner(const CommandSet& plugin, const CompanionClient* host, RunnerOptions options,
               std::ostream& out);

  // Runs every line; stops at the first line that cannot be run.
  RunResult Run(std::istream& script);

  // The files "save" wrote, in order, as paths below the output folder.
  const std::vector<std::string>& SavedFiles() const { return saved_; }

 private:
  // False (with `error_` set) when the statement cannot be run.
  bool Execute(const Statement& statement, const std::string& source);
  bool RunCommand(const Statement& statement, const std::string& source);
  bool RunDirective(const Statement& statement, const std::string& source);
  bool MakePicture(const Statement& statement, const std::vector<std::int32_t>& v,
                   const std::string& source);
  bool Dword(const Statement& statement, const std::vector<std::int32_t>& v,
             const std::string& source);
  bool Save(const Statement& statement, const std::vector<std::int32_t>& v,
            const std::string& source);
  bool ExpectImage(const Statement& statement, const std::vector<std::int32_t>& v,
                   const std::string& source);
  // Calls an export, counting (and, with trace, printing) its host calls,
  // keeps the result in the statement's variable and prints the step.
  void CallAndReport(const void* address, const std::vector<std::int32_t>& args,
                     const Statement& statement, const std::string& source, bool showResult);
  static void REFHOST_CDECL Observe(const HostCall* call, void* context);
  bool Values(const std::vector<Operand>& args, std::vector<std::int32_t>* out);
  std::string DescribeMemblock(std::int32_t n) const;
  void Echo(const std::string& source, const std::string& what);
  // False, with the reason in `error_`, when the host refused to keep what a
  // directive gave it.
  bool Kept(std::int32_t kept);

  const CommandSet& plugin_;
  const CompanionClient* host_;
  RunnerOptions options_;
  std::ostream& out_;
  std::vector<std::string> commandNames_;
  std::map<std::string, std::int32_t> variables_;
  std::vector<std::string> saved_;
  std::string error_;
  int lineNumber_ = 0;
  int failures_ = 0;
  std::uint64_t hostCalls_ = 0;  // of the command running now
};

}  // namespace refhost
