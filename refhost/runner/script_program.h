// The compact form a script is compiled into before line 1 runs: steps in
// order, with jumps where blocks branch and loop; variables as slots; each
// command resolved to its export and argument count; expressions as postfix
// code over a small stack of values. Nothing in it is text read again while
// the script runs: a line's source is kept as a place in the script's text,
// for what the runner prints. Empty lines and comments leave nothing behind.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "refhost/runner/command_set.h"
#include "refhost/runner/notes.h"

namespace refhost {

// Two's-complement arithmetic that wraps as the plug-in's does, computed in
// unsigned arithmetic so that it is always defined.
inline std::int32_t FromBits(std::uint32_t bits) {
  return static_cast<std::int32_t>(bits);
}
inline std::uint32_t Bits(std::int32_t value) {
  return static_cast<std::uint32_t>(value);
}

// A value as scripts compute with it: a 32-bit pattern, and whether it is
// shown as a colour (in hexadecimal).
struct Value {
  std::int32_t number = 0;
  bool pixel = false;
};

// The operations of an expression's code, on a stack of values.
enum class Op : std::uint8_t {
  kEnd,
  kConst,  // pushes `operand`, a colour when `pixel`
  kVar,    // pushes the variable of slot `operand`
  kCall,   // pops the arguments of call site `operand`, pushes its result
  kNeg,
  kComplement,
  kLogicalNot,
  kToBool,
  kAdd,
  kSub,
  kMul,
  kDiv,  // kDiv to kShr can fail: their `operand` is the operator's column
  kMod,
  kShl,
  kShr,
  kAnd,
  kOr,
  kXor,
  kEq,
  kNe,
  kLt,
  kGt,
  kLe,
  kGe,
  kAndThen,  // "&&": a 0 on top stays and jumps to `operand`; another value is popped
  kOrElse,   // "||": a value other than 0 on top becomes 1 and jumps; a 0 is popped
};

struct Operation {
  Op op = Op::kEnd;
  bool pixel = false;
  std::int32_t operand = 0;
};

// An argument of a step: a number, a variable, an expression's code (up to
// its kEnd) or a text.
struct Arg {
  enum class Kind : std::uint8_t { kConst, kVar, kCode, kText };
  Kind kind = Kind::kConst;
  bool pixel = false;      // a number shown as a colour
  std::int32_t value = 0;  // the number, the slot, the code's start or the text's index
};

enum class StepKind : std::uint8_t {
  kAssign,     // target = args[0]
  kCommand,    // call site a with the args; the result kept in target when >= 0
  kDirective,  // Directives()[a] with the args; target when it keeps a value
  kFor,        // target from args[0] to args[1] by args[2]; loop state a; no pass: to b
  kNext,       // loop state a: another pass goes back to b
  kWhile,      // args[0] is 0: on to b
  kIf,         // if and elseif: args[0] is 0: on to b
  kExit,       // leaves its loop: on to b
  kJump,       // no line of its own: the end of a branch or of a while's body, on to b
  kLoopEnd,    // no line of its own: the outermost loop of lines a to b has ended
};

struct Step {
  StepKind kind = StepKind::kJump;
  bool inLoop = false;  // inside a for or while: its runs are summed, not shown one by one
  std::uint32_t argc = 0;
  std::int32_t target = -1;
  std::uint32_t line = 0;   // the record of its line, for the steps that have one
  std::uint32_t tally = 0;  // its line's tally (0: one all lines outside loops share)
  std::uint32_t firstArg = 0;
  std::uint32_t a = 0;
  std::uint32_t b = 0;
};

enum class LineKind : std::uint8_t {
  kEmpty,  // a line without a statement, which the compiled form keeps nothing of
  kCommand,
  kAssign,
  kDirective,
  kFor,
  kNext,
  kWhile,
  kEndWhile,
  kIf,
  kElseIf,
  kElse,
  kEndIf,
  kExit,
};

// A line that holds a statement.
struct LineRecord {
  std::uint32_t number = 0;  // from 1
  // Its code in the script's text, without the comment or blanks round it.
  std::uint32_t codeStart = 0;
  std::uint32_t codeLength = 0;
  std::uint8_t depth = 0;  // how many blocks it stands in
  LineKind kind = LineKind::kCommand;
  bool callsCommands = false;   // a command of the plug-in is called on it
  bool givesValue = false;      // an assignment, or a command with a result
  std::int32_t loop = -1;       // the record of the innermost for or while round it
  std::int32_t loopSlot = -1;   // a for line's variable
  std::int32_t loopEnd = -1;    // a for's or while's next or endwhile
  std::int32_t directive = -1;  // a directive line's index in Directives()
  // Where it sums up its runs while they are shown together: a line of a
  // loop, a for or while line among them, has its own; every other line
  // shares 0, since it is shown each time it runs.
  std::uint32_t tally = 0;
};

// What a command's result means, by its export: shown in hexadecimal, or a
// plain number.
enum class Meaning : std::uint8_t { kNumber, kPixel };
Meaning MeaningOf(std::string_view exportName);

struct CallSite {
  const PluginCommand* command = nullptr;
  Meaning meaning = Meaning::kNumber;
  const NoteRule* notes = nullptr;  // what the runner tells about its calls, or null
  QuietCheck quiet = nullptr;       // the rule's short way for a plot or a read
};

struct Program {
  std::string text;  // the script's text, which the line records point into
  std::vector<Step> steps;
  std::vector<Arg> args;
  std::vector<Operation> code;
  std::vector<LineRecord> lines;
  std::vector<CallSite> calls;
  std::vector<std::string> texts;
  std::uint32_t loops = 0;       // for lines, each with its state while it runs
  std::uint32_t tallies = 1;     // the lines' tallies, the shared one among them
  std::uint32_t stackDepth = 0;  // the most values an expression holds at once
  // Every file name a directive gives (a golden file, a PNG file to read, a
  // file to save), with its line and the directive's index in Directives().
  struct NamedFile {
    std::uint32_t line;
    std::int32_t directive;
    std::string name;
  };
  std::vector<NamedFile> files;
  // By slot: the first line that sets the variable (0: none in this script).
  std::vector<std::uint32_t> firstSet;

  std::string_view SourceOf(const LineRecord& line) const {
    return std::string_view(text).substr(line.codeStart, line.codeLength);
  }
};

// The variables of a runner, by name (letter case counts), each in its slot;
// they last from one script to the next of the same runner.
class Variables {
 public:
  struct Cell {
    std::int32_t number = 0;
    bool pixel = false;
    bool set = false;  // given a value by a line that ran
  };

  // The slot of `name`, made when it has none.
  std::int32_t Slot(std::string_view name);
  // The slot of `name`, or -1.
  std::int32_t Find(std::string_view name) const;
  const std::string& Name(std::int32_t slot) const { return names_[slot]; }
  std::size_t Count() const { return names_.size(); }

  std::vector<Cell> cells;

 private:
  std::unordered_map<std::string, std::int32_t> slots_;
  std::vector<std::string> names_;
};

}  // namespace refhost
