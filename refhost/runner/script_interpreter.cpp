// The runner's interpreter: the steps of a compiled script (script_program.h)
// one after the other, its expressions on a stack of values. Nothing on the
// way of a line that runs reads text, looks a name up or allocates: the
// arguments of a command go through a fixed array straight to its export,
// and a line inside a loop only adds to its tally, printed when the
// outermost loop ends.
#include <algorithm>
#include <cstdlib>

#include "refhost/runner/export_call.h"
#include "refhost/runner/file_names.h"
#include "refhost/runner/runner_text.h"
#include "refhost/runner/script_runner.h"

namespace refhost {
namespace {

// Failures of one line inside a loop shown as they happen; the rest are counted.
constexpr std::uint64_t kShownFailures = 10;

// Two's-complement arithmetic that wraps, computed without undefined behaviour.
std::int32_t FromBits(std::uint32_t bits) {
  return static_cast<std::int32_t>(bits);
}
std::uint32_t Bits(std::int32_t value) {
  return static_cast<std::uint32_t>(value);
}

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
  tallies_.assign(p.lines.size(), Tally{});
  loops_.assign(p.loops, Loop{});
  stack_.assign(p.stackDepth + 1, Value{});
  cells_ = variables_.cells.data();
  linesLeft_ = options_.maxLines;
  // Only a script that calls the plug-in observes the store, so that one
  // that does not leaves an observer set by its caller as it was.
  const bool calls = std::any_of(p.lines.begin(), p.lines.end(),
                                 [](const LineRecord& line) { return line.callsCommands; });
  const Observing observing(
      calls ? host_ : nullptr,
      options_.trace ? &ScriptRunner::ObserveAndTrace : &ScriptRunner::Observe, this);
  // The way of a command and of a loop's next is kept short; every other
  // step, and whatever a line says, goes out of it.
  const Step* const steps = p.steps.data();
  const std::size_t count = p.steps.size();
  Tally* const tallies = tallies_.data();
  Variables::Cell* const cells = cells_;
  const bool quietLoops = !options_.trace;
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
        ++tallies[step.line].runs;
        if (loop.remaining == 0) {
          ++pc;
          continue;
        }
        --loop.remaining;
        Variables::Cell& cell = cells[step.target];
        cell.number = FromBits(Bits(cell.number) + Bits(loop.step));
        ++tallies[loop.line].passes;
        pc = step.b;
        continue;
      }
      case StepKind::kCommand: {
        if (linesLeft_-- == 0) return StopForLines(step);
        current_ = &step;
        hostCalls_ = 0;
        if (!quietLoops) StartTrace(step);
        std::int32_t numbers[kMaxCommandArgs];
        const Arg* const args = p.args.data() + step.firstArg;
        const std::size_t plain = GatherPlain(args, step.argc, cells, numbers);
        if (plain < step.argc && !GatherRest(step, plain, numbers)) return Stop();
        const CallSite& site = p.calls[step.a];
        const Value value{CallExport(site.command->address, numbers, step.argc),
                          site.meaning == Meaning::kPixel};
        if (step.target >= 0) cells[step.target] = Variables::Cell{value.number, value.pixel, true};
        Tally& tally = tallies[step.line];
        ++tally.runs;
        tally.hostCalls += hostCalls_;
        tally.last = value;
        if (!step.inLoop || !quietLoops) ReportCommand(step, value);
        ++pc;
        continue;
      }
      default:
        if (linesLeft_-- == 0) return StopForLines(step);
        current_ = &step;
        hostCalls_ = 0;
        if (!quietLoops) StartTrace(step);
        ++tallies[step.line].runs;
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

bool ScriptRunner::RunStep(const Step& step, std::size_t* pc) {
  const Program& p = program_;
  Tally& tally = tallies_[step.line];
  const Arg* args = p.args.data() + step.firstArg;
  const bool show = !step.inLoop || options_.trace;
  Value value;
  switch (step.kind) {
    case StepKind::kAssign:
      if (!ValueOf(args[0], &value)) return false;
      Keep(step.target, value);
      tally.hostCalls += hostCalls_;
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
      tally.hostCalls += hostCalls_;
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

void ScriptRunner::StartTrace(const Step& step) {
  const bool reported = step.kind == StepKind::kCommand || step.kind == StepKind::kAssign ||
                        step.kind == StepKind::kDirective ||
                        (step.kind == StepKind::kIf && !step.inLoop);
  if (!reported || !program_.lines[step.line].callsCommands) return;
  LineReport starting = Report(step.line);
  if (step.inLoop) starting.where = Where(step.line, 0);
  report_.Starting(starting);
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
  Tally& tally = tallies_[step.line];
  tally.hostCalls += hostCalls_;
  if (span < 0) {
    *pc = step.b;
    return true;
  }
  loops_[step.a] = Loop{static_cast<std::uint64_t>(span / magnitude), by.number, step.line};
  Keep(step.target, from);
  ++tally.passes;
  ++*pc;
  return true;
}

bool ScriptRunner::ValueOf(const Arg& arg, Value* value) {
  switch (arg.kind) {
    case Arg::Kind::kConst:
      *value = Value{arg.value, arg.pixel};
      return true;
    case Arg::Kind::kVar: {
      const Variables::Cell& cell = cells_[arg.value];
      if (!cell.set) return Unset(arg.value);
      *value = Value{cell.number, cell.pixel};
      return true;
    }
    default:
      return Evaluate(arg.value, value);
  }
}

bool ScriptRunner::Evaluate(std::int32_t start, Value* value) {
  const Operation* code = program_.code.data();
  Value* top = stack_.data() - 1;  // the value on top of the stack
  for (std::size_t pc = static_cast<std::size_t>(start);; ++pc) {
    const Operation& o = code[pc];
    if (o.op >= Op::kAdd && o.op <= Op::kGe) {
      const Value right = *top--;
      const std::int32_t a = top->number, b = right.number;
      const std::uint32_t ua = Bits(a), ub = Bits(b);
      top->pixel = o.op < Op::kEq && (top->pixel || right.pixel);
      switch (o.op) {
        case Op::kAdd:
          top->number = FromBits(ua + ub);
          break;
        case Op::kSub:
          top->number = FromBits(ua - ub);
          break;
        case Op::kMul:
          top->number = FromBits(ua * ub);
          break;
        case Op::kDiv:
        case Op::kMod:
          if (b == 0)
            return Fail(o.op == Op::kDiv ? "division by zero"
                                         : "mod 0: the remainder of a division by zero",
                        o.operand);
          if (a == INT32_MIN && b == -1) {
            if (o.op == Op::kDiv)
              return Fail("-2147483648 / -1 is 2147483648, which 32 bits do not hold", o.operand);
            top->number = 0;
          } else {
            top->number = o.op == Op::kDiv ? a / b : a % b;
          }
          break;
        case Op::kShl:
        case Op::kShr:
          if (b < 0 || b > 31) {
            return Fail("a shift by " + std::to_string(b) + ": shifts count 0 to 31", o.operand);
          }
          top->number = FromBits(o.op == Op::kShl ? ua << b : ua >> b);
          break;
        case Op::kAnd:
          top->number = FromBits(ua & ub);
          break;
        case Op::kOr:
          top->number = FromBits(ua | ub);
          break;
        case Op::kXor:
          top->number = FromBits(ua ^ ub);
          break;
        case Op::kEq:
          top->number = a == b;
          break;
        case Op::kNe:
          top->number = a != b;
          break;
        case Op::kLt:
          top->number = a < b;
          break;
        case Op::kGt:
          top->number = a > b;
          break;
        case Op::kLe:
          top->number = a <= b;
          break;
        default:
          top->number = a >= b;
          break;
      }
      continue;
    }
    switch (o.op) {
      case Op::kEnd:
        *value = *top;
        return true;
      case Op::kConst:
        *++top = Value{o.operand, o.pixel};
        break;
      case Op::kVar: {
        const Variables::Cell& cell = cells_[o.operand];
        if (!cell.set) return Unset(o.operand);
        *++top = Value{cell.number, cell.pixel};
        break;
      }
      case Op::kCall: {
        const CallSite& site = program_.calls[o.operand];
        const std::size_t argc = site.command->row.ParamCount();
        std::int32_t numbers[kMaxCommandArgs];
        top -= argc;
        for (std::size_t i = 0; i < argc; ++i) numbers[i] = top[1 + i].number;
        *++top = Value{CallExport(site.command->address, numbers, argc),
                       site.meaning == Meaning::kPixel};
        break;
      }
      case Op::kNeg:
        top->number = FromBits(0u - Bits(top->number));
        break;
      case Op::kComplement:
        top->number = FromBits(~Bits(top->number));
        break;
      case Op::kLogicalNot:
        *top = Value{top->number == 0, false};
        break;
      case Op::kToBool:
        *top = Value{top->number != 0, false};
        break;
      case Op::kAndThen:
      case Op::kOrElse:
        // The left side decides: "&&" stops at a 0, "||" at anything else.
        if ((top->number == 0) == (o.op == Op::kAndThen)) {
          *top = Value{top->number != 0, false};
          pc = static_cast<std::size_t>(o.operand) - 1;
        } else {
          --top;
        }
        break;
      default:
        break;
    }
  }
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
  Tally& tally = tallies_[step.line];
  tally.hostCalls += hostCalls_;
  tally.held += status_ == LineStatus::kOk;
  tally.failed += status_ == LineStatus::kFailed;
  if (said_.empty()) return true;
  if (!step.inLoop || options_.trace) {
    ReportRun(step, said_);
  } else if (status_ == LineStatus::kFailed || d.showsEachRun) {
    if (status_ == LineStatus::kFailed && tally.failuresShown++ >= kShownFailures) return true;
    ReportFailure(step);
  }
  return true;
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
  std::string values;
  for (std::int32_t r = program_.lines[record].loop; r >= 0; r = program_.lines[r].loop) {
    const std::int32_t slot = program_.lines[r].loopSlot;
    if (slot < 0 || !cells_[slot].set) continue;
    values += (values.empty() ? "" : ", ") + variables_.Name(slot) + " = " +
              Shown(cells_[slot].number, cells_[slot].pixel);
  }
  return values.empty() ? where : where + " (" + values + ")";
}

LineReport ScriptRunner::Report(std::uint32_t record) const {
  const LineRecord& line = program_.lines[record];
  const Tally& tally = tallies_[record];
  LineReport report;
  report.number = line.number;
  report.source = Escaped(program_.SourceOf(line));
  report.depth = line.depth;
  report.kind = line.kind;
  report.showsHostCalls = line.callsCommands && host_ != nullptr;
  report.hostCalls = tally.hostCalls;
  report.runs = tally.runs;
  report.passes = tally.passes;
  report.held = tally.held;
  report.failed = tally.failed;
  report.failuresNotShown =
      tally.failuresShown > kShownFailures ? tally.failuresShown - kShownFailures : 0;
  if (line.givesValue && tally.runs > 0)
    report.last = "=> " + Shown(tally.last.number, tally.last.pixel);
  return report;
}

void ScriptRunner::ReportRun(const Step& step, std::string said) {
  LineReport report = Report(step.line);
  report.hostCalls = hostCalls_;
  report.said = std::move(said);
  report.status = status_;
  report.details = details_;
  status_ = LineStatus::kRan;
  details_.clear();
  if (step.inLoop) report.where = Where(step.line, 0);
  report_.Ran(report);
}

void ScriptRunner::ReportFailure(const Step& step) {
  ReportRun(step, said_);
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
  ReportLoopAround(current_->line);
  report_.Stopped(Where(current_->line, errorColumn_), error_);
  current_ = nullptr;
  return kRunScriptError;
}

void REFHOST_CDECL ScriptRunner::Observe(const HostCall*, void* context) {
  auto* self = static_cast<ScriptRunner*>(context);
  if (++self->hostCalls_ > self->options_.maxHostCalls) self->StopForHostCalls();
}

void REFHOST_CDECL ScriptRunner::ObserveAndTrace(const HostCall* call, void* context) {
  auto* self = static_cast<ScriptRunner*>(context);
  self->report_.Called(*call);
  if (++self->hostCalls_ > self->options_.maxHostCalls) self->StopForHostCalls();
}

void ScriptRunner::StopForHostCalls() {
  Fail("the command made more than " + Plural(options_.maxHostCalls, "host call") +
       "; stopped (--max-host-calls sets the limit)");
  Stop();
  out_.flush();
  if (options_.stop != nullptr) options_.stop(kRunScriptError);
  std::_Exit(kRunScriptError);
}

}  // namespace refhost
