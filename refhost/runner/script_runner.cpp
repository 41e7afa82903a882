#include "refhost/runner/script_runner.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "refhost/runner/directives.h"
#include "refhost/runner/export_call.h"
#include "refhost/runner/file_names.h"
#include "refhost/runner/png_file.h"

namespace refhost {
namespace {

constexpr std::size_t kEchoWidth = 56;
constexpr std::int32_t kLargestResourceSide = 4096;
constexpr std::int32_t kLargestScriptMemblock = 64 * 1024 * 1024;
constexpr std::int32_t kLargestScale = 64;

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

std::string Hex(std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

// Values past 0xFFFF are most likely colours; they read better in hex.
std::string Shown(std::int32_t value) {
  if (value > 0xFFFF || value < -0xFFFF) {
    return std::to_string(value) + " (" + Hex(static_cast<std::uint32_t>(value), 8) + ")";
  }
  return std::to_string(value);
}

// The line without its comment and surrounding blanks, as it is echoed.
std::string Code(const std::string& line) {
  std::string code = line.substr(0, line.find('#'));
  const auto notBlank = [](char c) { return c != ' ' && c != '\t' && c != '\r'; };
  code.erase(code.begin(), std::find_if(code.begin(), code.end(), notBlank));
  code.erase(std::find_if(code.rbegin(), code.rend(), notBlank).base(), code.end());
  return Escaped(code);
}

bool SideInRange(std::int32_t side) {
  return side >= 1 && side <= kLargestResourceSide;
}

std::string Plural(std::uint64_t n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

std::uint32_t Rgb(const RgbImage& image, std::size_t pixel) {
  const std::uint8_t* p = &image.rgb[pixel * 3];
  return static_cast<std::uint32_t>(p[0] << 16 | p[1] << 8 | p[2]);
}

// The test pattern of the bitmap and image directives: red grows to the right,
// green downwards, blue fixed; opaque.
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

}  // namespace

ScriptRunner::ScriptRunner(const CommandSet& plugin, const CompanionClient* host,
                           RunnerOptions options, std::ostream& out)
    : plugin_(plugin), host_(host), options_(std::move(options)), out_(out) {
  for (const PluginCommand& command : plugin_.Commands()) {
    commandNames_.push_back(command.row.scriptName);
  }
}

RunResult ScriptRunner::Run(std::istream& script) {
  const std::vector<std::string> directives = DirectiveWords();
  std::string line;
  while (std::getline(script, line)) {
    ++lineNumber_;
    const ParsedLine parsed = ParseScriptLine(line, commandNames_, directives);
    if (!parsed.ok) error_ = parsed.error;
    if (!parsed.ok || !Execute(parsed.statement, Code(line))) {
      out_ << "line " << lineNumber_ << ": " << Escaped(error_) << "\n";
      return kRunScriptError;
    }
  }
  if (failures_ != 0) {
    out_ << Plural(failures_, "expectation") << " failed\n";
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
      error_ = CheckDirective(statement);
      return error_.empty() && RunDirective(statement, source);
    case Statement::Kind::Assign: {
      std::vector<std::int32_t> value;
      if (!Values(statement.args, &value)) return false;
      variables_[statement.target] = value[0];
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
      error_ = "unknown variable " + arg.text;
      return false;
    }
    out->push_back(found->second);
  }
  return true;
}

bool ScriptRunner::RunCommand(const Statement& statement, const std::string& source) {
  const PluginCommand* command = plugin_.Find(statement.name, statement.args.size());
  if (command == nullptr) {
    error_ = statement.name + " does not take " + Plural(statement.args.size(), "argument");
    return false;
  }
  if (!statement.target.empty() && !command->row.returnsValue) {
    error_ = statement.name + " returns no value";
    return false;
  }
  for (const Operand& arg : statement.args) {
    if (arg.kind == Operand::Kind::Text) {
      error_ = "\"" + arg.text + "\" where a number belongs";
      return false;
    }
  }
  std::vector<std::int32_t> args;
  if (!Values(statement.args, &args)) return false;
  CallAndReport(command->address, args, statement, source, command->row.returnsValue);
  return true;
}

void REFHOST_CDECL ScriptRunner::Observe(const HostCall* call, void* context) {
  auto* self = static_cast<ScriptRunner*>(context);
  ++self->hostCalls_;
  if (self->options_.trace) self->out_ << "      " << Describe(*call) << "\n";
  if (self->hostCalls_ <= self->options_.maxHostCalls) return;
  self->out_ << "line " << self->lineNumber_ << ": the command made more than "
             << Plural(self->options_.maxHostCalls, "host call")
             << "; stopped (--max-host-calls sets the limit)\n";
  self->out_.flush();
  if (self->options_.stop != nullptr) self->options_.stop(kRunScriptError);
  std::_Exit(kRunScriptError);
}

void ScriptRunner::CallAndReport(const void* address, const std::vector<std::int32_t>& args,
                                 const Statement& statement, const std::string& source,
                                 bool showResult) {
  if (options_.trace) out_ << "  " << source << "\n";
  hostCalls_ = 0;
  if (host_ != nullptr) host_->SetCallObserver(&ScriptRunner::Observe, this);
  const std::int32_t result = CallExport(address, args);
  if (host_ != nullptr) host_->SetCallObserver(nullptr, nullptr);

  if (!statement.target.empty()) variables_[statement.target] = result;
  out_ << "  " << (options_.trace ? std::string() : Padded(source, kEchoWidth));
  if (showResult) out_ << " => " << Shown(result);
  if (host_ != nullptr) out_ << "  [" << Plural(hostCalls_, "host call") << "]";
  out_ << "\n";
}

bool ScriptRunner::Kept(std::int32_t kept) {
  if (kept == 0) {
    error_ = "the host has no room for it: memblocks and resources together may take " +
             std::to_string(kMaxStoreBytes >> 20) + " MiB, a mesh what one memblock holds";
  }
  return kept != 0;
}

void ScriptRunner::Echo(const std::string& source, const std::string& what) {
  out_ << "  " << Padded(source, kEchoWidth) << " " << what << "\n";
}

bool ScriptRunner::RunDirective(const Statement& statement, const std::string& source) {
  const std::string& word = statement.name;
  std::vector<std::int32_t> v;
  if (!Values(statement.args, &v)) return false;
  if (word == "print") {
    std::string text;
    std::size_t value = 0;
    for (const Operand& arg : statement.args) {
      if (!text.empty()) text += ' ';
      text += arg.kind == Operand::Kind::Text ? Escaped(arg.text) : Shown(v[value++]);
    }
    out_ << text << "\n";
    return true;
  }
  if (word == "expect") {
    if (v[0] == v[1]) {
      Echo(source, "ok");
    } else {
      ++failures_;
      Echo(source, "FAILED: got " + Shown(v[0]) + ", wanted " + Shown(v[1]));
    }
    return true;
  }
  if (word == "call") {
    const void* address = plugin_.Export(statement.args[0].text);
    if (address == nullptr) {
      error_ = "the plug-in has no export " + statement.args[0].text;
      return false;
    }
    CallAndReport(address, v, statement, source, true);
    return true;
  }
  if (host_ == nullptr) {
    error_ = word + " needs the host's store, and RuzazUrovuv.dll is missing";
    return false;
  }
  const CompanionClient& host = *host_;
  if (word == "bitmap" || word == "image") return MakePicture(statement, v, source);
  if (word == "save") return Save(statement, v, source);
  if (word == "expect_image") return ExpectImage(statement, v, source);
  if (word == "mesh") {
    if (!Kept(host.AddMesh(v[0], v[1]))) return false;
    Echo(source, "host mesh " + std::to_string(v[0]) + ": " + std::to_string(v[1]) + " vertices");
    return true;
  }
  if (word == "sound") {
    if (v[1] < 1 || v[1] > kLargestScriptMemblock / 2) {
      error_ = "sound length out of range";
      return false;
    }
    std::vector<std::int16_t> samples(static_cast<std::size_t>(v[1]));
    for (std::size_t i = 0; i < samples.size(); ++i) {
      samples[i] = static_cast<std::int16_t>(static_cast<int>(i * 1024 % 65536) - 32768);
    }
    if (!Kept(host.AddSound(v[0], samples.data(), v[1]))) return false;
    Echo(source, "host sound " + std::to_string(v[0]) + ": " + Plural(v[1], "sample"));
    return true;
  }
  if (word == "array") {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 1; i < v.size(); ++i) bytes.push_back(static_cast<std::uint8_t>(v[i]));
    if (!Kept(host.AddArray(v[0], bytes.data(), static_cast<std::int32_t>(bytes.size())))) {
      return false;
    }
    Echo(source, "host array " + std::to_string(v[0]) + ": " + Plural(bytes.size(), "byte"));
    return true;
  }
  if (word == "memblock") {
    if (v[0] < 1 || v[1] < 1 || v[1] > kLargestScriptMemblock) {
      error_ = "memblock needs a number and a size of at least 1";
      return false;
    }
    const std::vector<std::uint8_t> zeros(static_cast<std::size_t>(v[1]), 0);
    if (!Kept(host.PutMemblock(v[0], zeros.data(), v[1]))) return false;
    Echo(source, "script's own memblock " + std::to_string(v[0]));
    return true;
  }
  if (word == "dword") return Dword(statement, v, source);
  if (word == "show") {
    Echo(source, DescribeMemblock(v[0]));
    return true;
  }
  std::ostringstream list;  // memblocks
  const std::vector<std::int32_t> numbers = host.Numbers();
  for (std::int32_t n : numbers) {
    list << (list.tellp() > 0 ? ", " : "") << n << " (" << host.Bytes(n).size() << " bytes)";
  }
  Echo(source, std::to_string(numbers.size()) + " in the host" + (numbers.empty() ? "" : ": ") +
                   list.str());
  return true;
}

bool ScriptRunner::MakePicture(const Statement& statement, const std::vector<std::int32_t>& v,
                               const std::string& source) {
  const std::string& word = statement.name;
  std::int32_t width = v.size() > 1 ? v[1] : 0;
  std::int32_t height = v.size() > 2 ? v[2] : 0;
  std::vector<std::int32_t> pixels;
  std::string from;
  if (v.size() == 1) {
    const std::string& name = statement.args[1].text;
    if (!ReadPng(options_.scriptFolder + "/" + name, kLargestResourceSide, &width, &height, &pixels,
                 &error_)) {
      error_ = name + " " + error_;
      return false;
    }
    from = "from " + name;
  } else if (!SideInRange(width) || !SideInRange(height)) {
    error_ = word + " sides run from 1 to " + std::to_string(kLargestResourceSide);
    return false;
  } else {
    pixels = TestPattern(width, height);
    if (v.size() == 4) std::fill(pixels.begin(), pixels.end(), v[3]);
    from = v.size() == 4 ? "one colour" : "test pattern";
  }
  if (!Kept((word == "bitmap" ? host_->AddBitmap : host_->AddImage)(v[0], width, height,
                                                                    pixels.data()))) {
    return false;
  }
  Echo(source, "host " + word + " " + std::to_string(v[0]) + ": " + std::to_string(width) + "x" +
                   std::to_string(height) + ", " + from);
  return true;
}

bool ScriptRunner::Dword(const Statement& statement, const std::vector<std::int32_t>& v,
                         const std::string& source) {
  std::vector<std::uint8_t> bytes = host_->Bytes(v[0]);
  if (v[1] < 0 || bytes.size() < 4 || static_cast<std::size_t>(v[1]) > bytes.size() - 4) {
    error_ = "memblock " + std::to_string(v[0]) + " has no dword at offset " + std::to_string(v[1]);
    return false;
  }
  const std::size_t at = static_cast<std::size_t>(v[1]);
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    if (v.size() == 3)
      bytes[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v[2]) >> (8 * i));
    value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
  }
  if (v.size() == 3) {
    if (!Kept(host_->PutMemblock(v[0], bytes.data(), static_cast<std::int32_t>(bytes.size())))) {
      return false;
    }
  } else if (!statement.target.empty()) {
    variables_[statement.target] = static_cast<std::int32_t>(value);
  }
  Echo(source, (v.size() == 3 ? "wrote " : "read ") + Shown(static_cast<std::int32_t>(value)));
  return true;
}

