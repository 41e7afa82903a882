#include "refhost/runner/script_runner.h"

#include <iterator>

#include "refhost/runner/export_call.h"
#include "refhost/runner/file_access.h"
#include "refhost/runner/file_names.h"
#include "refhost/runner/runner_text.h"
#include "refhost/runner/script_compiler.h"
#include "refhost/runner/script_text.h"

namespace refhost {

ScriptRunner::ScriptRunner(const CommandSet& plugin, const CompanionClient* host,
                           RunnerOptions options, std::ostream& out)
    : ScriptRunner(plugin, host, std::move(options), out, text_) {}

ScriptRunner::ScriptRunner(const CommandSet& plugin, const CompanionClient* host,
                           RunnerOptions options, std::ostream& out, RunReport& report)
    : plugin_(plugin),
      host_(host),
      options_(std::move(options)),
      out_(out),
      text_(out),
      report_(report),
      budget_(options_.maxHostCalls, options_.maxRunHostCalls),
      notes_(host),
      noting_(options_.notes && host != nullptr) {}

RunResult ScriptRunner::Run(std::istream& script) {
  return Run(std::string{std::istreambuf_iterator<char>(script), std::istreambuf_iterator<char>()});
}

RunResult ScriptRunner::Run(std::string bytes) {
  std::string text;
  if (!DecodeScript(bytes, &text, &error_)) {
    report_.Text(error_);
    return kRunScriptError;
  }
  bytes = std::string();  // only the text is kept from here on
  Mistakes mistakes;
  if (!CompileScript(std::move(text), plugin_, &variables_, &program_, &mistakes)) {
    report_.Refused(mistakes.Shown(), mistakes.Count());
    return kRunScriptError;
  }
  if (program_.lines.empty()) {  // nothing to run is not a mistake, but worth a word
    report_.Text("the script holds no statement, only blank lines or comments: nothing to run");
    return kRunPassed;
  }
  if (!SetUpFiles()) {
    report_.Text(Escaped(error_));
    return kRunSetUpFailed;
  }
  failures_ = 0;
  const RunResult result = Execute();
  if (result != kRunPassed) return result;
  report_.Ended(goldensWritten_, failures_);
  goldensWritten_.clear();
  return failures_ != 0 ? kRunExpectFailed : kRunPassed;
}

bool ScriptRunner::SetUpFiles() {
  bool made = false;
  if (!OpenFolder(options_.scriptFolder, false, &scriptFolder_, &made, &error_)) {
    error_ = "no script folder: " + error_;
    return false;
  }
  if (!OpenFolder(options_.outputFolder, true, &outputFolder_, &made, &error_)) {
    error_ = "no output folder: " + error_;
    return false;
  }
  if (made) report_.Text("output folder " + Escaped(outputFolder_.full) + " made");
  if (!options_.script.empty()) guard_.Protect(options_.script, GoldenGuard::Role::kScript);
  // Every file a line reads or compares with, wherever the line stands: a
  // save may come before the line that names its file.
  for (const Program::NamedFile& file : program_.files) {
    const std::string word = Directives()[file.directive].word;
    if (word == "save") continue;
    guard_.Protect(scriptFolder_, file.name,
                   word == "expect_image" ? GoldenGuard::Role::kGolden : GoldenGuard::Role::kInput,
                   static_cast<int>(file.line), word);
  }
  return true;
}

bool ScriptRunner::WriteBesideOutput(const std::string& name,
                                     const std::vector<std::uint8_t>& bytes, std::string* error) {
  bool made = false;
  // A run refused before line 1 has not opened its output folder yet.
  if (outputFolder_.full.empty() &&
      !OpenFolder(options_.outputFolder, true, &outputFolder_, &made, error)) {
    return false;
  }
  const GoldenGuard& guard = guard_;
  return WriteBelow(
      outputFolder_, name, bytes,
      [&guard](const DiskFile& file) { return guard.Refusal(file, false); }, error);
}

void ScriptRunner::Keep(std::int32_t slot, Value value) {
  if (slot >= 0) cells_[slot] = Variables::Cell{value.number, value.pixel, true};
}

std::string ScriptRunner::ResultText(Value result, Meaning) const {
  return "=> " + Shown(result.number, result.pixel);
}

bool ScriptRunner::Print(const DirectiveStep& step) {
  std::string text;
  std::size_t value = 0;
  for (const std::string* arg : step.texts) {
    if (!text.empty()) text += ' ';
    text += arg != nullptr ? Escaped(*arg) : Shown(step.v[value], step.pixel[value]);
    value += arg == nullptr;
  }
  report_.Text(text);
  return true;
}

bool ScriptRunner::Expect(const DirectiveStep& step) {
  const std::vector<std::int32_t>& v = step.v;
  if (v[0] == v[1]) {
    Say("ok", LineStatus::kOk);
    return true;
  }
  // Both in hexadecimal when either is a colour or pixel.
  const bool pixel = step.pixel[0] || step.pixel[1];
  ++failures_;
  Say("FAILED: got " + Shown(v[0], pixel) + ", wanted " + Shown(v[1], pixel), LineStatus::kFailed);
  return true;
}

// The check made sure that the export is there and is not a hook.
bool ScriptRunner::Call(const DirectiveStep& step) {
  const std::string& name = *step.texts[0];
  const Meaning meaning = MeaningOf(name);
  const NoteRule* rule = noting_ ? NoteRuleOf(name) : nullptr;
  const void* address = plugin_.Export(name);
  const Value result{
      rule != nullptr ? CallNoted(*rule, QuietCheckOf(*rule), address, step.v.data(), step.v.size())
                      : CallExport(address, step.v),
      meaning == Meaning::kPixel};
  Keep(step.target, result);
  Say(ResultText(result, meaning));
  return true;
}

}  // namespace refhost
