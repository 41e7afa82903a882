#include "refhost/runner/script_lexer.h"

#include "refhost/runner/command_row.h"

namespace refhost {
namespace {

const struct {
  const char* name;
  Keyword keyword;
} kKeywords[] = {
    {"mod", Keyword::kMod},       {"and", Keyword::kAnd},           {"or", Keyword::kOr},
    {"xor", Keyword::kXor},       {"not", Keyword::kNot},           {"for", Keyword::kFor},
    {"to", Keyword::kTo},         {"step", Keyword::kStep},         {"next", Keyword::kNext},
    {"while", Keyword::kWhile},   {"endwhile", Keyword::kEndWhile}, {"if", Keyword::kIf},
    {"elseif", Keyword::kElseIf}, {"else", Keyword::kElse},         {"endif", Keyword::kEndIf},
    {"exit", Keyword::kExit},
};

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Signs that other languages use and this one spells otherwise.
const char* Misspelt(char c, char next) {
  if (c == '=' && next == '=') return "\"==\" is written \"=\" here";
  if (c == '!' && next == '=') return "\"!=\" is written \"<>\" here";
  if (c == '&' && next != '&')
    return "\"&\" is written \"and\" here (bitwise), or \"&&\" (logical)";
  if (c == '|' && next != '|') return "\"|\" is written \"or\" here (bitwise), or \"||\" (logical)";
  if (c == '%') return "\"%\" is written \"mod\" here";
  if (c == '^') return "\"^\" is written \"xor\" here";
  if (c == '~') return "\"~\" is written \"not\" here";
  return nullptr;
}

}  // namespace

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}
bool IsNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsNameChar(char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9');
}

Keyword KeywordOf(std::string_view name) {
  if (name.size() > 8) return Keyword::kNone;
  for (const auto& k : kKeywords) {
    if (SameNameIgnoringCase(name, k.name)) return k.keyword;
  }
  return Keyword::kNone;
}

const char* KeywordName(Keyword keyword) {
  for (const auto& k : kKeywords) {
    if (k.keyword == keyword) return k.name;
  }
  return "";
}

std::string_view Lexer::Code() const {
  std::size_t end = line_.size();
  bool quoted = false;
  for (std::size_t i = 0; i < line_.size(); ++i) {
    if (line_[i] == '"') quoted = !quoted;
    if (line_[i] == '#' && !quoted) {
      end = i;
      break;
    }
  }
  std::size_t start = 0;
  while (start < end && IsBlank(line_[start])) ++start;
  while (end > start && IsBlank(line_[end - 1])) --end;
  return line_.substr(start, end - start);
}

void Lexer::Advance() {
  while (at_ < line_.size() && IsBlank(line_[at_])) ++at_;
  token_ = Token{};
  token_.start = at_;
  if (at_ >= line_.size() || line_[at_] == '#') {
    token_.end = at_;
    return;
  }
  const char c = line_[at_];
  const char next = at_ + 1 < line_.size() ? line_[at_ + 1] : '\0';
  std::size_t end = at_ + 1;
  if (IsNameStart(c)) {
    while (end < line_.size() && IsNameChar(line_[end])) ++end;
    token_.kind = Tok::kName;
    token_.keyword = KeywordOf(line_.substr(at_, end - at_));
  } else if (c >= '0' && c <= '9') {
    // A number runs on over letters and points, so that "12z" and "4.5"
    // are refused as a whole rather than read as a number and a name.
    while (end < line_.size() && (IsNameChar(line_[end]) || line_[end] == '.')) ++end;
    token_.kind =
        ParseNumber(line_.substr(at_, end - at_), &token_.number) ? Tok::kNumber : Tok::kBad;
    token_.hex = c == '0' && (next == 'x' || next == 'X');
  } else if (c == '"') {
    const std::size_t close = line_.find('"', at_ + 1);
    token_.kind = close == std::string_view::npos ? Tok::kBad : Tok::kText;
    token_.problem = "unclosed \"";
    end = close == std::string_view::npos ? line_.size() : close + 1;
  } else if (const char* misspelt = Misspelt(c, next)) {
    token_.kind = Tok::kBad;
    token_.problem = misspelt;
  } else {
    static const struct {
      const char* sign;
      Tok kind;
    } kSigns[] = {{"<>", Tok::kNe},   {"<=", Tok::kLe},     {">=", Tok::kGe},   {"<<", Tok::kShl},
                  {">>", Tok::kShr},  {"&&", Tok::kAndAnd}, {"||", Tok::kOrOr}, {"(", Tok::kOpen},
                  {")", Tok::kClose}, {",", Tok::kComma},   {"=", Tok::kEq},    {"<", Tok::kLt},
                  {">", Tok::kGt},    {"+", Tok::kPlus},    {"-", Tok::kMinus}, {"*", Tok::kStar},
                  {"/", Tok::kSlash}, {"!", Tok::kBang}};
    token_.kind = Tok::kBad;
    for (const auto& s : kSigns) {
      if (line_.substr(at_, std::char_traits<char>::length(s.sign)) != s.sign) continue;
      token_.kind = s.kind;
      end = at_ + std::char_traits<char>::length(s.sign);
      break;
    }
  }
  token_.end = end;
  at_ = end;
}

bool IsBadNumber(const Token& token, std::string_view text) {
  return token.kind == Tok::kBad && token.problem == nullptr && !text.empty() && text[0] >= '0' &&
         text[0] <= '9';
}

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

std::string BadNumber(std::string_view text) {
  std::int32_t value = 0;
  if (ParseNumber(text, &value)) return "";
  const std::string shown(text);
  const std::string_view digits = text.substr(text.front() == '-' ? 1 : 0);
  const bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
  const std::string_view after = digits.substr(hex ? 2 : 0);
  if (!after.empty() && after.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") ==
                            std::string_view::npos) {
    return "number out of range: " + shown +
           " (numbers run from -2147483648 to 4294967295, or 0xFFFFFFFF)";
  }
  if (!hex && after.find_first_of(".eE") != std::string_view::npos &&
      after.find_first_not_of("0123456789.eE+") == std::string_view::npos) {
    return "bad number: " + shown +
           " (whole numbers only, in decimal digits or 0x and hexadecimal)";
  }
  return "bad number: " + shown + " (decimal digits, or 0x and hexadecimal digits)";
}

}  // namespace refhost