std::string ScriptRunner::DescribeMemblock(std::int32_t n) const {
  const std::vector<std::uint8_t> bytes = host_->Bytes(n);
  if (bytes.empty()) return "memblock " + std::to_string(n) + " does not exist";
  std::string text =
      "memblock " + std::to_string(n) + ": " + Plural(bytes.size(), "byte") + ", first dwords";
  for (std::size_t at = 0; at + 4 <= bytes.size() && at < 12; at += 4) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
    text += (at ? ", " : " ") + std::to_string(static_cast<std::int32_t>(value));
  }
  return text;
}

bool ScriptRunner::Save(const Statement& statement, const std::vector<std::int32_t>& v,
                        const std::string& source) {
  const std::string& name = statement.args[1].text;
  const std::int32_t scale = v.size() == 2 ? v[1] : 1;
  if (scale < 1 || scale > kLargestScale) {
    error_ = "SCALE runs from 1 to " + std::to_string(kLargestScale);
    return false;
  }
  RgbImage image;
  std::string why;
  if (!DecodeImageMemblock(host_->Bytes(v[0]), &image, &why)) {
    error_ = "memblock " + std::to_string(v[0]) + " is not an image to save: " + why;
    return false;
  }
  RgbImage shown = image;
  if (scale > 1 && !Enlarge(image, scale, &shown, &error_)) return false;
  if (!WritePng(shown, options_.outputFolder + "/" + name, &error_)) {
    error_ = name + " cannot be written";
    return false;
  }
  saved_.push_back(name);
  Echo(source, "saved " + std::to_string(image.width) + "x" + std::to_string(image.height) +
                   (scale > 1 ? ", each pixel " + std::to_string(scale) + "x" +
                                    std::to_string(scale) + " in a grid"
                              : std::string()));
  return true;
}

