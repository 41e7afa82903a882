// Runs a command script (see script_line.h for a line's form) against the
// plug-in's commands and the stand-in host, printing a line per step: the
// line, the command's result when its row has one, and how many host calls
// it made. The directives are in directives.h.
#pragma once

#include <cstdint>
#include <istream>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "refhost/companion/companion_client.h"
#include "refhost/runner/command_set.h"
#include "refhost/runner/directives.h"
#include "refhost/runner/file_access.h"
#include "refhost/runner/golden_guard.h"
#include "refhost/runner/host_call_budget.h"
#include "refhost/runner/png_file.h"
#include "refhost/runner/script_line.h"

namespace refhost {

enum RunResult : int {
  kRunPassed = 0,
  kRunExpectFailed = 1,
  kRunScriptError = 2,  // a line could not be run, or the script is not text
  kRunSetUpFailed = 3,  // the output folder cannot be made
};

// A command that makes more host calls than this is stopped, by default; and
// so is a run that makes more than this in all.
constexpr std::uint64_t kDefaultMaxHostCalls = 100000000;
constexpr std::uint64_t kDefaultMaxRunHostCalls = 1000000000;

struct RunnerOptions {
  std::string script;              // the script's own file, never written over ("": none)
  std::string scriptFolder = ".";  // where PNG files and golden files are read from
  std::string outputFolder = ".";  // where "save" writes, made when missing
  bool trace = false;              // print every host call under its command
  // An expect_image whose golden file is missing or differs writes the image
  // as the golden file and passes.
  bool updateGolden = false;
  std::uint64_t maxHostCalls = kDefaultMaxHostCalls;
  std::uint64_t maxRunHostCalls = kDefaultMaxRunHostCalls;
  // Ends the process with `status` once a command has made more host calls
  // than maxHostCalls, or the run more than maxRunHostCalls, and the message
  // is out. It must not return: the command
  // is cut off in the middle and nothing may call into it again.
  void (*stop)(int status) = nullptr;  // null: std::_Exit
};

// A directive line about to run.
struct DirectiveStep {
  const Statement& statement;
  std::vector<std::int32_t> v;  // the values of its number and variable arguments, in order
  std::string source;           // the line as it is echoed
};

class ScriptRunner {
 public:
  // `host` may be null: the companion library is missing, the commands still
  // run, and the directives that need the host's store are refused.
  ScriptRunner(const CommandSet& plugin, const CompanionClient* host, RunnerOptions options,
               std::ostream& out);

  // Reads the whole script (UTF-8 or UTF-16, see script_text.h), makes the
  // output folder when it is missing, then runs every line; stops at the
  // first line that cannot be run.
  RunResult Run(std::istream& script);

  // The files "save" wrote, in order, as paths below the output folder.
  const std::vector<std::string>& SavedFiles() const { return saved_; }

 private:
  friend const std::vector<Directive>& Directives();

  // False (with `error_` set) when the statement cannot be run.
  bool Execute(const Statement& statement, const std::string& source);
  bool RunCommand(const Statement& statement, const std::string& source);
  bool RunDirective(const Statement& statement, const std::string& source);
  // The directives' steps (directives.cpp names them).
  bool Print(const DirectiveStep& step);
  bool Expect(const DirectiveStep& step);
  bool Call(const DirectiveStep& step);
  bool MakePicture(const DirectiveStep& step);
  bool Mesh(const DirectiveStep& step);
  bool Sound(const DirectiveStep& step);
  bool Array(const DirectiveStep& step);
  bool Memblock(const DirectiveStep& step);
  bool Dword(const DirectiveStep& step);
  bool Show(const DirectiveStep& step);
  bool ListMemblocks(const DirectiveStep& step);
  bool Save(const DirectiveStep& step);
  bool ExpectImage(const DirectiveStep& step);

  // Calls an export, counting (and, with trace, printing) its host calls,
  // keeps the result in the statement's variable and prints the step.
  void CallAndReport(const void* address, const std::string& exportName,
                     const std::vector<std::int32_t>& args, const Statement& statement,
                     const std::string& source, bool showResult);
  static void REFHOST_CDECL Observe(const HostCall* call, void* context);
  bool Values(const std::vector<Operand>& args, std::vector<std::int32_t>* out);
  // Whether an argument holds a colour or pixel, shown in hexadecimal.
  bool IsPixel(const Operand& arg) const;
  void Keep(const std::string& variable, std::int32_t value, bool pixel);
  std::string DescribeMemblock(std::int32_t n) const;
  void Echo(const std::string& source, const std::string& what);
  // False, with the reason in `error_`, when the host refused to keep what a
  // directive gave it.
  bool Kept(std::int32_t kept);
  // The image memblock `n`; false with the reason in `error_`.
  bool ImageMemblock(std::int32_t n, const char* purpose, RgbImage* image);
  // Writes `image` below the output folder, never over the script, a file it
  // reads or a golden file; false with the reason in `error_`. `full` gets
  // its full path.
  bool WriteOutput(const RgbImage& image, const std::string& name, std::string* full);
  // Writes the golden file of expect_image `name` anew (--update-golden).
  bool WriteGolden(const RgbImage& image, const std::string& name, const std::string& source,
                   const std::string& why);
  // Finds the folders, making the output folder when it is missing, and
  // notes the files the script names that nothing may write over; false
  // with the reason in `error_`.
  bool SetUpFiles(std::string_view text);

  const CommandSet& plugin_;
  const CompanionClient* host_;
  RunnerOptions options_;
  std::ostream& out_;
  std::vector<std::string> commandNames_;
  std::map<std::string, std::int32_t> variables_;
  std::set<std::string> pixelVariables_;  // those that hold a colour or pixel
  std::vector<std::string> saved_;
  Folder scriptFolder_;
  Folder outputFolder_;
  GoldenGuard guard_;
  std::vector<std::string> goldensWritten_;
  std::string error_;
  int lineNumber_ = 0;
  int failures_ = 0;
  HostCallBudget budget_;
};

}  // namespace refhost
