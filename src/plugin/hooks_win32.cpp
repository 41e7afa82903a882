// The exported hooks that need the operating system; Destructor needs none
// and lives with the portable lifecycle.
#include "plugin/binding.h"
#include "plugin/lifecycle.h"
#include "plugin/platform_win32.h"

extern "C" {

void HOST_CDECL PluginConstructor() {
  plugin::RunLoadHook(plugin::SystemPlatform());
}

std::int32_t HOST_CDECL MBC_Init() {
  return plugin::RetryBindingForScript(plugin::SystemPlatform());
}

}  // extern "C"
