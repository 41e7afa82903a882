// The expressions of a line, read by precedence climbing and compiled as
// they are read into postfix code (script_program.h): no tree is built, so a
// chain of any length takes no stack, and nesting is bounded.
#include <algorithm>

#include "refhost/runner/script_parser.h"

namespace refhost {
namespace {

// The binary operators by level, from the loosest; unary operators are tighter still.
struct Binary {
  int level;
  Tok token;
  Keyword keyword;
  Op op;
};
constexpr int kComparisons = 4;
constexpr int kUnaryLevel = 8;
constexpr Binary kBinaries[] = {
    {0, Tok::kOrOr, Keyword::kNone, Op::kOrElse}, {1, Tok::kAndAnd, Keyword::kNone, Op::kAndThen},
    {2, Tok::kName, Keyword::kOr, Op::kOr},       {2, Tok::kName, Keyword::kXor, Op::kXor},
    {3, Tok::kName, Keyword::kAnd, Op::kAnd},     {4, Tok::kEq, Keyword::kNone, Op::kEq},
    {4, Tok::kNe, Keyword::kNone, Op::kNe},       {4, Tok::kLt, Keyword::kNone, Op::kLt},
    {4, Tok::kGt, Keyword::kNone, Op::kGt},       {4, Tok::kLe, Keyword::kNone, Op::kLe},
    {4, Tok::kGe, Keyword::kNone, Op::kGe},       {5, Tok::kShl, Keyword::kNone, Op::kShl},
    {5, Tok::kShr, Keyword::kNone, Op::kShr},     {6, Tok::kPlus, Keyword::kNone, Op::kAdd},
    {6, Tok::kMinus, Keyword::kNone, Op::kSub},   {7, Tok::kStar, Keyword::kNone, Op::kMul},
    {7, Tok::kSlash, Keyword::kNone, Op::kDiv},   {7, Tok::kName, Keyword::kMod, Op::kMod},
};

const Binary* BinaryAt(int level, const Token& t) {
  for (const Binary& b : kBinaries) {
    if (b.level == level && b.token == t.kind && b.keyword == t.keyword) return &b;
  }
  return nullptr;
}

}  // namespace

bool LineParser::IsBinaryOperator(const Token& t) {
  for (int level = 0; level < kUnaryLevel; ++level) {
    if (BinaryAt(level, t)) return true;
  }
  return false;
}

void LineParser::Emit(Op op, std::int32_t operand, bool pixel) {
  program_.code.push_back(Operation{op, pixel, operand});
  if (op == Op::kConst || op == Op::kVar) {
    ++stack_;
  } else if ((op >= Op::kAdd && op <= Op::kGe) || op == Op::kAndThen || op == Op::kOrElse) {
    --stack_;
  }
  program_.stackDepth = std::max(program_.stackDepth, static_cast<std::uint32_t>(stack_));
}

LineParser::Info LineParser::ParseExpression(std::size_t depth) {
  return ParseLevel(0, depth);
}

LineParser::Info LineParser::ParseLevel(int level, std::size_t depth) {
  if (level == kUnaryLevel) return ParseUnary(depth);
  Info left = ParseLevel(level + 1, depth);
  while (!left.failed) {
    const Binary* b = BinaryAt(level, lexer_.Peek());
    if (b == nullptr) break;
    const Token sign = lexer_.Take();
    std::size_t jump = 0;
    if (b->op == Op::kAndThen || b->op == Op::kOrElse) {
      jump = program_.code.size();
      Emit(b->op);
    }
    const Info right = ParseLevel(level + 1, depth);
    if (right.failed) return right;
    if (b->op == Op::kAndThen || b->op == Op::kOrElse) {
      Emit(Op::kToBool);
      program_.code[jump].operand = static_cast<std::int32_t>(program_.code.size());
    } else {
      const bool fails =
          b->op == Op::kDiv || b->op == Op::kMod || b->op == Op::kShl || b->op == Op::kShr;
      Emit(b->op, fails ? static_cast<std::int32_t>(Column(sign.start)) : 0);
    }
    // "and", "or" and "xor" of two 1-or-0 values give 1 or 0 too.
    left.logical = level <= 1 || level == kComparisons || (left.logical && right.logical);
    if (level == kComparisons && BinaryAt(level, lexer_.Peek()) != nullptr) {
      Refuse(lexer_.Peek().start,
             "comparisons do not chain (\"a < b < c\" compares a 1 or 0 with c): write "
             "\"a < b and b < c\"");
      left.failed = true;
    }
  }
  return left;
}

LineParser::Info LineParser::ParseUnary(std::size_t depth) {
  const Token t = lexer_.Peek();
  if (depth >= kMostExpressionDepth) {
    Refuse(t.start, "an expression nests " + std::to_string(kMostExpressionDepth) +
                        " deep at most (brackets, signs and commands inside one another)");
    return Info{false, true};
  }
  if (t.kind == Tok::kMinus) {
    lexer_.Take();
    const Token& n = lexer_.Peek();
    const std::string_view digits = lexer_.TextOf(n);
    if (n.kind == Tok::kNumber || IsBadNumber(n, digits)) {
      // A literal with its sign: -2147483648 is a number, -4294967295 too large.
      std::int32_t value = 0;
      const std::string literal = "-" + std::string(digits);
      if (!ParseNumber(literal, &value)) {
        Refuse(t.start, BadNumber(literal));
        return Info{false, true};
      }
      Emit(Op::kConst, value, n.hex);
      lexer_.Take();
      return Info{};
    }
    const Info inner = ParseUnary(depth + 1);
    if (!inner.failed) Emit(Op::kNeg);
    return Info{false, inner.failed};
  }
  if (t.kind == Tok::kBang || (t.kind == Tok::kName && t.keyword == Keyword::kNot)) {
    lexer_.Take();
    const Info inner = ParseUnary(depth + 1);
    if (inner.failed) return inner;
    if (t.kind == Tok::kBang) {
      Emit(Op::kLogicalNot);
      return Info{true, false};
    }
    if (inner.logical) {
      Refuse(t.start,
             "\"not\" flips every bit, so not of a comparison is -1 or -2, never 0: write "
             "\"!(...)\"");
    }
    Emit(Op::kComplement);
    return Info{};
  }
  return ParsePrimary(depth);
}

LineParser::Info LineParser::ParsePrimary(std::size_t depth) {
  const Token t = lexer_.Peek();
  const Info failed{false, true};
  switch (t.kind) {
    case Tok::kNumber:
      lexer_.Take();
      Emit(Op::kConst, t.number, t.hex);
      return Info{};
    case Tok::kOpen: {
      lexer_.Take();
      const Info inner = ParseLevel(0, depth + 1);
      if (inner.failed) return inner;
      if (lexer_.Peek().kind != Tok::kClose) {
        Refuse(lexer_.Peek().start, "missing \")\"");
        return failed;
      }
      lexer_.Take();
      return inner;
    }
    case Tok::kName: {
      const std::string_view name = lexer_.TextOf(t);
      if (t.keyword != Keyword::kNone) {
        Refuse(t.start, "\"" + std::string(name) + "\" is a keyword of the language, not a value");
        return failed;
      }
      std::size_t end = 0;
      if (const std::string* command = CommandAt(t.start, false, &end)) {
        return ParseCall(*command, t.start, end, depth);
      }
      lexer_.Take();
      if (IsCommandWord(name) && lexer_.Peek().kind == Tok::kName &&
          lexer_.Peek().keyword == Keyword::kNone) {
        Unknown(t.start);
        return failed;
      }
      const std::int32_t slot = variables_.Slot(name);
      pendingReads_.emplace_back(slot, Column(t.start));
      Emit(Op::kVar, slot);
      return Info{};
    }
    case Tok::kText:
      Refuse(t.start, std::string(lexer_.TextOf(t)) + " where a number belongs");
      return failed;
    default:
      if (t.kind == Tok::kBad) {
        Unexpected(t, "");
      } else if (t.kind == Tok::kEnd) {
        Refuse(t.start, "a value is missing at the end of the line");
      } else {
        Refuse(t.start, "a value is missing before \"" + std::string(lexer_.TextOf(t)) + "\"");
      }
      return failed;
  }
}

LineParser::Info LineParser::ParseCall(const std::string& name, std::size_t start,
                                       std::size_t nameEnd, std::size_t depth) {
  lexer_.Restart(nameEnd);
  calls_ = true;
  std::size_t argc = 0;
  if (lexer_.Peek().kind == Tok::kOpen) {
    lexer_.Take();
    while (lexer_.Peek().kind != Tok::kClose) {
      if (argc > 0) {
        if (lexer_.Peek().kind != Tok::kComma) {
          Unexpected(lexer_.Peek(), "\",\" or \")\"");
          return Info{false, true};
        }
        lexer_.Take();
      }
      const Info arg = ParseLevel(0, depth + 1);
      if (arg.failed) return arg;
      ++argc;
    }
    lexer_.Take();
  }
  const std::int32_t site = CallSiteOf(name, argc, true, start, "compute with");
  program_.code.push_back(Operation{Op::kCall, false, site});
  stack_ = stack_ + 1 - argc;
  program_.stackDepth = std::max(program_.stackDepth, static_cast<std::uint32_t>(stack_));
  return Info{};
}

}  // namespace refhost
