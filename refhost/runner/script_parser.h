// Reads one line of a script into a statement, compiling its expressions
// into the program's code as it goes. A line is one of:
//
//   V = EXPRESSION                     a variable set
//   [V =] COMMAND ARG, ...             a command of the plug-in; "(ARG, ...)" when the
//   [V =] COMMAND(ARG, ...)            brackets hold the rest of the line
//   [V =] DIRECTIVE ARG, ...           a directive of the runner (directives.h)
//   for V = A to B [step S]   next [V]
//   while COND   endwhile
//   if COND   elseif COND   else   endif
//   exit
//
// An argument is an expression, or a "quoted text" where a directive takes
// one. Expressions, from the loosest operators to the tightest:
//
//   ||    &&    or xor    and    = <> < > <= >=    << >>    + -    * / mod
//   unary - not !    numbers, variables, ( ... ), COMMAND(ARG, ...)
//
// A command name is the longest name of the command table at that place,
// letters in any case; a command that takes no arguments may stand without
// brackets. Keywords and directive words are read in any letter case,
// variables as they are written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "refhost/runner/command_set.h"
#include "refhost/runner/script_lexer.h"
#include "refhost/runner/script_mistakes.h"
#include "refhost/runner/script_program.h"

namespace refhost {

struct Statement {
  LineKind kind = LineKind::kEmpty;
  std::size_t codeStart = 0;  // the line's code, without the comment and blanks round it
  std::size_t codeLength = 0;
  std::size_t column = 1;  // where the statement starts
  // The variable of "V = ...", of a for, or named by a next; empty when none.
  std::string variable;
  std::size_t variableColumn = 0;
  std::int32_t call = -1;       // the call site of a command statement
  std::int32_t directive = -1;  // a directive's index in Directives()
  std::vector<Arg> args;        // for a for: its start, end and step
  std::vector<std::size_t> argColumns;
  // For "V = COMMAND(...)" and a command or call directive with a result:
  // the call site whose result is the value (-1: none), for what the line says.
  std::int32_t valueCall = -1;
  bool callsCommands = false;  // a command is called in one of its expressions
};

// Where each variable was first read, by slot (0: not read in this script).
struct VariableRead {
  std::uint32_t line = 0;
  std::size_t column = 0;
};

// The largest depth of expressions inside one another (brackets, signs,
// commands' arguments), so that no text can make the parser run out of stack.
constexpr std::size_t kMostExpressionDepth = 64;

struct Directive;

class LineParser {
 public:
  LineParser(const CommandSet& commands, Program* program, Variables* variables,
             std::vector<VariableRead>* reads, Mistakes* mistakes);

  // Reads line `number` of the program's text, at `offset`, `length` bytes.
  // False when it holds a mistake (recorded in Mistakes); its code is then
  // taken back out of the program.
  bool Parse(std::uint32_t number, std::size_t offset, std::size_t length, Statement* statement);

 private:
  struct Info {
    bool logical = false;  // a comparison's or a logical operator's result
    bool failed = false;   // a mistake ended the reading of the line
  };

  bool ParseStatement(Statement* s);
  bool ParseKeywordStatement(Statement* s);
  bool ParseRightSide(Statement* s);
  bool ParseCommandStatement(const std::string& name, std::size_t nameStart, std::size_t nameEnd,
                             Statement* s);
  bool ParseDirective(const Token& word, Statement* s);
  bool ParseFor(Statement* s);
  // Comma-separated arguments up to `closer` (a ")" or the end of the line);
  // `directive`, when given, is the directive they belong to.
  bool ParseArguments(Tok closer, bool texts, Statement* s, const Directive* directive = nullptr);
  // A file name written without its quotes at byte `at` (out.png, shots/a.png),
  // up to the next comma; empty when the argument there is not one.
  std::string_view BareFileName(std::size_t at) const;
  bool ParseValue(Statement* s, Arg* arg);
  bool ExpectEnd(const char* after);

  // Expressions (script_expressions.cpp).
  static bool IsBinaryOperator(const Token& t);
  Info ParseExpression(std::size_t depth);
  Info ParseLevel(int level, std::size_t depth);
  Info ParseUnary(std::size_t depth);
  Info ParsePrimary(std::size_t depth);
  Info ParseCall(const std::string& name, std::size_t start, std::size_t nameEnd,
                 std::size_t depth);

  // The command name the text at `at` starts with (longest), its end in `end`;
  // null when none. `statement`: a name must be followed by a blank, "(" or
  // the end, as at the start of a line.
  const std::string* CommandAt(std::size_t at, bool statement, std::size_t* end) const;
  bool IsDirectiveWord(std::string_view word) const;
  // The first word of a command name ("MBC"), letters in any case.
  bool IsCommandWord(std::string_view word) const;
  // The call site of the row `name` with `argc` arguments, or -1 with the
  // mistake recorded (a wrong count, no result where one is needed).
  std::int32_t CallSiteOf(const std::string& name, std::size_t argc, bool needsResult,
                          std::size_t at, const char* purpose);
  void Emit(Op op, std::int32_t operand = 0, bool pixel = false);
  void Refuse(std::size_t at, const std::string& message);
  bool Unexpected(const Token& token, const char* wanted);
  bool Unknown(std::size_t at);
  // The column of byte `at`, walked to from the last one asked for, so that
  // a long line costs time in its length, not in its length squared.
  std::size_t Column(std::size_t at);

  const CommandSet& commands_;
  Program& program_;
  Variables& variables_;
  std::vector<VariableRead>& reads_;
  Mistakes& mistakes_;
  std::vector<std::string> names_;       // the command table's names, each once
  std::vector<std::string> startWords_;  // every word a line may start with
  std::vector<std::string> firstWords_;  // the first words of the command names
  std::uint32_t number_ = 0;
  std::string_view line_;
  Lexer lexer_{""};
  std::size_t columnAt_ = 0;  // the last byte Column() was asked for, and its column
  std::size_t column_ = 1;
  bool failed_ = false;
  bool calls_ = false;     // the expression being read calls a command
  std::size_t stack_ = 0;  // values on the stack at this point of an expression
  // The variables the line reads, by slot and column: noted once the line is read.
  std::vector<std::pair<std::int32_t, std::size_t>> pendingReads_;
  std::vector<std::int32_t> callOfCommand_;  // each row's call site, or -1
};

// "MBC Box takes 7 arguments (Memblock Number, Left, ...), not 6".
std::string ArgumentCounts(const CommandSet& commands, const std::string& name, std::size_t given);

}  // namespace refhost
