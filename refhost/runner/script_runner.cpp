#include "refhost/runner/script_runner.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "refhost/runner/export_call.h"
#include "refhost/runner/png_export.h"

namespace refhost {
namespace {

constexpr std::size_t kEchoWidth = 56;
constexpr std::int32_t kLargestResourceSide = 4096;
constexpr std::int32_t kLargestScriptMemblock = 64 * 1024 * 1024;

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

std::string Hex(std::int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

// Values past 0xFFFF are most likely colours; they read better in hex.
std::string Shown(std::int32_t value) {
  if (value > 0xFFFF || value < -0xFFFF) return std::to_string(value) + " (" + Hex(value) + ")";
  return std::to_string(value);
}

std::string Code(const std::string& line) {
  const std::size_t hash = line.find('#');
  std::string code = line.substr(0, hash);
  const auto notBlank = [](char c) { return c != ' ' && c != '\t' && c != '\r'; };
  code.erase(code.begin(), std::find_if(code.begin(), code.end(), notBlank));
  code.erase(std::find_if(code.rbegin(), code.rend(), notBlank).base(), code.end());
  return code;
}

bool SideInRange(std::int32_t side) {
  return side >= 1 && side <= kLargestResourceSide;
}

}  // namespace

const std::vector<std::string>& DirectiveWords() {
  static const std::vector<std::string> words = {"print", "expect",    "bitmap", "image",
                                                 "mesh",  "sound",     "array",  "memblock",
                                                 "show",  "memblocks", "save",   "call"};
  return words;
}

std::vector<std::int32_t> TestPattern(std::int32_t width, std::int32_t height) {
  std::vector<std::int32_t> pixels;
  if (!SideInRange(width) || !SideInRange(height)) return pixels;
  pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const std::uint32_t red = static_cast<std::uint32_t>(x * 255 / std::max(width - 1, 1));
      const std::uint32_t green = static_cast<std::uint32_t>(y * 255 / std::max(height - 1, 1));
      pixels.push_back(static_cast<std::int32_t>(0xFF000000u | red << 16 | green << 8 | 0x60u));
    }
  }
  return pixels;
}

ScriptRunner::ScriptRunner(const PluginModule& plugin, const CompanionClient& host,
                           std::string outputFolder, std::ostream& out)
    : plugin_(plugin), host_(host), outputFolder_(std::move(outputFolder)), out_(out) {
  for (const PluginCommand& command : plugin_.Commands()) {
    commandNames_.push_back(command.row.scriptName);
  }
}

RunResult ScriptRunner::Run(std::istream& script) {
  std::string line;
  while (std::getline(script, line)) {
    ++lineNumber_;
    const ParsedLine parsed = ParseScriptLine(line, commandNames_, DirectiveWords());
    if (!parsed.ok) error_ = parsed.error;
    if (!parsed.ok || !Execute(parsed.statement, Code(line))) {
      out_ << "line " << lineNumber_ << ": " << error_ << "\n";
      return kRunScriptError;
    }
  }
  if (failures_ != 0) {
    out_ << failures_ << " expectation" << (failures_ == 1 ? "" : "s") << " failed\n";
    return kRunExpectFailed;
  }
  return kRunPassed;
}

bool ScriptRunner::Execute(const Statement& statement, const std::string& source) {
  switch (statement.kind) {
    case Statement::Kind::Empty:
      return true;
    case Statement::Kind::Command:
      return RunCommand(statement, source);
    case Statement::Kind::Directive:
      return RunDirective(statement, source);
    case Statement::Kind::Assign: {
      std::vector<std::int32_t> value;
      if (!Values(statement.args, 0, &value)) return false;
      variables_[statement.target] = value[0];
      return true;
    }
  }
  return false;
}

bool ScriptRunner::Values(const std::vector<Operand>& args, std::size_t first,
                          std::vector<std::int32_t>* out) {
  for (std::size_t i = first; i < args.size(); ++i) {
    const Operand& arg = args[i];
    if (arg.kind == Operand::Kind::Text) {
      error_ = "\"" + arg.text + "\" where a number belongs";
      return false;
    }
    if (arg.kind == Operand::Kind::Variable) {
      const auto found = variables_.find(arg.text);
      if (found == variables_.end()) {
        error_ = "unknown variable " + arg.text;
        return false;
      }
      out->push_back(found->second);
    } else {
      out->push_back(arg.number);
    }
  }
  return true;
}

