#include "refhost/runner/script_parser.h"

#include <algorithm>

#include "refhost/runner/command_parameters.h"
#include "refhost/runner/directives.h"
#include "refhost/runner/nearest_name.h"
#include "refhost/runner/notes.h"
#include "refhost/runner/runner_text.h"

namespace refhost {
namespace {

// The end of command name `name` written at byte `at` of `line`, letters in
// any case and any run of blanks (spaces, tabs) where the name has one; 0
// when the line does not hold it there.
std::size_t NameEnd(std::string_view line, std::size_t at, const std::string& name) {
  for (char c : name) {
    if (c == ' ') {
      if (at >= line.size() || !IsBlank(line[at])) return 0;
      while (at < line.size() && IsBlank(line[at])) ++at;
    } else if (at < line.size() && SameNameIgnoringCase(line.substr(at, 1), {&c, 1})) {
      ++at;
    } else {
      return 0;
    }
  }
  return at;
}

bool StartsValue(const Token& t) {
  return t.kind == Tok::kNumber || t.kind == Tok::kText || t.kind == Tok::kOpen ||
         (t.kind == Tok::kName && t.keyword == Keyword::kNone);
}

std::string FirstWord(const std::string& name) {
  return name.substr(0, name.find(' '));
}

}  // namespace

std::string ArgumentCounts(const CommandSet& commands, const std::string& name, std::size_t given) {
  std::string counts, differs;
  for (const PluginCommand& command : commands.Commands()) {
    if (!SameNameIgnoringCase(command.row.scriptName, name)) continue;
    const std::size_t count = command.row.ParamCount();
    const std::string params = count == 0 ? "" : " (" + ParameterList(command.row) + ")";
    if (counts.empty()) {
      counts = count == 0 ? "no arguments" : Plural(count, "argument") + params;
    } else {
      counts += " or " + std::to_string(count) + params;
    }
    const std::string difference = HintDifference(command.row);
    if (!difference.empty()) differs += "; " + difference;
  }
  return name + " takes " + counts + ", not " + std::to_string(given) + differs;
}

LineParser::LineParser(const CommandSet& commands, Program* program, Variables* variables,
                       std::vector<VariableRead>* reads, Mistakes* mistakes)
    : commands_(commands),
      program_(*program),
      variables_(*variables),
      reads_(*reads),
      mistakes_(*mistakes) {
  for (const PluginCommand& command : commands_.Commands()) {
    if (std::find(names_.begin(), names_.end(), command.row.scriptName) == names_.end()) {
      names_.push_back(command.row.scriptName);
    }
  }
  for (const std::string& name : names_) {
    const std::string first = FirstWord(name);
    if (std::find(firstWords_.begin(), firstWords_.end(), first) == firstWords_.end()) {
      firstWords_.push_back(first);
    }
  }
  startWords_ = names_;
  for (const Directive& d : Directives()) startWords_.push_back(d.word);
  for (Keyword k :
       {Keyword::kFor, Keyword::kNext, Keyword::kWhile, Keyword::kEndWhile, Keyword::kIf,
        Keyword::kElseIf, Keyword::kElse, Keyword::kEndIf, Keyword::kExit}) {
    startWords_.push_back(KeywordName(k));
  }
  callOfCommand_.assign(commands_.Commands().size(), -1);
}

bool LineParser::Parse(std::uint32_t number, std::size_t offset, std::size_t length,
                       Statement* statement) {
  Statement& s = *statement;
  s.kind = LineKind::kEmpty;
  s.variable.clear();
  s.call = s.directive = s.valueCall = -1;
  s.args.clear();
  s.argColumns.clear();
  s.callsCommands = false;
  number_ = number;
  line_ = std::string_view(program_.text).substr(offset, length);
  lexer_ = Lexer(line_);
  columnAt_ = 0;
  column_ = 1;
  failed_ = false;
  pendingReads_.clear();
  const std::size_t code = program_.code.size(), texts = program_.texts.size();
  const std::string_view text = lexer_.Code();
  s.codeStart = offset + static_cast<std::size_t>(text.data() - line_.data());
  s.codeLength = text.size();
  ParseStatement(&s);
  if (failed_) {
    program_.code.resize(code);
    program_.texts.resize(texts);
    return false;
  }
  for (const auto& [slot, column] : pendingReads_) {
    if (reads_.size() <= static_cast<std::size_t>(slot)) reads_.resize(slot + 1);
    if (reads_[slot].line == 0) reads_[slot] = VariableRead{number_, column};
  }
  return true;
}

std::size_t LineParser::Column(std::size_t at) {
  const auto starts = [this](std::size_t i) {  // a byte that starts a character
    return (static_cast<unsigned char>(line_[i]) & 0xC0) != 0x80;
  };
  for (; columnAt_ < at && columnAt_ < line_.size(); ++columnAt_) column_ += starts(columnAt_);
  for (; columnAt_ > at; --columnAt_) column_ -= starts(columnAt_ - 1);
  return column_;
}

void LineParser::Refuse(std::size_t at, const std::string& message) {
  failed_ = true;
  mistakes_.Add(number_, Column(at), message);
}

bool LineParser::Unknown(std::size_t at) {
  const std::size_t column = Column(at);
  failed_ = true;
  if (!mistakes_.WouldShow(number_, column)) {
    mistakes_.Add(number_, column, "");
    return false;
  }
  const std::string_view code = lexer_.Code();
  const std::string_view rest = line_.substr(at, code.data() + code.size() - (line_.data() + at));
  const std::string nearest = NearestName(rest, startWords_);
  const std::string_view word = rest.substr(0, std::min(rest.find_first_of(" \t("), rest.size()));
  mistakes_.Add(number_, column,
                (IsCommandWord(word) ? "unknown command: " : "unknown command or directive: ") +
                    std::string(rest) +
                    (nearest.empty() ? "" : "; did you mean \"" + nearest + "\"?"));
  return false;
}

bool LineParser::Unexpected(const Token& token, const char* wanted) {
  const std::string text(lexer_.TextOf(token));
  if (token.kind == Tok::kBad) {
    Refuse(token.start, token.problem != nullptr ? token.problem
                        : IsBadNumber(token, text)
                            ? BadNumber(text)
                            : "\"" + text + "\" is not a sign the language uses");
  } else if (token.kind == Tok::kEnd) {
    Refuse(token.start, std::string(wanted) + " is missing at the end of the line");
  } else {
    Refuse(token.start, "\"" + text + "\" where " + wanted + " belongs");
  }
  return false;
}

bool LineParser::ExpectEnd(const char* after) {
  if (lexer_.Peek().kind == Tok::kEnd) return true;
  const Token& t = lexer_.Peek();
  if (t.kind == Tok::kBad) return Unexpected(t, "");
  Refuse(t.start,
         "\"" +
             std::string(lexer_.Line().substr(
                 t.start, lexer_.Code().data() + lexer_.Code().size() - (line_.data() + t.start))) +
             "\" after " + after + ": a line holds one statement");
  return false;
}

const std::string* LineParser::CommandAt(std::size_t at, bool statement, std::size_t* end) const {
  const std::string* best = nullptr;
  for (const std::string& name : names_) {
    if (best != nullptr && name.size() <= best->size()) continue;
    const std::size_t after = NameEnd(line_, at, name);
    if (after == 0) continue;
    if (after < line_.size()) {
      const char c = line_[after];
      if (statement ? !(IsBlank(c) || c == '(') : IsNameChar(c)) continue;
    }
    best = &name;
    *end = after;
  }
  return best;
}

bool LineParser::IsCommandWord(std::string_view word) const {
  for (const std::string& first : firstWords_) {
    if (SameNameIgnoringCase(word, first)) return true;
  }
  return false;
}

bool LineParser::IsDirectiveWord(std::string_view word) const {
  return FindDirective(word) != nullptr;
}

std::int32_t LineParser::CallSiteOf(const std::string& name, std::size_t argc, bool needsResult,
                                    std::size_t at, const char* purpose) {
  const PluginCommand* command = commands_.Find(name, argc);
  if (command == nullptr) {
    Refuse(at, ArgumentCounts(commands_, name, argc));
    return -1;
  }
  if (needsResult && !command->row.returnsValue) {
    Refuse(at, name + " returns no value to " + purpose);
    return -1;
  }
  const auto index = static_cast<std::size_t>(command - commands_.Commands().data());
  if (callOfCommand_[index] < 0) {
    callOfCommand_[index] = static_cast<std::int32_t>(program_.calls.size());
    const NoteRule* rule = NoteRuleOf(command->row.exportName);
    program_.calls.push_back(CallSite{command, MeaningOf(command->row.exportName), rule,
                                      rule != nullptr ? QuietCheckOf(*rule) : nullptr});
  }
  return callOfCommand_[index];
}

bool LineParser::ParseStatement(Statement* s) {
  const Token first = lexer_.Peek();
  if (first.kind == Tok::kEnd) return true;
  s->column = Column(first.start);
  if (first.kind != Tok::kName) return Unknown(first.start);
  const std::string_view word = lexer_.TextOf(first);
  lexer_.Take();
  const bool assigns = lexer_.Peek().kind == Tok::kEq;
  if (first.keyword != Keyword::kNone) {
    if (assigns) {
      Refuse(first.start, "\"" + std::string(word) +
                              "\" is a keyword of the language: a variable needs another name");
      return false;
    }
    lexer_.Restart(first.start);
    return ParseKeywordStatement(s);
  }
  if (assigns) {
    s->variable = std::string(word);
    s->variableColumn = s->column;
    lexer_.Take();
    return ParseRightSide(s);
  }
  lexer_.Restart(first.start);
  std::size_t end = 0;
  if (CommandAt(first.start, true, &end) != nullptr) {
    return ParseCommandStatement(*CommandAt(first.start, true, &end), first.start, end, s);
  }
  if (IsDirectiveWord(word)) return ParseDirective(first, s);
  return Unknown(first.start);
}

bool LineParser::ParseKeywordStatement(Statement* s) {
  const Token word = lexer_.Take();
  Arg condition;
  switch (word.keyword) {
    case Keyword::kFor:
      return ParseFor(s);
    case Keyword::kNext:
      s->kind = LineKind::kNext;
      if (lexer_.Peek().kind == Tok::kName && lexer_.Peek().keyword == Keyword::kNone) {
        const Token name = lexer_.Take();
        s->variable = std::string(lexer_.TextOf(name));
        s->variableColumn = Column(name.start);
      }
      return ExpectEnd("next");
    case Keyword::kWhile:
    case Keyword::kIf:
    case Keyword::kElseIf:
      s->kind = word.keyword == Keyword::kWhile ? LineKind::kWhile
                : word.keyword == Keyword::kIf  ? LineKind::kIf
                                                : LineKind::kElseIf;
      s->argColumns.push_back(Column(lexer_.Peek().start));
      if (!ParseValue(s, &condition)) return false;
      s->args.push_back(condition);
      return ExpectEnd("the condition");
    case Keyword::kEndWhile:
    case Keyword::kElse:
    case Keyword::kEndIf:
    case Keyword::kExit:
      s->kind = word.keyword == Keyword::kEndWhile ? LineKind::kEndWhile
                : word.keyword == Keyword::kElse   ? LineKind::kElse
                : word.keyword == Keyword::kEndIf  ? LineKind::kEndIf
                                                   : LineKind::kExit;
      return ExpectEnd(KeywordName(word.keyword));
    default:
      return Unknown(word.start);
  }
}

bool LineParser::ParseFor(Statement* s) {
  s->kind = LineKind::kFor;
  const Token name = lexer_.Peek();
  if (name.kind != Tok::kName || name.keyword != Keyword::kNone) {
    Refuse(name.start, "a for names its variable: for V = A to B [step S]");
    return false;
  }
  s->variable = std::string(lexer_.TextOf(name));
  s->variableColumn = Column(name.start);
  lexer_.Take();
  if (lexer_.Peek().kind != Tok::kEq) return Unexpected(lexer_.Peek(), "\"=\"");
  lexer_.Take();
  for (const Keyword before : {Keyword::kNone, Keyword::kTo, Keyword::kStep}) {
    if (before != Keyword::kNone) {
      const Token& t = lexer_.Peek();
      if (t.kind != Tok::kName || t.keyword != before) {
        if (before == Keyword::kStep && t.kind == Tok::kEnd) {
          s->args.push_back(Arg{Arg::Kind::kConst, false, 1});
          s->argColumns.push_back(0);
          break;
        }
        return Unexpected(t, before == Keyword::kTo ? "\"to\"" : "\"step\" or the end of the line");
      }
      lexer_.Take();
    }
    Arg value;
    s->argColumns.push_back(Column(lexer_.Peek().start));
    if (!ParseValue(s, &value)) return false;
    s->args.push_back(value);
  }
  return ExpectEnd("the step");
}

bool LineParser::ParseRightSide(Statement* s) {
  const Token t = lexer_.Peek();
  if (t.kind == Tok::kName && t.keyword == Keyword::kNone) {
    std::size_t end = 0;
    if (const std::string* name = CommandAt(t.start, false, &end)) {
      bool takesArguments = false;
      for (const PluginCommand& c : commands_.Commands()) {
        takesArguments = takesArguments || (c.row.scriptName == *name && c.row.ParamCount() > 0);
      }
      lexer_.Restart(end);
      const Tok after = lexer_.Peek().kind;
      lexer_.Restart(t.start);
      if (takesArguments && after != Tok::kOpen)
        return ParseCommandStatement(*name, t.start, end, s);
    } else if (IsDirectiveWord(lexer_.TextOf(t)) && t.end < line_.size() && IsBlank(line_[t.end])) {
      lexer_.Take();
      const Token& next = lexer_.Peek();
      const bool directive = next.kind != Tok::kEnd && next.kind != Tok::kComma &&
                             next.kind != Tok::kClose && !IsBinaryOperator(next);
      lexer_.Restart(t.start);
      if (directive) return ParseDirective(t, s);
    }
  }
  s->kind = LineKind::kAssign;
  Arg value;
  s->argColumns.push_back(Column(t.start));
  if (!ParseValue(s, &value)) return false;
  s->args.push_back(value);
  if (value.kind == Arg::Kind::kVar && StartsValue(lexer_.Peek())) return Unknown(t.start);
  if (!ExpectEnd("the value") || failed_) return false;
  // "V = COMMAND(...)": the line says what the command gave; with plain
  // arguments it runs as a command statement does, without code.
  const std::size_t start = value.kind == Arg::Kind::kCode ? value.value : 0;
  if (value.kind != Arg::Kind::kCode || program_.code[program_.code.size() - 2].op != Op::kCall) {
    return true;
  }
  s->valueCall = program_.code[program_.code.size() - 2].operand;
  const std::size_t argc = program_.code.size() - 2 - start;
  for (std::size_t i = start; i < start + argc; ++i) {
    if (program_.code[i].op != Op::kConst && program_.code[i].op != Op::kVar) return true;
  }
  s->kind = LineKind::kCommand;
  s->call = s->valueCall;
  s->args.clear();
  for (std::size_t i = start; i < start + argc; ++i) {
    const Operation& o = program_.code[i];
    s->args.push_back(
        Arg{o.op == Op::kConst ? Arg::Kind::kConst : Arg::Kind::kVar, o.pixel, o.operand});
  }
  s->argColumns.assign(argc, s->argColumns[0]);
  program_.code.resize(start);
  return true;
}

bool LineParser::ParseCommandStatement(const std::string& name, std::size_t nameStart,
                                       std::size_t nameEnd, Statement* s) {
  s->kind = LineKind::kCommand;
  s->callsCommands = true;
  lexer_.Restart(nameEnd);
  // "(...)" holds the arguments when its ")" ends the line.
  bool bracketed = false;
  if (lexer_.Peek().kind == Tok::kOpen) {
    Lexer ahead(line_);
    ahead.Restart(lexer_.Peek().end);
    int depth = 1;
    while (depth > 0 && ahead.Peek().kind != Tok::kEnd) {
      const Tok k = ahead.Take().kind;
      depth += k == Tok::kOpen ? 1 : k == Tok::kClose ? -1 : 0;
      bracketed = depth == 0 && ahead.Peek().kind == Tok::kEnd;
    }
    if (depth > 0) {
      Refuse(ahead.Peek().start, "missing \")\": the \"(\" after " + name + " is never closed");
      return false;
    }
  }
  if (bracketed) lexer_.Take();
  if (!ParseArguments(bracketed ? Tok::kClose : Tok::kEnd, true, s)) return false;
  if (bracketed) lexer_.Take();
  s->call = CallSiteOf(name, s->args.size(), !s->variable.empty(), nameStart, "keep");
  if (s->call < 0) return false;
  const CommandRow& row = program_.calls[s->call].command->row;
  if (row.returnsValue) s->valueCall = s->call;
  for (std::size_t i = 0; i < s->args.size(); ++i) {
    if (s->args[i].kind != Arg::Kind::kText) continue;
    failed_ = true;
    mistakes_.Add(number_, s->argColumns[i],
                  "\"" + program_.texts[s->args[i].value] + "\" where a number belongs (" + name +
                      " takes " + ParameterList(row) + ")");
  }
  return !failed_;
}

bool LineParser::ParseDirective(const Token& word, Statement* s) {
  s->kind = LineKind::kDirective;
  const std::string_view text = lexer_.TextOf(word);
  const Directive* d = FindDirective(text);
  s->directive = static_cast<std::int32_t>(d - Directives().data());
  if (word.end < line_.size() && !IsBlank(line_[word.end]) && line_[word.end] != '#') {
    Refuse(word.start, "bad directive: " + std::string(lexer_.Code()));
    return false;
  }
  lexer_.Restart(word.end);
  if (!ParseArguments(Tok::kEnd, true, s, d)) return false;
  std::vector<DirectiveArgument> args;
  for (const Arg& a : s->args) {
    args.push_back(DirectiveArgument{a.kind == Arg::Kind::kText,
                                     a.kind == Arg::Kind::kText ? program_.texts[a.value] : ""});
  }
  const std::string wrong = CheckDirective(d->word, !s->variable.empty(), args);
  if (!wrong.empty()) {
    Refuse(word.start, wrong);
    return false;
  }
  if (std::string_view(d->word) != "call") return true;
  s->callsCommands = true;
  const std::string& name = args[0].text;
  const std::size_t at = lexer_.Line().find('"', word.end);
  if (name == kLoadHookExport || name == kUnloadHookExport) {
    Refuse(at, std::string("the runner calls the load hook ") + kLoadHookExport +
                   " before line 1 and the unload hook " + kUnloadHookExport +
                   " after the last line, as the host does; a script does not call them "
                   "(MBC Initialized retries the binding)");
  } else if (commands_.Export(name) == nullptr) {
    std::vector<std::string> exports = {"PrepareMeshMemblock"};
    for (const PluginCommand& command : commands_.Commands()) {
      exports.push_back(command.row.exportName);
    }
    const std::string nearest = NearestName(name, exports);
    Refuse(at, "the plug-in has no export " + name +
                   (nearest.empty() ? "" : "; did you mean " + nearest + "?"));
  }
  return !failed_;
}

std::string_view LineParser::BareFileName(std::size_t at) const {
  const std::string_view code = lexer_.Code();
  const std::size_t end = static_cast<std::size_t>(code.data() + code.size() - line_.data());
  std::string_view bare = line_.substr(at, std::min(line_.find(',', at), end) - at);
  while (!bare.empty() && IsBlank(bare.back())) bare.remove_suffix(1);
  const std::size_t dot = bare.rfind('.');
  const bool named =
      bare.find_first_of("/\\") != std::string_view::npos ||
      (dot != std::string_view::npos && dot + 1 < bare.size() && IsNameStart(bare[dot + 1]));
  return named && bare.find_first_of(" \t\"()") == std::string_view::npos ? bare
                                                                          : std::string_view();
}

bool LineParser::ParseArguments(Tok closer, bool texts, Statement* s, const Directive* directive) {
  if (lexer_.Peek().kind == closer) return true;
  for (;;) {
    const std::size_t at = lexer_.Peek().start;
    if (directive != nullptr && lexer_.Peek().kind != Tok::kText &&
        IsFileArgument(*directive, s->args.size()) && !BareFileName(at).empty()) {
      Refuse(at, "a file name stands in quotes: \"" + std::string(BareFileName(at)) + "\"");
      return false;
    }
    Arg arg;
    if (texts && lexer_.Peek().kind == Tok::kText) {
      const Token t = lexer_.Take();
      arg = Arg{Arg::Kind::kText, false, static_cast<std::int32_t>(program_.texts.size())};
      program_.texts.emplace_back(line_.substr(t.start + 1, t.end - t.start - 2));
    } else if (!ParseValue(s, &arg)) {
      return false;
    }
    s->args.push_back(arg);
    s->argColumns.push_back(Column(at));
    const Token& t = lexer_.Peek();
    if (t.kind == Tok::kComma) {
      lexer_.Take();
      continue;
    }
    if (t.kind == closer) return true;
    if (!StartsValue(t)) return Unexpected(t, closer == Tok::kEnd ? "\",\"" : "\",\" or \")\"");
    // The argument as far as the next comma: "img 0 0 3" is one argument too many words.
    Lexer ahead(line_);
    ahead.Restart(at);
    std::size_t end = at;
    for (int depth = 0; ahead.Peek().kind != Tok::kEnd; end = ahead.Take().end) {
      const Tok k = ahead.Peek().kind;
      if (depth == 0 && (k == Tok::kComma || k == Tok::kClose)) break;
      depth += k == Tok::kOpen ? 1 : k == Tok::kClose ? -1 : 0;
    }
    Refuse(at, "\"" + std::string(line_.substr(at, end - at)) +
                   "\" is not one value: arguments are separated by commas");
    return false;
  }
}

bool LineParser::ParseValue(Statement* s, Arg* arg) {
  const std::size_t start = program_.code.size();
  stack_ = 0;
  calls_ = false;
  if (ParseExpression(0).failed) return false;
  s->callsCommands = s->callsCommands || calls_;
  const Operation last = program_.code.back();
  if (program_.code.size() == start + 1 && (last.op == Op::kConst || last.op == Op::kVar)) {
    *arg =
        Arg{last.op == Op::kConst ? Arg::Kind::kConst : Arg::Kind::kVar, last.pixel, last.operand};
    program_.code.resize(start);
    return true;
  }
  Emit(Op::kEnd);
  *arg = Arg{Arg::Kind::kCode, false, static_cast<std::int32_t>(start)};
  return true;
}

}  // namespace refhost
