#include "refhost/runner/script_compiler.h"

#include <algorithm>

#include "refhost/runner/directives.h"
#include "refhost/runner/nearest_name.h"
#include "refhost/runner/script_parser.h"
#include "refhost/runner/script_text.h"

namespace refhost {
namespace {

const char* WordOf(LineKind kind) {
  switch (kind) {
    case LineKind::kFor:
      return "for";
    case LineKind::kWhile:
      return "while";
    case LineKind::kIf:
      return "if";
    default:
      return "";
  }
}

// An open for, while or if.
struct Block {
  LineKind kind = LineKind::kIf;
  std::uint32_t number = 0;  // its line
  std::size_t column = 0;
  std::uint32_t record = 0;
  std::uint32_t step = 0;         // a loop's first step; an if's last if or elseif
  std::int32_t slot = -1;         // a for's variable
  bool pendingCondition = false;  // the last if or elseif still jumps nowhere when false
  std::uint32_t elseLine = 0;
  std::vector<std::uint32_t> ends;  // steps that jump to its end: exits, branch ends
};

class Compiler {
 public:
  Compiler(const CommandSet& commands, Variables* variables, Program* program, Mistakes* mistakes)
      : variables_(*variables),
        program_(*program),
        mistakes_(*mistakes),
        parser_(commands, program, variables, &reads_, mistakes) {}

  void Line(std::uint32_t number, std::size_t offset, std::size_t length);
  void Finish();

 private:
  bool Emitting() const { return mistakes_.Count() == 0; }
  bool InLoop() const {
    return std::any_of(blocks_.begin(), blocks_.end(),
                       [](const Block& b) { return b.kind != LineKind::kIf; });
  }
  std::uint32_t AddStep(StepKind kind, std::int32_t target, std::uint32_t a = 0);
  std::int32_t Target();
  void NoteSet(std::int32_t slot);
  // The open block that `word` closes or continues, of `kind`; null (with
  // the mistake) when the innermost open block is another one or none.
  Block* Matching(LineKind kind, const char* word, bool closes);
  void EndLoop(const Block& loop, std::uint32_t record);
  void Add(std::size_t column, const std::string& message) {
    mistakes_.Add(number_, column, message);
  }

