// What the interpreter tells as a script runs: each line's record for the
// run report, where a line stands (with its loops' variables), the loop
// summed up when it ends, and the stops (a mistake while running, a budget
// spent).
#include <algorithm>
#include <csetjmp>
#include <cstdlib>

#include "refhost/runner/file_names.h"
#include "refhost/runner/runner_text.h"
#include "refhost/runner/script_runner.h"

namespace refhost {

void ScriptRunner::ReportCommand(const Step& step, Value value) {
  const CallSite& site = program_.calls[step.a];
  ReportRun(step, site.command->row.returnsValue ? ResultText(value, site.meaning) : std::string());
}

RunResult ScriptRunner::StopForLines(const Step& step) {
  current_ = &step;
  Fail("the script has run " + Plural(options_.maxLines, "line") +
       ", the most it may; stopped (--max-lines sets the limit)");
  return Stop();
}

void ScriptRunner::StartTrace(const Step& step) {
  const bool reported = step.kind == StepKind::kCommand || step.kind == StepKind::kAssign ||
                        step.kind == StepKind::kDirective ||
                        (step.kind == StepKind::kIf && !step.inLoop);
  if (!reported || !program_.lines[step.line].callsCommands) return;
  LineReport starting = Report(step.line);
  if (step.inLoop) starting.where = Where(step.line, 0);
  report_.Starting(starting);
}

bool ScriptRunner::Fail(std::string why, std::size_t column) {
  error_ = std::move(why);
  errorColumn_ = column;
  return false;
}

bool ScriptRunner::Unset(std::int32_t slot) {
  const std::uint32_t set = program_.firstSet[slot];
  return Fail(variables_.Name(slot) + " has no value yet" +
              (set != 0 ? " (line " + std::to_string(set) + " is the first to set it)" : ""));
}

std::string ScriptRunner::Where(std::uint32_t record, std::size_t column) const {
  std::string where = "line " + std::to_string(program_.lines[record].number);
  if (column != 0) where += ", column " + std::to_string(column);
  const std::string values = LoopValues(record);
  return values.empty() ? where : where + " (" + values + ")";
}

LineReport ScriptRunner::Report(std::uint32_t record) const {
  const LineRecord& line = program_.lines[record];
  const Tally& tally = tallies_[line.tally];
  LineReport report;
  report.number = line.number;
  // A tab is a blank like any other, and shows as one.
  std::string source(program_.SourceOf(line));
  std::replace(source.begin(), source.end(), '\t', ' ');
  report.source = Escaped(source);
  report.depth = line.depth;
  report.kind = line.kind;
  report.showsHostCalls = line.callsCommands && host_ != nullptr;
  if (line.tally == 0) {  // shown as it runs, once: its record is the one run
    report.runs = 1;
    return report;
  }
  report.hostCalls = tally.hostCalls;
  report.runs = tally.runs;
  report.passes = tally.passes;
  report.held = tally.held;
  report.failed = tally.failed;
  report.failuresNotShown =
      tally.failuresShown > kShownFailures ? tally.failuresShown - kShownFailures : 0;
  if (line.givesValue && tally.runs > 0)
    report.last = "=> " + Shown(tally.last.number, tally.last.pixel);
  if (line.tally < noteSums_.size()) {
    for (const NoteSum& sum : noteSums_[line.tally]) {
      report.notes.push_back(LineNote{NoteText(sum.first), sum.times, sum.where});
    }
  }
  return report;
}

void ScriptRunner::ReportRun(const Step& step, std::string said) {
  LineReport report = Report(step.line);
  report.hostCalls = budget_.CommandCalls();
  report.said = std::move(said);
  report.status = status_;
  report.details = details_;
  report.notes = TakeNotes();
  report.image = std::move(image_);
  status_ = LineStatus::kRan;
  details_.clear();
  image_.reset();
  if (step.inLoop) report.where = Where(step.line, 0);
  report_.Ran(report);
}

void ScriptRunner::ReportLoop(std::uint32_t first, std::uint32_t last) {
  std::vector<LineReport> lines;
  for (std::uint32_t record = first; record <= last; ++record) lines.push_back(Report(record));
  report_.LoopEnded(lines);
}

void ScriptRunner::ReportLoopAround(std::uint32_t record) {
  // A while's line runs in each pass of its loop; a for's before its first.
  const LineRecord& line = program_.lines[record];
  std::int32_t outermost =
      line.kind == LineKind::kWhile ? static_cast<std::int32_t>(record) : line.loop;
  while (outermost >= 0 && program_.lines[outermost].loop >= 0) {
    outermost = program_.lines[outermost].loop;
  }
  if (outermost < 0) return;
  const std::int32_t end = program_.lines[outermost].loopEnd;
  ReportLoop(static_cast<std::uint32_t>(outermost), static_cast<std::uint32_t>(end));
}

RunResult ScriptRunner::Stop() {
  pendingNotes_.clear();  // of a line that did not end
  ReportLoopAround(current_->line);
  report_.Stopped(Where(current_->line, errorColumn_), error_);
  current_ = nullptr;
  return kRunScriptError;
}

void REFHOST_CDECL ScriptRunner::Observe(const HostCall*, void* context) {
  auto* self = static_cast<ScriptRunner*>(context);
  if (!self->budget_.Spend()) self->StopForHostCalls();
}

void REFHOST_CDECL ScriptRunner::ObserveAndTrace(const HostCall* call, void* context) {
  auto* self = static_cast<ScriptRunner*>(context);
  self->report_.Called(*call);
  if (!self->budget_.Spend()) self->StopForHostCalls();
}

void ScriptRunner::StopForHostCalls() {
  Fail(budget_.Passed());
  if (options_.stop == nullptr) {
    cutOff_ = true;
    std::longjmp(cutOffPoint_, 1);  // to Execute, which tells why
  }
  Stop();
  out_.flush();
  options_.stop(kRunScriptError);
  std::_Exit(kRunScriptError);
}

}  // namespace refhost
