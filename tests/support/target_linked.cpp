// The native target: the plug-in's code and the companion's exports linked in;
// the plug-in binds through the platform double, whose libraries hand over the
// reference store's directory.
#include <map>

#include "image/pixel_access.h"
#include "image/shapes.h"
#include "image/stretch.h"
#include "numbering/allocator.h"
#include "numbering/numbering_commands.h"
#include "plugin/binding.h"
#include "plugin/command_table.h"
#include "plugin/lifecycle.h"
#include "plugin/platform_fake.h"
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

const void* Lookup(const std::map<std::string, const void*>& table, const char* name) {
  const auto found = table.find(name);
  return found == table.end() ? nullptr : found->second;
}

const std::map<std::string, const void*>& PluginExports() {
#define EXPORT_OF_ROW(id, text, name) {#name, reinterpret_cast<const void*>(&name)},
  static const std::map<std::string, const void*> exports = {
      MBC_COMMAND_ROWS(EXPORT_OF_ROW){"PrepareMeshMemblock",
                                      reinterpret_cast<const void*>(&PrepareMeshMemblock)},
      {"Destructor", reinterpret_cast<const void*>(&Destructor)},
      {"?Constructor@@YAXXZ", reinterpret_cast<const void*>(&LoadHook)}};
  return exports;
}

const char16_t* const kRows[] = {
#define TEXT_OF_ROW(id, text, name) u"" text,
    MBC_COMMAND_ROWS(TEXT_OF_ROW)};

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
  static const refhost::CommandSet* commands = [] {
    auto* set = new refhost::CommandSet;
    std::string error;
    if (!set->Read(
            Row, [](const char* name) { return Lookup(PluginExports(), name); }, &error)) {
      std::abort();
    }
    return set;
  }();
  return *commands;
}

const refhost::CompanionClient& Host() {
#define COMPANION_EXPORT(name, result, params) \
  {"Refhost" #name, reinterpret_cast<const void*>(&Refhost##name)},
  static const std::map<std::string, const void*> exports = {
      REFHOST_COMPANION_EXPORTS(COMPANION_EXPORT)};
  static const refhost::CompanionClient* host = [] {
    auto* client = new refhost::CompanionClient;
    if (!client->Resolve([](const char* name) { return Lookup(exports, name); })) std::abort();
    return client;
  }();
  return *host;
}

void Restart(bool bind) {
  // What unloading and loading the library again does to its state.
  plugin::OnProcessDetach(Platform(), true);
  numbering::HighWater = 0;
  numbering::FreeCount = 0;
  plugin::OnProcessAttach();
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
