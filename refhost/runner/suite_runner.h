// A suite: many scripts in one process, each in a fresh host, one line of
// summary each and "N passed, M failed" last; each script's transcript in
// its own output folder, and on request one HTML page (html_report.h) and a
// JUnit XML file (junit_report.h) of them all.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "refhost/companion/companion_client.h"
#include "refhost/runner/command_set.h"
#include "refhost/runner/script_runner.h"
#include "refhost/runner/suite_scripts.h"

namespace refhost {

// The host a suite runs each script in, made fresh for each one.
class SuiteHost {
 public:
  virtual ~SuiteHost() = default;
  // The store emptied, the plug-in loaded afresh (its command table read,
  // its message boxes caught into `transcript`) and its load hook called,
  // each told in `transcript` as a run of one script tells it; false with
  // the reason when the script cannot have a fresh host.
  virtual bool Start(std::ostream& transcript, std::string* error) = 0;
  virtual const CommandSet& Plugin() const = 0;
  // The companion's exports; null when the host has no companion.
  virtual const CompanionClient* Host() const = 0;
  // The unload hook called, unless the run was cut off in a command (then
  // nothing may call into the plug-in again), and the plug-in released;
  // false, told in `transcript`, when it stayed in the process.
  virtual bool Finish(bool cutOff, std::ostream& transcript) = 0;
  // After the last script: the host's own libraries released; false, told
  // in `out`, when one stayed loaded (a reference the plug-in kept).
  virtual bool Close(std::ostream& out) = 0;
};

struct SuiteOptions {
  RunnerOptions runner;  // its outputFolder the suite's; stop must be null
  std::string report;    // the folder of index.html, "" for none
  std::string junit;     // the JUnit XML file, "" for none
};

// What a script's run came to.
struct ScriptResult {
  SuiteScript script;
  int status = 0;  // as RunResult: 0 passed, 1 an expectation failed, 2 or 3 it could not be run
  bool cutOff = false;   // a command was stopped midway, the plug-in released
  bool stopped = false;  // a line stopped the run (a budget, a line that could not be run)
  std::uint64_t held = 0;
  std::uint64_t failed = 0;
  double seconds = 0;
  std::string why;  // its first failure, or why it could not be run
  std::string transcript;
  std::string html;  // its section of the HTML page, when one is written
};

// What the summary says of a script after its name: "3 expectations held
// (0.012 s)", "1 of 3 expectations failed (0.020 s): line 7: ...".
std::string OutcomeText(const ScriptResult& result);
// Its line of the summary: "ok" or "FAILED", its name padded to
// `nameWidth`, and the outcome.
std::string SummaryLine(const ScriptResult& result, std::size_t nameWidth);

// Runs the scripts, prints the summary on `console` and writes the report
// and the JUnit file asked for; the exit status: 0 every script passed, 1
// an expectation failed (or a host library stayed loaded), 2 a script could
// not be run (or an operand named none, or the report or JUnit file could
// not be written).
int RunSuite(const std::vector<SuiteScript>& scripts, SuiteHost& host, const SuiteOptions& options,
             std::ostream& console);

}  // namespace refhost