bool ScriptRunner::ExpectImage(const Statement& statement, const std::vector<std::int32_t>& v,
                               const std::string& source) {
  const std::string& name = statement.args[1].text;
  RgbImage image;
  std::string why;
  if (!DecodeImageMemblock(host_->Bytes(v[0]), &image, &why)) {
    error_ = "memblock " + std::to_string(v[0]) + " is not an image to compare: " + why;
    return false;
  }
  int width = 0, height = 0;
  std::vector<std::int32_t> wanted;
  if (!ReadPng(options_.scriptFolder + "/" + name, kLargestPngSide, &width, &height, &wanted,
               &error_)) {
    error_ = name + " " + error_;
    return false;
  }
  std::string verdict = "ok";
  if (width != image.width || height != image.height) {
    verdict = "FAILED: the image is " + std::to_string(image.width) + "x" +
              std::to_string(image.height) + ", " + name + " " + std::to_string(width) + "x" +
              std::to_string(height);
  } else {
    for (std::size_t i = 0; i < wanted.size(); ++i) {
      const std::uint32_t want = static_cast<std::uint32_t>(wanted[i]) & 0xFFFFFFu;
      if (Rgb(image, i) == want) continue;
      verdict = "FAILED at (" + std::to_string(i % width) + ", " + std::to_string(i / width) +
                "): the image has " + Hex(Rgb(image, i), 6) + ", " + name + " " + Hex(want, 6);
      break;
    }
  }
  if (verdict != "ok") ++failures_;
  Echo(source, verdict);
  return true;
}

}  // namespace refhost
