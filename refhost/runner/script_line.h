// One line of a runner script.
//
//   # a comment, to the end of the line
//   img = MBC Make Memblock Image(64, 48, 32)   a command with its result kept
//   MBC Plot img, 5, 5, 0xFF00FF00               a command, arguments without brackets
//   colour = -0x10                               a variable set to a value
//   bitmap 1, 32, 32                             a runner directive
//
// A command is named by its script name (letters in any case), the longest
// name of the table that the line starts with; its arguments follow, either in
// brackets or after a blank. An argument is a decimal or hexadecimal ("0x")
// number with an optional "-", or a variable; numbers from -2147483648 to
// 4294967295 are taken, the upper half as the 32-bit pattern they spell.
// Directives are lower-case words and may also take "quoted text" arguments;
// a directive line may keep a result too ("m = call ..."), which the runner
// allows only where the directive gives one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace refhost {

struct Operand {
  enum class Kind { Number, Variable, Text };
  Kind kind = Kind::Number;
  std::int32_t number = 0;
  std::string text;  // the variable's name, or the text
  bool hex = false;  // a number written in hexadecimal, as colours are

  bool operator==(const Operand& o) const {
    return kind == o.kind && number == o.number && text == o.text && hex == o.hex;
  }
};

struct Statement {
  enum class Kind { Empty, Command, Directive, Assign };
  Kind kind = Kind::Empty;
  std::string target;  // the variable that keeps the result, or empty
  std::string name;    // the command's script name as in the table, or the directive
  std::vector<Operand> args;
};

struct ParsedLine {
  bool ok = false;
  Statement statement;
  std::string error;  // why the line was refused, when !ok
};

// Parses one line. `commandNames` are the script names of the command table;
// `directives` the runner's directive words. A line that names neither, with
// or without "v =" before it, is refused as an unknown command, with the
// nearest command name or directive when one is close.
ParsedLine ParseScriptLine(std::string_view line, const std::vector<std::string>& commandNames,
                           const std::vector<std::string>& directives);

// Parses a number as the script writes it; false when it is not one or lies
// outside the range above.
bool ParseNumber(std::string_view text, std::int32_t* value);

}  // namespace refhost
