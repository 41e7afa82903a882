// The words and signs of one script line: numbers, names, "quoted texts",
// brackets, commas and operators, up to a "#" outside quotes (a comment).
// Blanks are spaces and tabs (and a lone CR, which the line ends drop); the
// keywords are names in any letter case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace refhost {

enum class Tok : std::uint8_t {
  kEnd,  // the end of the line, or a comment
  kNumber,
  kName,
  kText,
  kOpen,
  kClose,
  kComma,
  kEq,  // "=": an assignment at the start of a statement, else a comparison
  kNe,
  kLt,
  kGt,
  kLe,
  kGe,
  kShl,
  kShr,
  kPlus,
  kMinus,
  kStar,
  kSlash,
  kBang,
  kAndAnd,
  kOrOr,
  kBad,  // not a token: Token::problem says why (null: a bad number or a sign not used)
};

enum class Keyword : std::uint8_t {
  kNone,
  kMod,
  kAnd,
  kOr,
  kXor,
  kNot,
  kFor,
  kTo,
  kStep,
  kNext,
  kWhile,
  kEndWhile,
  kIf,
  kElseIf,
  kElse,
  kEndIf,
  kExit,
};

struct Token {
  Tok kind = Tok::kEnd;
  Keyword keyword = Keyword::kNone;  // for a name that is one
  std::size_t start = 0;             // its bytes in the line
  std::size_t end = 0;
  std::int32_t number = 0;  // a number's 32-bit pattern
  bool hex = false;         // a number written in hexadecimal, as colours are
  const char* problem = nullptr;
};

class Lexer {
 public:
  explicit Lexer(std::string_view line) : line_(line) { Advance(); }

  const Token& Peek() const { return token_; }
  Token Take() {
    const Token taken = token_;
    Advance();
    return taken;
  }
  // Goes back to read again from byte `at` of the line.
  void Restart(std::size_t at) {
    at_ = at;
    Advance();
  }
  std::string_view Line() const { return line_; }
  std::string_view TextOf(const Token& token) const {
    return line_.substr(token.start, token.end - token.start);
  }
  // The bytes up to the comment, without the blanks round them.
  std::string_view Code() const;

 private:
  void Advance();

  std::string_view line_;
  std::size_t at_ = 0;
  Token token_;
};

bool IsBlank(char c);
bool IsNameStart(char c);
bool IsNameChar(char c);

// The keyword a name spells, letters compared without case.
Keyword KeywordOf(std::string_view name);
const char* KeywordName(Keyword keyword);

// A bad token that was meant as a number: "12z", "4.5", "0x1FFFFFFFF".
bool IsBadNumber(const Token& token, std::string_view text);

// Parses a number as the script writes it, with an optional "-": decimal or
// "0x" hexadecimal, -2147483648 to 4294967295 (the upper half as the 32-bit
// pattern it spells); false when it is not one or lies outside that range.
bool ParseNumber(std::string_view text, std::int32_t* value);

// Why `text` (a number's digits with an optional "-") is not a number the
// script takes, or "" when it is.
std::string BadNumber(std::string_view text);

}  // namespace refhost