bool ScriptRunner::RunCommand(const Statement& statement, const std::string& source) {
  const PluginCommand* command = plugin_.Find(statement.name, statement.args.size());
  if (command == nullptr) {
    error_ = statement.name + " does not take " + std::to_string(statement.args.size()) +
             " argument" + (statement.args.size() == 1 ? "" : "s");
    return false;
  }
  if (!statement.target.empty() && !command->row.returnsValue) {
    error_ = statement.name + " returns no value";
    return false;
  }
  std::vector<std::int32_t> args;
  if (!Values(statement.args, 0, &args)) return false;

  CallAndReport(command->address, args, statement, source, command->row.returnsValue);
  return true;
}

void ScriptRunner::CallAndReport(const void* address, const std::vector<std::int32_t>& args,
                                 const Statement& statement, const std::string& source,
                                 bool showResult) {
  host_.ClearLog();
  host_.StartLog();
  const std::int32_t result = CallExport(address, args);
  host_.StopLog();
  const std::int32_t hostCalls = host_.LogCount();
  host_.ClearLog();

  if (!statement.target.empty()) variables_[statement.target] = result;
  out_ << "  " << Padded(source, kEchoWidth);
  if (showResult) out_ << " => " << Shown(result);
  out_ << "  [" << hostCalls << " host call" << (hostCalls == 1 ? "" : "s") << "]\n";
}

bool ScriptRunner::CallDirect(const Statement& statement, const std::string& source) {
  if (statement.args.empty() || statement.args[0].kind != Operand::Kind::Text) {
    error_ = "call takes an \"export name\" and its arguments";
    return false;
  }
  std::vector<std::int32_t> args;
  if (!Values(statement.args, 1, &args)) return false;
  if (args.size() > kMaxCommandArgs) {
    error_ = "too many arguments";
    return false;
  }
  const void* address = reinterpret_cast<const void*>(
      GetProcAddress(plugin_.Handle(), statement.args[0].text.c_str()));
  if (address == nullptr) {
    error_ = "the plug-in has no export " + statement.args[0].text;
    return false;
  }
  CallAndReport(address, args, statement, source, true);
  return true;
}

bool ScriptRunner::Expect(std::size_t count, const Statement& statement, std::size_t optional) {
  const std::size_t given = statement.args.size();
  if (given >= count && given <= count + optional) return true;
  error_ = statement.name + " takes " + std::to_string(count) +
           (optional ? " or " + std::to_string(count + optional) : std::string()) + " arguments";
  return false;
}

