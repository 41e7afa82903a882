#include "refhost/runner/suite_runner.h"

#include <chrono>
#include <cstdio>
#include <new>

#include "refhost/runner/disk_file.h"
#include "refhost/runner/file_access.h"
#include "refhost/runner/file_names.h"
#include "refhost/runner/html_report.h"
#include "refhost/runner/junit_report.h"
#include "refhost/runner/runner_text.h"
#include "refhost/runner/suite_record.h"

namespace refhost {
namespace {

constexpr std::size_t kWidestName = 40;

// `name` ("commands/box") below `folder`, with the system's separators.
std::string Below(const std::string& folder, const std::string& name) {
  std::string path = folder;
  if (path.empty() || (path.back() != '/' && path.back() != '\\')) path += kPathSeparator;
  for (char c : name) path += c == '/' ? kPathSeparator : c;
  return path;
}

std::string FolderOf(const std::string& path) {
  return path.substr(0, path.find_last_of("\\/") + 1);
}

std::string Expectations(std::uint64_t n) {
  return Plural(n, "expectation");
}

// What the summary says of a script's expectations and outcome.
std::string Outcome(const ScriptResult& r) {
  if (r.status >= kRunScriptError) {
    if (!r.stopped) return "could not be run";
    if (r.held + r.failed == 0) return "stopped";
    return "stopped after " + Expectations(r.held + r.failed) +
           (r.failed > 0 ? " (" + std::to_string(r.failed) + " failed)" : "");
  }
  if (r.failed > 0) {
    return std::to_string(r.failed) + " of " + Expectations(r.held + r.failed) + " failed";
  }
  if (r.status != kRunPassed) return Expectations(r.held) + " held";
  return r.held == 0 ? "no expectations" : Expectations(r.held) + " held";
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", seconds);
  return text;
}

ScriptResult RunOne(const SuiteScript& script, SuiteHost& host, const SuiteOptions& options,
                    std::size_t* pictureBytes) {
  ScriptResult result;
  result.script = script;
  const auto started = std::chrono::steady_clock::now();
  ScriptRecord record;
  std::ostream& transcript = record.Transcript();
  RunnerOptions runner = options.runner;
  runner.stop = nullptr;  // a command stopped midway comes back, and the suite goes on
  runner.keepPictures = !options.report.empty();
  runner.outputFolder = Below(options.runner.outputFolder, script.output);
  std::string bytes, error;
  if (!script.problem.empty()) {
    result.status = kRunScriptError;
    result.why = script.problem;
    transcript << "mbc_runner: " << Escaped(script.name) << ": " << script.problem << "\n";
  } else if (!SystemFullPath(script.path, &runner.script, &error)) {
    result.status = kRunSetUpFailed;
    result.why = "the script cannot be read: " + error;
  } else if (ReadFileBytes(runner.script, kLargestScriptBytes, &bytes, &error) !=
             ReadResult::kRead) {
    result.status = kRunScriptError;
    result.why = "the script " + error;
  } else if (!host.Start(transcript, &error)) {
    result.status = kRunScriptError;
    result.why = error;
  } else {
    runner.scriptFolder = FolderOf(runner.script);
    ScriptRunner run(host.Plugin(), host.Host(), runner, transcript, record);
    try {
      result.status = run.Run(std::move(bytes));
    } catch (const std::bad_alloc&) {  // every size is bounded; this is the last guard
      transcript << "mbc_runner: out of memory\n";
      result.status = kRunScriptError;
    }
    result.cutOff = run.CutOff();
    const bool released = host.Finish(result.cutOff, transcript);
    if (!released && result.status == kRunPassed) {
      result.status = kRunExpectFailed;
      result.why = "the plug-in stayed loaded after the script";
    }
    const std::string text = record.TranscriptText();
    if (!run.WriteBesideOutput("output.txt", std::vector<std::uint8_t>(text.begin(), text.end()),
                               &error)) {
      transcript << "the transcript could not be kept: " << Escaped(error) << "\n";
    }
  }
  if (!result.why.empty() && script.problem.empty() && result.status != kRunExpectFailed) {
    transcript << "mbc_runner: " << Escaped(result.why) << "\n";
  }
  result.stopped = record.StoppedMidway();
  result.held = record.Held();
  result.failed = record.Failed();
  if (result.why.empty()) {
    result.why = result.status == kRunExpectFailed ? record.FirstFailure() : record.StopReason();
  }
  if (result.status == kRunPassed) result.why.clear();
  result.transcript = record.TranscriptText();
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (!options.report.empty()) result.html = HtmlSection(result, record.Entries(), pictureBytes);
  return result;
}

// Writes `text` as the file `name` in the folder `folder`, made when
// missing; false with the reason.
bool WriteFile(const std::string& folder, const std::string& name, const std::string& text,
               const WriteCheck& check, std::string* full, std::string* error) {
  Folder opened;
  bool made = false;
  if (!OpenFolder(folder, true, &opened, &made, error)) return false;
  *full = PathBelow(opened, name);
  return WriteBelow(opened, name, std::vector<std::uint8_t>(text.begin(), text.end()), check,
                    error);
}

}  // namespace

std::string OutcomeText(const ScriptResult& result) {
  const std::string text = Outcome(result) + " (" + Seconds(result.seconds) + ")";
  return result.why.empty() ? text : text + ": " + Escaped(result.why);
}

std::string SummaryLine(const ScriptResult& result, std::size_t nameWidth) {
  return Padded(result.status == kRunPassed ? "ok" : "FAILED", 8) +
         Padded(Escaped(result.script.name), nameWidth) + "  " + OutcomeText(result);
}

int RunSuite(const std::vector<SuiteScript>& scripts, SuiteHost& host, const SuiteOptions& options,
             std::ostream& console) {
  std::size_t width = 0;
  for (const SuiteScript& script : scripts) width = std::max(width, script.name.size());
  width = std::min(width, kWidestName);
  std::vector<ScriptResult> results;
  int status = kRunPassed;
  std::size_t passed = 0;
  std::size_t pictureBytes = kLargestPagePictures;
  for (const SuiteScript& script : scripts) {
    results.push_back(RunOne(script, host, options, &pictureBytes));
    const ScriptResult& result = results.back();
    console << SummaryLine(result, width) << std::endl;
    passed += result.status == kRunPassed;
    status = std::max(status, std::min<int>(result.status, kRunScriptError));
  }
  if (!host.Close(console) && status == kRunPassed) status = kRunExpectFailed;
  std::string full, error;
  if (!options.report.empty()) {
    if (WriteFile(options.report, "index.html", HtmlPage(results), nullptr, &full, &error)) {
      console << "report: " << Escaped(full) << "\n";
    } else {
      console << "mbc_runner: the report cannot be written: " << Escaped(error) << "\n";
      status = kRunScriptError;
    }
  }
  if (!options.junit.empty()) {
    const std::size_t slash = options.junit.find_last_of("\\/");
    const std::string folder =
        slash == std::string::npos ? "." : options.junit.substr(0, slash + 1);
    const std::string name = options.junit.substr(slash + 1);
    // Only an XML file is written: never a script or a golden file.
    const auto xml = [](const DiskFile& file) -> std::string {
      const std::string& opened = file.FinalPath();
      return opened.size() > 4 && Lowered(opened.substr(opened.size() - 4)) == ".xml"
                 ? ""
                 : "is " + opened + ", not a .xml file";
    };
    if (name.size() > 4 && Lowered(name.substr(name.size() - 4)) == ".xml" &&
        WriteFile(folder, name, JUnitXml(results), xml, &full, &error)) {
      console << "JUnit XML: " << Escaped(full) << "\n";
    } else {
      console << "mbc_runner: the JUnit file cannot be written: "
              << Escaped(error.empty() ? options.junit + " does not end in .xml" : error) << "\n";
      status = kRunScriptError;
    }
  }
  console << passed << " passed, " << results.size() - passed << " failed" << std::endl;
  return status;
}

}  // namespace refhost
