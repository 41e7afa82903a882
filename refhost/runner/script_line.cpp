#include "refhost/runner/script_line.h"

#include <algorithm>

#include "refhost/runner/command_row.h"
#include "refhost/runner/nearest_name.h"

namespace refhost {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}
bool IsIdentifierStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsIdentifierChar(char c) {
  return IsIdentifierStart(c) || (c >= '0' && c <= '9');
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The line up to a "#" that is not inside quotes; false on an unclosed quote.
bool WithoutComment(std::string_view line, std::string_view* code) {
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == '#' && !quoted) {
      *code = line.substr(0, i);
      return true;
    }
  }
  *code = line;
  return !quoted;
}

std::string_view LeadingIdentifier(std::string_view text) {
  if (text.empty() || !IsIdentifierStart(text.front())) return {};
  std::size_t end = 1;
  while (end < text.size() && IsIdentifierChar(text[end])) ++end;
  return text.substr(0, end);
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

bool ParseOperand(std::string_view text, Operand* operand, std::string* error) {
  text = Trimmed(text);
  if (text.empty()) {
    *error = "missing argument";
    return false;
  }
  if (text.front() == '"') {
    if (text.size() < 2 || text.back() != '"' ||
        text.substr(1, text.size() - 2).find('"') != std::string_view::npos) {
      *error = "bad text argument: " + std::string(text);
      return false;
    }
    *operand = Operand{Operand::Kind::Text, 0, std::string(text.substr(1, text.size() - 2))};
    return true;
  }
  if (text.find_first_of(" \t") != std::string_view::npos) {
    *error = "\"" + std::string(text) + "\" is not one value: arguments are separated by commas";
    return false;
  }
  if (IsIdentifierStart(text.front())) {
    if (LeadingIdentifier(text).size() != text.size()) {
      *error = "bad variable name: " + std::string(text) +
               " (a name is letters, digits and \"_\"; a script has no expressions)";
      return false;
    }
    *operand = Operand{Operand::Kind::Variable, 0, std::string(text)};
    return true;
  }
  // The digits after a "-", and whether they are written in hexadecimal.
  const std::string_view digits = text.substr(text.front() == '-' ? 1 : 0);
  const bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
  std::int32_t value = 0;
  if (!ParseNumber(text, &value)) {
    // Well-formed digits that ParseNumber refuses are too large or too small.
    const std::string_view after = digits.substr(hex ? 2 : 0);
    const bool wellFormed =
        !after.empty() && after.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") ==
                              std::string_view::npos;
    *error = (wellFormed ? "number out of range: " : "bad number: ") + std::string(text) +
             " (numbers run from -2147483648 to 4294967295, or 0xFFFFFFFF)";
    return false;
  }
  *operand = Operand{Operand::Kind::Number, value, {}, hex};
  return true;
}

// Comma-separated operands; an empty text is no operand at all.
bool ParseOperands(std::string_view text, std::vector<Operand>* operands, std::string* error) {
  text = Trimmed(text);
  if (text.empty()) return true;
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] == '"') quoted = !quoted;
    if (i == text.size() || (text[i] == ',' && !quoted)) {
      Operand operand;
      if (!ParseOperand(text.substr(start, i - start), &operand, error)) return false;
      operands->push_back(operand);
      start = i + 1;
    }
  }
  return true;
}

// Arguments after a command name: "(a, b)" or " a, b" or nothing.
bool ParseCommandArguments(std::string_view rest, std::vector<Operand>* operands,
                           std::string* error) {
  rest = Trimmed(rest);
  if (!rest.empty() && rest.front() == '(') {
    const std::size_t close = rest.rfind(')');
    if (close == std::string_view::npos) {
      *error = "missing \")\"";
      return false;
    }
    if (close + 1 != rest.size()) {
      *error = "\"" + std::string(Trimmed(rest.substr(close + 1))) +
               "\" after \")\": a line holds one command, and a script has no expressions";
      return false;
    }
    rest = rest.substr(1, rest.size() - 2);
  }
  return ParseOperands(rest, operands, error);
}

