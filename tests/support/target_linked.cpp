// The native target: the plug-in's code and the companion's exports linked in;
// the plug-in binds through the platform double, whose libraries hand over the
// reference store's directory.
#include <map>

#include "image/makers.h"
#include "image/pixel_access.h"
#include "image/shapes.h"
#include "image/stretch.h"
#include "numbering/numbering_commands.h"
#include "platform_fake.h"
#include "plugin/binding.h"
#include "plugin/command_table.h"
#include "plugin/lifecycle.h"
#include "target.h"

extern "C" {
#define DECLARE_COMPANION_EXPORT(name, result, params) result Refhost##name params;
REFHOST_COMPANION_EXPORTS(DECLARE_COMPANION_EXPORT)
const void* const* VarIvoziVavu();
std::int32_t MBC_Init();
}

namespace {

FakePlatform& Platform() {
  static FakePlatform* platform = [] {
    auto* p = new FakePlatform;
    p->AddDirectoryExport("RuzazUrovuv.dll", "VarIvoziVavu",
                          reinterpret_cast<host::ModuleDirectory>(VarIvoziVavu()));
    p->AddValueExport("ZavarOvur.dll", "?GetGlobPtr@@YAKXZ", 0x5A5A0000u);
    return p;
  }();
  return *platform;
}

void LoadHook() {
  plugin::RunLoadHook(Platform());
}

using Exports = std::map<std::string, const void*>;

const void* Lookup(const Exports& exports, const char* name) {
  const auto found = exports.find(name);
  return found == exports.end() ? nullptr : found->second;
}

#define ADDRESS(name) reinterpret_cast<const void*>(&name)
#define EXPORT_OF_ROW(id, text, name) {#name, ADDRESS(name)},
#define TEXT_OF_ROW(id, text, name) u"" text,
#define COMPANION_EXPORT(name, result, params) {"Refhost" #name, ADDRESS(Refhost##name)},

const Exports kPluginExports = {
    MBC_COMMAND_ROWS(EXPORT_OF_ROW){"PrepareMeshMemblock", ADDRESS(PrepareMeshMemblock)},
    {"Destructor", ADDRESS(Destructor)},
    {"?Constructor@@YAXXZ", ADDRESS(LoadHook)}};
const Exports kCompanionExports = {REFHOST_COMPANION_EXPORTS(COMPANION_EXPORT)};
const char16_t* const kRows[] = {MBC_COMMAND_ROWS(TEXT_OF_ROW)};

}  // namespace

extern "C" std::int32_t MBC_Init() {
  return plugin::RetryBindingForScript(Platform());
}

namespace target {

bool Row(unsigned id, std::u16string* text) {
  if (id < 1 || id > sizeof kRows / sizeof kRows[0]) return false;
  *text = kRows[id - 1];
  return true;
}

const refhost::CommandSet& Plugin() {
  static refhost::CommandSet commands;
  std::string error;
  if (commands.Commands().empty() &&
      !commands.Read(
          Row, [](const char* name) { return Lookup(kPluginExports, name); }, &error)) {
    std::abort();
  }
  return commands;
}

const refhost::CompanionClient& Host() {
  static refhost::CompanionClient host;
  if (host.ResetStore == nullptr &&
      !host.Resolve([](const char* name) { return Lookup(kCompanionExports, name); })) {
    std::abort();
  }
  return host;
}

void Restart(bool bind) {
  // What unloading and loading the library again does to its state.
  plugin::OnProcessDetach();
  Host().ResetStore();
  Platform().TakeCalls();
  if (bind) LoadHook();
}

std::vector<std::string> Boxes() {
  std::vector<std::string> boxes;
  for (std::string call : Platform().TakeCalls()) {
    // "box [title] [text]" becomes "title: text".
    if (call.rfind("box [", 0) != 0) continue;
    call = call.substr(5, call.size() - 6);
    boxes.push_back(call.replace(call.find("] ["), 3, ": "));
  }
  return boxes;
}

}  // namespace target
