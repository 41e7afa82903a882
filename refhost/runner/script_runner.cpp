#include "refhost/runner/script_runner.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "refhost/runner/export_call.h"
#include "refhost/runner/file_access.h"
#include "refhost/runner/file_names.h"
#include "refhost/runner/nearest_name.h"
#include "refhost/runner/runner_text.h"
#include "refhost/runner/script_text.h"

namespace refhost {
namespace {

// What a command's result means, by its export: shown in hexadecimal, or a
// memblock that should now exist. Every other result is a plain number.
enum class Meaning { kNumber, kPixel, kMadeMemblock };

Meaning MeaningOf(const std::string& exportName) {
  static const struct {
    const char* exportName;
    Meaning meaning;
  } kMeanings[] = {
      {"IMGetPixel", Meaning::kPixel},
      {"MBC_DynamicMake", Meaning::kMadeMemblock},
      {"MBC_CloneMemblock", Meaning::kMadeMemblock},
      {"MBC_DynamicMakeFromArray", Meaning::kMadeMemblock},
      {"MBC_DynamicMakeFromBitmap", Meaning::kMadeMemblock},
      {"MBC_DynamicMakeFromImage", Meaning::kMadeMemblock},
      {"MBC_DynamicMakeFromMesh", Meaning::kMadeMemblock},
      {"MBC_DynamicMakeFromSound", Meaning::kMadeMemblock},
      {"MakeMemblockImage", Meaning::kMadeMemblock},
      {"IMStretch2", Meaning::kMadeMemblock},
      {"PrepareMeshMemblock", Meaning::kMadeMemblock},
  };
  for (const auto& m : kMeanings) {
    if (exportName == m.exportName) return m.meaning;
  }
  return Meaning::kNumber;
}

// The line without its comment and surrounding blanks, as it is echoed.
std::string Code(std::string_view line) {
  std::string code(line.substr(0, line.find('#')));
  const auto notBlank = [](char c) { return c != ' ' && c != '\t' && c != '\r'; };
  code.erase(code.begin(), std::find_if(code.begin(), code.end(), notBlank));
  code.erase(std::find_if(code.rbegin(), code.rend(), notBlank).base(), code.end());
  return Escaped(code);
}

// "MBC Box takes 7 arguments (Memblock Number, ...), not 6".
std::string ArgumentCounts(const CommandSet& plugin, const std::string& name, std::size_t given) {
  std::string counts;
  for (const PluginCommand& command : plugin.Commands()) {
    if (!SameNameIgnoringCase(command.row.scriptName, name)) continue;
    const std::size_t count = command.row.ParamCount();
    const std::string hint = count == 0 ? "" : " (" + command.row.hint + ")";
    if (counts.empty()) {
      counts = count == 0 ? "no arguments" : Plural(count, "argument") + hint;
    } else {
      counts += " or " + std::to_string(count) + hint;
    }
  }
  return name + " takes " + counts + ", not " + std::to_string(given);
}

}  // namespace

ScriptRunner::ScriptRunner(const CommandSet& plugin, const CompanionClient* host,
                           RunnerOptions options, std::ostream& out)
    : plugin_(plugin),
      host_(host),
      options_(std::move(options)),
      out_(out),
      budget_(options_.maxHostCalls, options_.maxRunHostCalls) {
  for (const PluginCommand& command : plugin_.Commands()) {
    commandNames_.push_back(command.row.scriptName);
  }
}

RunResult ScriptRunner::Run(std::istream& script) {
  std::string text;
  {
    const std::string bytes{std::istreambuf_iterator<char>(script),
                            std::istreambuf_iterator<char>()};
    if (!DecodeScript(bytes, &text, &error_)) {
      out_ << error_ << "\n";
      return kRunScriptError;
    }
  }
  if (!SetUpFiles(text)) {
    out_ << Escaped(error_) << "\n";
    return kRunSetUpFailed;
  }
  const std::vector<std::string> directives = DirectiveWords();
  ScriptLines lines(text);
  for (std::string_view line; lines.Next(&line);) {
    ++lineNumber_;
    const ParsedLine parsed = ParseScriptLine(line, commandNames_, directives);
    if (!parsed.ok) error_ = parsed.error;
    if (!parsed.ok || !Execute(parsed.statement, Code(line))) {
      out_ << "line " << lineNumber_ << ": " << Escaped(error_) << "\n";
      return kRunScriptError;
    }
  }
  if (!goldensWritten_.empty()) {
    out_ << Plural(goldensWritten_.size(), "golden file") << " written:\n";
    for (const std::string& file : goldensWritten_) out_ << "  " << Escaped(file) << "\n";
    goldensWritten_.clear();
  }
  if (failures_ != 0) {
    out_ << Plural(failures_, "expectation") << " failed\n";
    return kRunExpectFailed;
  }
  return kRunPassed;
}

bool ScriptRunner::SetUpFiles(std::string_view text) {
  bool made = false;
  if (!OpenFolder(options_.scriptFolder, false, &scriptFolder_, &made, &error_)) {
    error_ = "no script folder: " + error_;
    return false;
  }
  if (!OpenFolder(options_.outputFolder, true, &outputFolder_, &made, &error_)) {
    error_ = "no output folder: " + error_;
    return false;
  }
  if (made) out_ << "output folder " << Escaped(outputFolder_.full) << " made\n";
  if (!options_.script.empty()) {
    guard_.Protect(options_.script, GoldenGuard::Role::kScript);
  }
  // Every line that names a PNG file to read or a golden file, wherever it
  // stands: a save may come before the line that names its file.
  ScriptLines lines(text);
  int number = lineNumber_;
  for (std::string_view line; lines.Next(&line);) {
    ++number;
    if (line.find("image") == std::string::npos && line.find("bitmap") == std::string::npos) {
      continue;
    }
    const ParsedLine parsed =
        ParseScriptLine(line, commandNames_, {"expect_image", "image", "bitmap"});
    const Statement& s = parsed.statement;
    if (!parsed.ok || s.kind != Statement::Kind::Directive || s.args.size() != 2 ||
        s.args[1].kind != Operand::Kind::Text || !CheckDirective(s).empty()) {
      continue;
    }
    const bool golden = s.name == "expect_image";
    guard_.Protect(scriptFolder_, s.args[1].text,
                   golden ? GoldenGuard::Role::kGolden : GoldenGuard::Role::kInput, number, s.name);
  }
  return true;
}

bool ScriptRunner::Execute(const Statement& statement, const std::string& source) {
  switch (statement.kind) {
    case Statement::Kind::Empty:
      return true;
    case Statement::Kind::Command:
      return RunCommand(statement, source);
    case Statement::Kind::Directive:
      error_ = CheckDirective(statement);
      return error_.empty() && RunDirective(statement, source);
    case Statement::Kind::Assign: {
      std::vector<std::int32_t> value;
      if (!Values(statement.args, &value)) return false;
      Keep(statement.target, value[0], IsPixel(statement.args[0]));
      return true;
    }
  }
  return false;
}

// The values of the statement's number and variable arguments, in order;
// texts are passed over.
bool ScriptRunner::Values(const std::vector<Operand>& args, std::vector<std::int32_t>* out) {
  for (const Operand& arg : args) {
    if (arg.kind == Operand::Kind::Number) out->push_back(arg.number);
    if (arg.kind != Operand::Kind::Variable) continue;
    const auto found = variables_.find(arg.text);
    if (found == variables_.end()) {
      std::vector<std::string> names;
      for (const auto& variable : variables_) names.push_back(variable.first);
      const std::string nearest = NearestName(arg.text, names);
      error_ = "unknown variable " + arg.text +
               (nearest.empty() ? " (a variable is made by \"NAME = ...\")"
                                : "; did you mean " + nearest + "?");
      return false;
    }
    out->push_back(found->second);
  }
  return true;
}

bool ScriptRunner::IsPixel(const Operand& arg) const {
  return arg.kind == Operand::Kind::Number ? arg.hex : pixelVariables_.count(arg.text) != 0;
}

void ScriptRunner::Keep(const std::string& variable, std::int32_t value, bool pixel) {
  if (variable.empty()) return;
  variables_[variable] = value;
  if (pixel) {
    pixelVariables_.insert(variable);
  } else {
    pixelVariables_.erase(variable);
  }
}

bool ScriptRunner::RunCommand(const Statement& statement, const std::string& source) {
  const PluginCommand* command = plugin_.Find(statement.name, statement.args.size());
  if (command == nullptr) {
    error_ = ArgumentCounts(plugin_, statement.name, statement.args.size());
    return false;
  }
  if (!statement.target.empty() && !command->row.returnsValue) {
    error_ = statement.name + " returns no value to keep";
    return false;
  }
  for (const Operand& arg : statement.args) {
    if (arg.kind == Operand::Kind::Text) {
      error_ = "\"" + arg.text + "\" where a number belongs (" + statement.name + " takes " +
               command->row.hint + ")";
      return false;
    }
  }
  std::vector<std::int32_t> args;
  if (!Values(statement.args, &args)) return false;
  CallAndReport(command->address, command->row.exportName, args, statement, source,
                command->row.returnsValue);
  return true;
}

void REFHOST_CDECL ScriptRunner::Observe(const HostCall* call, void* context) {
  auto* self = static_cast<ScriptRunner*>(context);
  if (self->options_.trace) self->out_ << "      " << Describe(*call, true) << "\n";
  if (self->budget_.Spend()) return;
  self->out_ << "line " << self->lineNumber_ << ": " << self->budget_.Passed() << "\n";
  self->out_.flush();
  if (self->options_.stop != nullptr) self->options_.stop(kRunScriptError);
  std::_Exit(kRunScriptError);
}

void ScriptRunner::CallAndReport(const void* address, const std::string& exportName,
                                 const std::vector<std::int32_t>& args, const Statement& statement,
                                 const std::string& source, bool showResult) {
  if (options_.trace) out_ << "  " << source << "\n";
  budget_.StartCommand();
  if (host_ != nullptr) host_->SetCallObserver(&ScriptRunner::Observe, this);
  const std::int32_t result = CallExport(address, args);
  if (host_ != nullptr) host_->SetCallObserver(nullptr, nullptr);

  const Meaning meaning = MeaningOf(exportName);
  Keep(statement.target, result, meaning == Meaning::kPixel);
  out_ << "  " << (options_.trace ? std::string() : Padded(source, kEchoWidth));
  if (showResult) out_ << " => " << Shown(result, meaning == Meaning::kPixel);
  if (showResult && meaning == Meaning::kMadeMemblock && host_ != nullptr && result != 0 &&
      host_->MemblockExists(result) == 0) {
    out_ << ", but the host has no memblock " << result;
  }
  if (host_ != nullptr) out_ << "  [" << Plural(budget_.CommandCalls(), "host call") << "]";
  out_ << "\n";
}

void ScriptRunner::Echo(const std::string& source, const std::string& what) {
  out_ << "  " << Padded(source, kEchoWidth) << " " << what << "\n";
}

bool ScriptRunner::RunDirective(const Statement& statement, const std::string& source) {
  const Directive& directive = *FindDirective(statement.name);
  if (directive.needsStore && host_ == nullptr) {
    error_ = statement.name + " needs the host's store, and RuzazUrovuv.dll is missing";
    return false;
  }
  DirectiveStep step{statement, {}, source};
  return Values(statement.args, &step.v) && (this->*directive.run)(step);
}

bool ScriptRunner::Print(const DirectiveStep& step) {
  std::string text;
  std::size_t value = 0;
  for (const Operand& arg : step.statement.args) {
    if (!text.empty()) text += ' ';
    text +=
        arg.kind == Operand::Kind::Text ? Escaped(arg.text) : Shown(step.v[value++], IsPixel(arg));
  }
  out_ << text << "\n";
  return true;
}

bool ScriptRunner::Expect(const DirectiveStep& step) {
  const std::vector<std::int32_t>& v = step.v;
  if (v[0] == v[1]) {
    Echo(step.source, "ok");
    return true;
  }
  // Both in hexadecimal when either is a colour or pixel.
  const bool pixel = IsPixel(step.statement.args[0]) || IsPixel(step.statement.args[1]);
  ++failures_;
  Echo(step.source, "FAILED: got " + Shown(v[0], pixel) + ", wanted " + Shown(v[1], pixel));
  return true;
}

bool ScriptRunner::Call(const DirectiveStep& step) {
  const std::string& name = step.statement.args[0].text;
  if (name == kLoadHookExport || name == kUnloadHookExport) {
    error_ = std::string("the runner calls the load hook ") + kLoadHookExport +
             " before line 1 and the unload hook " + kUnloadHookExport +
             " after the last line, as the host does; a script does not call them "
             "(MBC Initialized retries the binding)";
    return false;
  }
  const void* address = plugin_.Export(name);
  if (address == nullptr) {
    std::vector<std::string> exports = {"PrepareMeshMemblock"};
    for (const PluginCommand& command : plugin_.Commands())
      exports.push_back(command.row.exportName);
    const std::string nearest = NearestName(name, exports);
    error_ = "the plug-in has no export " + name +
             (nearest.empty() ? "" : "; did you mean " + nearest + "?");
    return false;
  }
  CallAndReport(address, name, step.v, step.statement, step.source, true);
  return true;
}

}  // namespace refhost