// The longest command name that `text` starts with, followed by the end, a
// blank or "("; empty when none.
std::string_view MatchCommand(std::string_view text, const std::vector<std::string>& names) {
  std::string_view best;
  for (const std::string& name : names) {
    if (name.size() <= best.size() || text.size() < name.size()) continue;
    if (!SameNameIgnoringCase(text.substr(0, name.size()), name)) continue;
    if (text.size() > name.size() && !IsBlank(text[name.size()]) && text[name.size()] != '(') {
      continue;
    }
    best = name;
  }
  return best;
}

ParsedLine Refused(std::string error) {
  ParsedLine parsed;
  parsed.error = std::move(error);
  return parsed;
}

// A line that is neither a command, a directive nor a value: "unknown
// command" when it starts with "MBC", as every command name does.
ParsedLine Unknown(std::string_view code, const std::vector<std::string>& commandNames,
                   const std::vector<std::string>& directives) {
  std::vector<std::string> names = commandNames;
  names.insert(names.end(), directives.begin(), directives.end());
  const std::string nearest = NearestName(code, names);
  const bool command = SameNameIgnoringCase(LeadingIdentifier(code), "MBC");
  return Refused((command ? "unknown command: " : "unknown command or directive: ") +
                 std::string(code) +
                 (nearest.empty() ? "" : "; did you mean \"" + nearest + "\"?"));
}

}  // namespace

bool ParseNumber(std::string_view text, std::int32_t* value) {
  bool negative = false;
  if (!text.empty() && text.front() == '-') {
    negative = true;
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return false;
  std::uint64_t magnitude = 0;
  for (char c : text) {
    const int digit = DigitValue(c);
    if (digit >= base) return false;
    magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (magnitude > 0xFFFFFFFFull) return false;
  }
  if (negative && magnitude > 0x80000000ull) return false;
  // Two's complement without signed overflow: negate in unsigned arithmetic.
  const std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
  const std::uint32_t pattern = negative ? 0u - bits : bits;
  *value = static_cast<std::int32_t>(pattern);
  return true;
}

ParsedLine ParseScriptLine(std::string_view line, const std::vector<std::string>& commandNames,
                           const std::vector<std::string>& directives) {
  std::string_view code;
  if (!WithoutComment(line, &code)) return Refused("unclosed \"");
  code = Trimmed(code);

  ParsedLine parsed;
  parsed.ok = true;
  Statement& statement = parsed.statement;
  if (code.empty()) return parsed;

  // "name = ..." keeps a result or sets a variable.
  const std::string_view first = LeadingIdentifier(code);
  const std::string_view afterFirst = Trimmed(code.substr(first.size()));
  if (!first.empty() && !afterFirst.empty() && afterFirst.front() == '=') {
    statement.target = std::string(first);
    code = Trimmed(afterFirst.substr(1));
  }

  std::string error;
  const std::string_view command = MatchCommand(code, commandNames);
  if (!command.empty()) {
    statement.kind = Statement::Kind::Command;
    statement.name = std::string(command);
    if (!ParseCommandArguments(code.substr(command.size()), &statement.args, &error)) {
      return Refused(error);
    }
    return parsed;
  }
  const std::string_view word = LeadingIdentifier(code);
  if (std::find(directives.begin(), directives.end(), word) != directives.end()) {
    const std::string_view rest = code.substr(word.size());
    if (!rest.empty() && !IsBlank(rest.front()))
      return Refused("bad directive: " + std::string(code));
    statement.kind = Statement::Kind::Directive;
    statement.name = std::string(word);
    if (!ParseOperands(rest, &statement.args, &error)) return Refused(error);
    return parsed;
  }
  // A value is one word; a name followed by more is a command that is not there.
  const bool oneWord = !word.empty() && word.size() == code.size();
  if (!statement.target.empty() && (word.empty() || oneWord)) {
    Operand value;
    if (!ParseOperand(code, &value, &error)) return Refused(error);
    if (value.kind == Operand::Kind::Text) return Refused("a variable holds numbers only");
    statement.kind = Statement::Kind::Assign;
    statement.args.push_back(value);
    return parsed;
  }
  return Unknown(code, commandNames, directives);
}

}  // namespace refhost
