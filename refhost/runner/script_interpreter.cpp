// The runner's interpreter: the steps of a compiled script (script_program.h)
// one after the other, its expressions on a stack of values. Nothing on the
// way of a line that runs reads text, looks a name up or allocates: the
// arguments of a command go through a fixed array straight to its export,
// and a line inside a loop only adds to its tally, printed when the
// outermost loop ends.
#include <algorithm>
#include <csetjmp>
#include <cstdlib>

#include "refhost/runner/export_call.h"
#include "refhost/runner/file_names.h"
#include "refhost/runner/runner_text.h"
#include "refhost/runner/script_runner.h"

namespace refhost {
namespace {

// Sets the runner as the store's observer while a script runs.
class Observing {
 public:
  Observing(const CompanionClient* host, CallObserver observer, void* context) : host_(host) {
    if (host_ != nullptr) host_->SetCallObserver(observer, context);
  }
  ~Observing() {
    if (host_ != nullptr) host_->SetCallObserver(nullptr, nullptr);
  }

 private:
  const CompanionClient* host_;
};

// Takes a command's arguments that are numbers or variables with a value
// into `numbers`, up to the first that is neither; gives how many it took.
inline std::size_t GatherPlain(const Arg* args, std::size_t argc, const Variables::Cell* cells,
                               std::int32_t* numbers) {
  for (std::size_t i = 0; i < argc; ++i) {
    const Arg arg = args[i];
    if (arg.kind == Arg::Kind::kVar) {
      const Variables::Cell& cell = cells[arg.value];
      if (!cell.set) return i;
      numbers[i] = cell.number;
    } else if (arg.kind == Arg::Kind::kConst) {
      numbers[i] = arg.value;
    } else {
      return i;
    }
  }
  return argc;
}

}  // namespace

RunResult ScriptRunner::Execute() {
  const Program& p = program_;
  tallies_.assign(p.tallies, Tally{});
  loops_.assign(p.loops, Loop{});
  stack_.assign(p.stackDepth + 1, Value{});
  noteSums_.assign(p.tallies, {});
  pendingNotes_.clear();
  cells_ = variables_.cells.data();
  linesLeft_ = options_.maxLines;
  // Only a script that calls the plug-in observes the store, so that one
  // that does not leaves an observer set by its caller as it was.
  const bool calls = std::any_of(p.lines.begin(), p.lines.end(),
                                 [](const LineRecord& line) { return line.callsCommands; });
  const Observing observing(
      calls ? host_ : nullptr,
      options_.trace ? &ScriptRunner::ObserveAndTrace : &ScriptRunner::Observe, this);
  // A command that passes its host-call budget is stopped from the store's
  // observer, in the middle of the plug-in's code; when the run is to go on
  // (RunnerOptions::stop null), the observer jumps back here. The frames it
  // leaves hold nothing that a destructor would have to undo at a host call:
  // the interpreter's (Interpret, RunStep, RunDirective, the call directive,
  // ValueOf, Evaluate, CallExport: plain values and references), the
  // plug-in's (its floating-point guards end before each host call), the
  // store's table functions (their memblocks are made and kept before they
  // tell the observer) and the observer's own. None registers a Windows
  // exception handler, so msvcrt's longjmp has nothing to unwind.
  if (setjmp(cutOffPoint_) != 0) return Stop();
  return Interpret();
}

// Kept out of Execute, so that the interpreter's loop is compiled as any
// other function, not as one that calls setjmp.
[[gnu::noinline]] RunResult ScriptRunner::Interpret() {
  const Program& p = program_;
  // The way of a command and of a loop's next is kept short; every other
  // step, and whatever a line says, goes out of it.
  const Step* const steps = p.steps.data();
  const std::size_t count = p.steps.size();
  Tally* const tallies = tallies_.data();
  Variables::Cell* const cells = cells_;
  const bool quietLoops = !options_.trace;
  const bool noting = noting_;
  for (std::size_t pc = 0; pc < count;) {
    const Step& step = steps[pc];
    switch (step.kind) {
      case StepKind::kJump:
        pc = step.b;
        continue;
      case StepKind::kLoopEnd:
        ReportLoop(step.a, step.b);
        ++pc;
        continue;
      case StepKind::kNext: {
        if (linesLeft_-- == 0) return StopForLines(step);
        Loop& loop = loops_[step.a];
        ++tallies[step.tally].runs;
        if (loop.remaining == 0) {
          ++pc;
          continue;
        }
        --loop.remaining;
        Variables::Cell& cell = cells[step.target];
        cell.number = FromBits(Bits(cell.number) + Bits(loop.step));
        ++tallies[loop.tally].passes;
        pc = step.b;
        continue;
      }
      case StepKind::kCommand: {
        if (linesLeft_-- == 0) return StopForLines(step);
        current_ = &step;
        budget_.StartCommand();
        if (!quietLoops) StartTrace(step);
        std::int32_t numbers[kMaxCommandArgs];
        const Arg* const args = p.args.data() + step.firstArg;
        const std::size_t plain = GatherPlain(args, step.argc, cells, numbers);
        if (plain < step.argc && !GatherRest(step, plain, numbers)) return Stop();
        const CallSite& site = p.calls[step.a];
        const Value value{
            noting && site.notes != nullptr
                ? CallNoted(*site.notes, site.quiet, site.command->address, numbers, step.argc)
                : CallExport(site.command->address, numbers, step.argc),
            site.meaning == Meaning::kPixel};
        if (step.target >= 0) cells[step.target] = Variables::Cell{value.number, value.pixel, true};
        Tally& tally = tallies[step.tally];
        ++tally.runs;
        tally.hostCalls += budget_.CommandCalls();
        tally.last = value;
        if (!step.inLoop || !quietLoops) ReportCommand(step, value);
        ++pc;
        continue;
      }
      default:
        if (linesLeft_-- == 0) return StopForLines(step);
        current_ = &step;
        budget_.StartCommand();
        if (!quietLoops) StartTrace(step);
        ++tallies[step.tally].runs;
        pendingNotes_.clear();  // of a line before that was not shown
        if (!RunStep(step, &pc)) return Stop();
        continue;
    }
  }
  current_ = nullptr;
  return kRunPassed;
}

bool ScriptRunner::GatherRest(const Step& step, std::size_t from, std::int32_t* numbers) {
  const Arg* const args = program_.args.data() + step.firstArg;
  for (std::size_t i = from; i < step.argc; ++i) {
    Value value;
    if (!ValueOf(args[i], &value)) return false;
    numbers[i] = value.number;
  }
  return true;
}

bool ScriptRunner::RunStep(const Step& step, std::size_t* pc) {
  const Program& p = program_;
  Tally& tally = tallies_[step.tally];
  const Arg* args = p.args.data() + step.firstArg;
  const bool show = !step.inLoop || options_.trace;
  Value value;
  switch (step.kind) {
    case StepKind::kAssign:
      if (!ValueOf(args[0], &value)) return false;
      Keep(step.target, value);
      tally.hostCalls += budget_.CommandCalls();
      tally.last = value;
      if (show && p.lines[step.line].callsCommands) {
        ReportRun(step,
                  ResultText(value, step.a != 0 ? p.calls[step.a - 1].meaning : Meaning::kNumber));
      }
      ++*pc;
      return true;
    case StepKind::kFor:
      return StartFor(step, pc);
    case StepKind::kWhile:
    case StepKind::kIf:
      if (!ValueOf(args[0], &value)) return false;
      tally.hostCalls += budget_.CommandCalls();
      tally.passes += value.number != 0;
      if (!step.inLoop && step.kind == StepKind::kIf) {
        ReportRun(step, value.number != 0 ? "taken" : "not taken");
      }
      *pc = value.number != 0 ? *pc + 1 : step.b;
      return true;
    case StepKind::kExit:
      *pc = step.b;
      return true;
    default:
      ++*pc;
      return RunDirective(step);
  }
}

bool ScriptRunner::StartFor(const Step& step, std::size_t* pc) {
  const Arg* args = program_.args.data() + step.firstArg;
  Value from, to, by;
  if (!ValueOf(args[0], &from) || !ValueOf(args[1], &to) || !ValueOf(args[2], &by)) return false;
  if (by.number == 0) return Fail("the for's step is 0: it would never end");
  // The passes worked out before the first, in 64 bits: a loop up to
  // 2147483647 ends rather than wrapping round.
  const std::int64_t span =
      by.number > 0 ? std::int64_t{to.number} - from.number : std::int64_t{from.number} - to.number;
  const std::int64_t magnitude = by.number > 0 ? by.number : -std::int64_t{by.number};
  Tally& tally = tallies_[step.tally];
  tally.hostCalls += budget_.CommandCalls();
  if (span < 0) {
    *pc = step.b;
    return true;
  }
  loops_[step.a] = Loop{static_cast<std::uint64_t>(span / magnitude), by.number, step.tally};
  Keep(step.target, from);
  ++tally.passes;
  ++*pc;
  return true;
}

bool ScriptRunner::RunDirective(const Step& step) {
  const Directive& d = Directives()[step.a];
  if (d.needsStore && host_ == nullptr) {
    return Fail(std::string(d.word) + " needs the host's store, and RuzazUrovuv.dll is missing");
  }
  values_.clear();
  pixels_.clear();
  texts_.clear();
  const Arg* args = program_.args.data() + step.firstArg;
  for (std::size_t i = 0; i < step.argc; ++i) {
    Value value;
    if (args[i].kind == Arg::Kind::kText) {
      texts_.push_back(&program_.texts[args[i].value]);
      continue;
    }
    if (!ValueOf(args[i], &value)) return false;
    values_.push_back(value.number);
    pixels_.push_back(value.pixel);
    texts_.push_back(nullptr);
  }
  said_.clear();
  details_.clear();
  status_ = LineStatus::kRan;
  if (!(this->*d.run)(DirectiveStep{d.word, values_, pixels_, texts_, step.target})) return false;
  Tally& tally = tallies_[step.tally];
  tally.hostCalls += budget_.CommandCalls();
  tally.held += status_ == LineStatus::kOk;
  tally.failed += status_ == LineStatus::kFailed;
  if (said_.empty()) {
    // A line that prints what it was asked to: its notes follow what it printed.
    for (const LineNote& note : TakeNotes()) report_.Text("      note: " + note.text);
    return true;
  }
  if (!step.inLoop || options_.trace) {
    ReportRun(step, said_);
  } else if (status_ == LineStatus::kFailed || d.showsEachRun) {
    if (status_ == LineStatus::kFailed && tally.failuresShown++ >= kShownFailures) return true;
    ReportRun(step, said_);
  }
  return true;
}

}  // namespace refhost