bool ScriptRunner::RunDirective(const Statement& statement, const std::string& source) {
  const std::string& word = statement.name;
  if (word == "call") return CallDirect(statement, source);
  if (!statement.target.empty()) {
    error_ = word + " gives no value to keep";
    return false;
  }
  if (word == "print") {
    std::string text;
    for (const Operand& arg : statement.args) {
      if (!text.empty()) text += ' ';
      if (arg.kind == Operand::Kind::Text) {
        text += arg.text;
        continue;
      }
      std::vector<std::int32_t> value;
      if (!Values({arg}, 0, &value)) return false;
      text += Shown(value[0]);
    }
    out_ << text << "\n";
    return true;
  }
  if (word == "save") {
    if (!Expect(2, statement)) return false;
    return Save(statement);
  }
  std::vector<std::int32_t> v;
  if (!Values(statement.args, 0, &v)) return false;
  if (word == "expect") {
    if (!Expect(2, statement)) return false;
    out_ << "  " << Padded(source, kEchoWidth);
    if (v[0] == v[1]) {
      out_ << " ok\n";
    } else {
      ++failures_;
      out_ << " FAILED: got " << Shown(v[0]) << ", wanted " << Shown(v[1]) << "\n";
    }
    return true;
  }
  if (word == "bitmap" || word == "image") {
    if (!Expect(3, statement, 1)) return false;
    if (!SideInRange(v[1]) || !SideInRange(v[2])) {
      error_ = word + " sides run from 1 to " + std::to_string(kLargestResourceSide);
      return false;
    }
    std::vector<std::int32_t> pixels = TestPattern(v[1], v[2]);
    if (v.size() == 4) std::fill(pixels.begin(), pixels.end(), v[3]);
    (word == "bitmap" ? host_.AddBitmap : host_.AddImage)(v[0], v[1], v[2], pixels.data());
    out_ << "  " << Padded(source, kEchoWidth) << " host " << word << " " << v[0] << ": " << v[1]
         << "x" << v[2] << (v.size() == 4 ? ", one colour" : ", test pattern") << "\n";
    return true;
  }
  if (word == "mesh") {
    if (!Expect(2, statement)) return false;
    host_.AddMesh(v[0], v[1]);
    out_ << "  " << Padded(source, kEchoWidth) << " host mesh " << v[0] << ": " << v[1]
         << " vertices\n";
    return true;
  }
  if (word == "sound") {
    if (!Expect(2, statement)) return false;
    if (v[1] < 1 || v[1] > kLargestScriptMemblock / 2) {
      error_ = "sound length out of range";
      return false;
    }
    std::vector<std::int16_t> samples(static_cast<std::size_t>(v[1]));
    for (std::size_t i = 0; i < samples.size(); ++i) {
      samples[i] = static_cast<std::int16_t>(static_cast<int>(i * 1024 % 65536) - 32768);
    }
    host_.AddSound(v[0], samples.data(), v[1]);
    out_ << "  " << Padded(source, kEchoWidth) << " host sound " << v[0] << ": " << v[1]
         << " samples\n";
    return true;
  }
  if (word == "array") {
    if (statement.args.size() < 2) {
      error_ = "array takes a reference and at least one byte";
      return false;
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 1; i < v.size(); ++i) bytes.push_back(static_cast<std::uint8_t>(v[i]));
    host_.AddArray(v[0], bytes.data(), static_cast<std::int32_t>(bytes.size()));
    out_ << "  " << Padded(source, kEchoWidth) << " host array " << v[0] << ": " << bytes.size()
         << " bytes\n";
    return true;
  }
  if (word == "memblock") {
    if (!Expect(2, statement)) return false;
    if (v[0] < 1 || v[1] < 1 || v[1] > kLargestScriptMemblock) {
      error_ = "memblock needs a number and a size of at least 1";
      return false;
    }
    const std::vector<std::uint8_t> zeros(static_cast<std::size_t>(v[1]), 0);
    host_.PutMemblock(v[0], zeros.data(), v[1]);
    out_ << "  " << Padded(source, kEchoWidth) << " script's own memblock " << v[0] << "\n";
    return true;
  }
  if (word == "show") {
    if (!Expect(1, statement)) return false;
    out_ << "  " << Padded(source, kEchoWidth) << " " << DescribeMemblock(v[0]) << "\n";
    return true;
  }
  if (word == "memblocks") {
    if (!Expect(0, statement)) return false;
    const std::vector<std::int32_t> numbers = host_.Numbers();
    std::ostringstream list;
    for (std::int32_t n : numbers) {
      list << (list.tellp() > 0 ? ", " : "") << n << " (" << host_.Bytes(n).size() << " bytes)";
    }
    out_ << "  " << Padded(source, kEchoWidth) << " " << numbers.size() << " in the host"
         << (numbers.empty() ? "" : ": ") << list.str() << "\n";
    return true;
  }
  error_ = "unknown directive " + word;
  return false;
}

std::string ScriptRunner::DescribeMemblock(std::int32_t n) const {
  const std::vector<std::uint8_t> bytes = host_.Bytes(n);
  if (bytes.empty()) return "memblock " + std::to_string(n) + " does not exist";
  std::string text = "memblock " + std::to_string(n) + ": " + std::to_string(bytes.size()) +
                     " bytes, first dwords";
  for (std::size_t at = 0; at + 4 <= bytes.size() && at < 12; at += 4) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
    text += (at ? ", " : " ") + std::to_string(static_cast<std::int32_t>(value));
  }
  return text;
}

bool ScriptRunner::Save(const Statement& statement) {
  std::vector<std::int32_t> number;
  if (!Values({statement.args[0]}, 0, &number)) return false;
  if (statement.args[1].kind != Operand::Kind::Text) {
    error_ = "save takes a memblock and a \"file name\"";
    return false;
  }
  const std::string path = outputFolder_ + "/" + statement.args[1].text;
  RgbImage image;
  std::string why;
  if (!DecodeImageMemblock(host_.Bytes(number[0]), &image, &why)) {
    error_ = "memblock " + std::to_string(number[0]) + " is not an image to save: " + why;
    return false;
  }
  if (!WritePng(image, path, &why)) {
    error_ = why;
    return false;
  }
  out_ << "  saved image memblock " << number[0] << " (" << image.width << "x" << image.height
       << ") as " << path << "\n";
  return true;
}

}  // namespace refhost