  Variables& variables_;
  Program& program_;
  Mistakes& mistakes_;
  std::vector<VariableRead> reads_;
  LineParser parser_;
  Statement s_;
  std::vector<Block> blocks_;
  std::uint32_t number_ = 0;
  std::uint32_t record_ = 0;
};

std::uint32_t Compiler::AddStep(StepKind kind, std::int32_t target, std::uint32_t a) {
  Step step;
  step.kind = kind;
  step.argc = static_cast<std::uint32_t>(s_.args.size());
  step.inLoop = InLoop();
  step.target = target;
  step.line = record_;
  step.tally = program_.lines[record_].tally;
  step.firstArg = static_cast<std::uint32_t>(program_.args.size());
  step.a = a;
  program_.args.insert(program_.args.end(), s_.args.begin(), s_.args.end());
  program_.steps.push_back(step);
  return static_cast<std::uint32_t>(program_.steps.size() - 1);
}

void Compiler::NoteSet(std::int32_t slot) {
  if (program_.firstSet.size() <= static_cast<std::size_t>(slot)) {
    program_.firstSet.resize(slot + 1);
  }
  if (program_.firstSet[slot] == 0) program_.firstSet[slot] = number_;
}

// The slot a statement keeps its value in, or -1; a for's variable is set by
// its loop alone.
std::int32_t Compiler::Target() {
  if (s_.variable.empty()) return -1;
  const std::int32_t slot = variables_.Slot(s_.variable);
  for (const Block& b : blocks_) {
    if (b.kind != LineKind::kFor || b.slot != slot) continue;
    Add(s_.variableColumn, s_.variable + " counts the passes of the for of line " +
                               std::to_string(b.number) + ": it cannot be set inside that loop");
    break;
  }
  NoteSet(slot);
  return slot;
}

Block* Compiler::Matching(LineKind kind, const char* word, bool closes) {
  const std::string opener = std::string(kind == LineKind::kIf ? "an " : "a ") + WordOf(kind);
  if (blocks_.empty()) {
    Add(s_.column, std::string(word) + " without " + opener);
    return nullptr;
  }
  if (blocks_.back().kind == kind) return &blocks_.back();
  const Block& open = blocks_.back();
  Add(s_.column, std::string(word) + ", but the " + WordOf(open.kind) + " of line " +
                     std::to_string(open.number) + " is still open");
  // Where a block of the right kind is open further out, the line closes it
  // and those inside it, so that one crossing is one mistake.
  auto found = std::find_if(blocks_.rbegin(), blocks_.rend(),
                            [kind](const Block& b) { return b.kind == kind; });
  if (!closes || found == blocks_.rend()) return nullptr;
  blocks_.erase(found.base(), blocks_.end());
  return &blocks_.back();
}

void Compiler::EndLoop(const Block& loop, std::uint32_t record) {
  program_.lines[loop.record].loopEnd = static_cast<std::int32_t>(record);
  if (!Emitting()) return;
  const bool outermost = std::none_of(blocks_.begin(), blocks_.end() - 1,
                                      [](const Block& b) { return b.kind != LineKind::kIf; });
  const auto after = static_cast<std::uint32_t>(program_.steps.size());
  if (outermost) {
    s_.args.clear();
    const std::uint32_t end = AddStep(StepKind::kLoopEnd, -1, loop.record);
    program_.steps[end].b = record;
  }
  program_.steps[loop.step].b = after;
  for (const std::uint32_t e : loop.ends) program_.steps[e].b = after;
}

void Compiler::Line(std::uint32_t number, std::size_t offset, std::size_t length) {
  number_ = number;
  if (length == 0) return;
  const bool read = parser_.Parse(number, offset, length, &s_);
  if (s_.kind == LineKind::kEmpty) return;
  const LineKind kind = s_.kind;
  const bool continues = kind == LineKind::kNext || kind == LineKind::kEndWhile ||
                         kind == LineKind::kElseIf || kind == LineKind::kElse ||
                         kind == LineKind::kEndIf;
  LineRecord line;
  line.number = number;
  line.codeStart = static_cast<std::uint32_t>(s_.codeStart);
  line.codeLength = static_cast<std::uint32_t>(s_.codeLength);
  line.depth = static_cast<std::uint8_t>(
      std::min(blocks_.size() - (continues && !blocks_.empty()), kMostBlockDepth));
  line.kind = kind;
  line.callsCommands = s_.callsCommands;
  line.givesValue = kind == LineKind::kAssign || (kind == LineKind::kCommand && s_.valueCall >= 0);
  line.directive = s_.directive;
  const auto loop = std::find_if(blocks_.rbegin(), blocks_.rend(),
                                 [](const Block& b) { return b.kind != LineKind::kIf; });
  if (loop != blocks_.rend()) line.loop = static_cast<std::int32_t>(loop->record);
  const bool opensLoop = kind == LineKind::kFor || kind == LineKind::kWhile;
  if (line.loop >= 0 || opensLoop) line.tally = program_.tallies++;
  record_ = static_cast<std::uint32_t>(program_.lines.size());
  program_.lines.push_back(line);
  const bool emit = read && Emitting();

  if (kind == LineKind::kFor || kind == LineKind::kWhile || kind == LineKind::kIf) {
    if (blocks_.size() >= kMostBlockDepth) {
      Add(s_.column, "blocks nest " + std::to_string(kMostBlockDepth) + " deep at most");
    }
    Block block;
    block.kind = kind;
    block.number = number;
    block.column = s_.column;
    block.record = record_;
    if (kind == LineKind::kFor && !s_.variable.empty()) {
      block.slot = variables_.Slot(s_.variable);
      for (const Block& b : blocks_) {
        if (b.kind != LineKind::kFor || b.slot != block.slot) continue;
        Add(s_.variableColumn, s_.variable + " already counts the passes of the for of line " +
                                   std::to_string(b.number));
        break;
      }
      NoteSet(block.slot);
      program_.lines[record_].loopSlot = block.slot;
      const Arg& step = s_.args.size() == 3 ? s_.args[2] : Arg{};
      if (read && step.kind == Arg::Kind::kConst && step.value == 0) {
        Add(s_.argColumns[2], "a for counts by a step other than 0 (a step of 0 never ends)");
      }
    }
    if (emit && Emitting()) {
      block.step = AddStep(kind == LineKind::kFor     ? StepKind::kFor
                           : kind == LineKind::kWhile ? StepKind::kWhile
                                                      : StepKind::kIf,
                           block.slot, kind == LineKind::kFor ? program_.loops++ : 0);
    }
    block.pendingCondition = kind == LineKind::kIf;
    blocks_.push_back(block);
    return;
  }
  switch (kind) {
    case LineKind::kNext:
    case LineKind::kEndWhile: {
      const bool next = kind == LineKind::kNext;
      Block* open =
          Matching(next ? LineKind::kFor : LineKind::kWhile, next ? "next" : "endwhile", true);
      if (open == nullptr) return;
      if (next && !s_.variable.empty() && open->slot >= 0 &&
          s_.variable != variables_.Name(open->slot)) {
        Add(s_.variableColumn, "next " + s_.variable + ", but the for of line " +
                                   std::to_string(open->number) + " counts " +
                                   variables_.Name(open->slot));
      }
      if (Emitting()) {
        s_.args.clear();
        const std::uint32_t step = AddStep(next ? StepKind::kNext : StepKind::kJump, open->slot);
        program_.steps[step].a = next ? program_.steps[open->step].a : 0;
        program_.steps[step].b = next ? open->step + 1 : open->step;
      }
      EndLoop(*open, record_);
      blocks_.pop_back();
      return;
    }
    case LineKind::kElseIf:
    case LineKind::kElse: {
      const bool elseIf = kind == LineKind::kElseIf;
      Block* open = Matching(LineKind::kIf, elseIf ? "elseif" : "else", false);
      if (open == nullptr) return;
      if (open->elseLine != 0) {
        Add(s_.column,
            (elseIf ? "elseif after the else of line " : "a second else for the if of line ") +
                std::to_string(elseIf ? open->elseLine : open->number));
      }
      if (!emit || !Emitting()) {
        if (!elseIf) open->elseLine = number;
        return;
      }
      std::vector<Arg> condition = s_.args;
      s_.args.clear();
      open->ends.push_back(AddStep(StepKind::kJump, -1));
      if (open->pendingCondition) {
        program_.steps[open->step].b = static_cast<std::uint32_t>(program_.steps.size());
      }
      open->pendingCondition = elseIf;
      if (elseIf) {
        s_.args = condition;
        open->step = AddStep(StepKind::kIf, -1);
      } else {
        open->elseLine = number;
      }
      return;
    }
    case LineKind::kEndIf: {
      Block* open = Matching(LineKind::kIf, "endif", true);
      if (open == nullptr) return;
      if (Emitting()) {
        const auto here = static_cast<std::uint32_t>(program_.steps.size());
        if (open->pendingCondition) program_.steps[open->step].b = here;
        for (const std::uint32_t e : open->ends) program_.steps[e].b = here;
      }
      blocks_.pop_back();
      return;
    }
    case LineKind::kExit: {
      auto loop = std::find_if(blocks_.rbegin(), blocks_.rend(),
                               [](const Block& b) { return b.kind != LineKind::kIf; });
      if (loop == blocks_.rend()) {
        Add(s_.column, "exit outside a loop: exit leaves the innermost for or while");
      } else if (emit && Emitting()) {
        s_.args.clear();
        loop->ends.push_back(AddStep(StepKind::kExit, -1));
      }
      return;
    }
    default:
      break;
  }
  const std::int32_t target = Target();
  if (!emit || !Emitting()) return;
  if (kind == LineKind::kAssign) {
    AddStep(StepKind::kAssign, target, static_cast<std::uint32_t>(s_.valueCall + 1));
  } else if (kind == LineKind::kCommand) {
    AddStep(StepKind::kCommand, target, static_cast<std::uint32_t>(s_.call));
  } else {
    AddStep(StepKind::kDirective, target, static_cast<std::uint32_t>(s_.directive));
    const Directive& d = Directives()[s_.directive];
    for (std::size_t i = 0; i < s_.args.size(); ++i) {
      if (s_.args[i].kind != Arg::Kind::kText || !IsFileArgument(d, i)) continue;
      program_.files.push_back({number, s_.directive, program_.texts[s_.args[i].value]});
    }
  }
}

void Compiler::Finish() {
  for (const Block& b : blocks_) {
    mistakes_.Add(b.number, b.column,
                  std::string("this ") + WordOf(b.kind) + " is never closed: " +
                      (b.kind == LineKind::kFor     ? "next"
                       : b.kind == LineKind::kWhile ? "endwhile"
                                                    : "endif") +
                      " is missing before the end of the script");
  }
  const auto set = [this](std::size_t slot) {
    return (slot < program_.firstSet.size() && program_.firstSet[slot] != 0) ||
           variables_.cells[slot].set;
  };
  for (std::size_t slot = 0; slot < reads_.size(); ++slot) {
    const VariableRead& read = reads_[slot];
    if (read.line == 0 || set(slot)) continue;
    if (!mistakes_.WouldShow(read.line, read.column)) {
      mistakes_.Add(read.line, read.column, "");
      continue;
    }
    std::vector<std::string> known;
    for (std::size_t other = 0; other < variables_.Count(); ++other) {
      if (set(other)) known.push_back(variables_.Name(static_cast<std::int32_t>(other)));
    }
    const std::string& name = variables_.Name(static_cast<std::int32_t>(slot));
    const std::string nearest = NearestName(name, known);
    mistakes_.Add(read.line, read.column,
                  "unknown variable " + name +
                      (nearest.empty() ? " (a variable is made by \"NAME = ...\")"
                                       : "; did you mean " + nearest + "?"));
  }
  program_.firstSet.resize(variables_.Count());
}

}  // namespace

bool CompileScript(std::string text, const CommandSet& commands, Variables* variables,
                   Program* program, Mistakes* mistakes) {
  *program = Program{};
  program->text = std::move(text);
  Compiler compiler(commands, variables, program, mistakes);
  ScriptLines lines(program->text);
  std::uint32_t number = 0;
  for (std::string_view line; lines.Next(&line);) {
    compiler.Line(++number, static_cast<std::size_t>(line.data() - program->text.data()),
                  line.size());
  }
  compiler.Finish();
  return mistakes->Count() == 0;
}

}  // namespace refhost
