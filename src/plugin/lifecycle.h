// The library's life inside the host process, from attach to detach, and the
// exported hooks that the host calls around it.
#pragma once

#include <cstdint>

#include "host/host_abi.h"
#include "plugin/platform.h"

namespace plugin {

// Process attach: readies the zero-filled free-number stack. Binding waits
// for the load hook or "MBC Initialized".
void OnProcessAttach();

// Process detach. The free-number stack is static storage, so there is
// nothing to free; the binding is forgotten, and the companion handle kept
// since binding is released only when the library is unloaded dynamically.
void OnProcessDetach(Platform& platform, bool unloadingDynamically);

}  // namespace plugin

extern "C" {
// The load hook, exported as "?Constructor@@YAXXZ" (see exports.def): binds.
void HOST_CDECL PluginConstructor();
// The unload hook: does nothing; memblocks and numbers stay as they are.
std::int32_t HOST_CDECL Destructor();
// "MBC Initialized": retries the binding; 1 when bound, else 0.
std::int32_t HOST_CDECL MBC_Init();
}
