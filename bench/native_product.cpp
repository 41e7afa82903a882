#include "native_product.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "host/bound.h"
#include "image/makers.h"
#include "image/pixel_access.h"
#include "image/shapes.h"
#include "image/stretch.h"
#include "numbering/numbering_commands.h"
#include "platform_fake.h"
#include "plugin/binding.h"
#include "plugin/command_table.h"
#include "plugin/lifecycle.h"
#include "refhost/companion/companion_api.h"

extern "C" {
#define DECLARE_COMPANION_EXPORT(name, result, params) result Refhost##name params;
REFHOST_COMPANION_EXPORTS(DECLARE_COMPANION_EXPORT)
#undef DECLARE_COMPANION_EXPORT
const void* const* VarIvoziVavu();
}

namespace bench {
namespace {

FakePlatform& Platform() {
  static FakePlatform platform;
  return platform;
}

// The companion's exports, linked in, as the client reaches them by name.
const refhost::CompanionClient& Host() {
#define COMPANION_EXPORT(name, result, params) \
  {"Refhost" #name, reinterpret_cast<const void*>(&Refhost##name)},
  static const std::map<std::string, const void*> exports = {
      REFHOST_COMPANION_EXPORTS(COMPANION_EXPORT)};
#undef COMPANION_EXPORT
  static const refhost::CompanionClient* client = [] {
    auto* resolved = new refhost::CompanionClient;
    if (!resolved->Resolve([](const char* name) -> const void* {
          const auto found = exports.find(name);
          return found == exports.end() ? nullptr : found->second;
        })) {
      std::abort();
    }
    return resolved;
  }();
  return *client;
}

// Runs the plug-in's load hook against stand-ins for the two host libraries
// that hand over the linked store's directory; true once bound.
bool BindThroughLoadHook(host::ModuleDirectory directory) {
  FakePlatform& platform = Platform();
  platform.AddDirectoryExport("RuzazUrovuv.dll", "VarIvoziVavu", directory);
  platform.AddValueExport("ZavarOvur.dll", "?GetGlobPtr@@YAKXZ", 0x5A5A0000u);
  plugin::RunLoadHook(platform);
  return host::CompanionBound() && plugin::CorePtr != 0;
}

}  // namespace

const refhost::CommandSet& NativeCommands() {
#define EXPORT_OF_ROW(id, text, name) {#name, reinterpret_cast<const void*>(&name)},
#define TEXT_OF_ROW(id, text, name) u"" text,
  static const std::map<std::string, const void*> exports = {MBC_COMMAND_ROWS(EXPORT_OF_ROW)};
  static const char16_t* const rows[] = {MBC_COMMAND_ROWS(TEXT_OF_ROW)};
#undef EXPORT_OF_ROW
#undef TEXT_OF_ROW
  static const refhost::CommandSet* commands = [] {
    auto* read = new refhost::CommandSet;
    std::string error;
    const auto row = [](unsigned id, std::u16string* text) {
      if (id < 1 || id > sizeof rows / sizeof rows[0]) return false;
      *text = rows[id - 1];
      return true;
    };
    const auto lookup = [](const char* name) -> const void* {
      const auto found = exports.find(name);
      return found == exports.end() ? nullptr : found->second;
    };
    if (!read->Read(row, lookup, &error)) std::abort();
    return read;
  }();
  return *commands;
}

bool BindNativeProduct(Product* product) {
  const auto directory = reinterpret_cast<host::ModuleDirectory>(VarIvoziVavu());
  if (!BindThroughLoadHook(directory)) {
    std::fprintf(stderr, "the plug-in did not bind to the linked store\n");
    return false;
  }
  *product = Product{&IMBox, &IMCircle, &IMStretch, &Host(), directory};
  return true;
}

}  // namespace bench

// "MBC Initialized": the export the DLL's own hooks file defines, against the
// same stand-in libraries.
extern "C" std::int32_t MBC_Init() {
  return plugin::RetryBindingForScript(bench::Platform());
}
