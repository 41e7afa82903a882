// The library's life inside the host process, from attach to detach, and the
// exported hooks that the host calls around it.
#pragma once

#include <cstdint>

#include "host/host_abi.h"

namespace plugin {

// Process detach, under the loader lock: forgets the binding and every
// number, as a fresh load of the library has them. Plain stores only: no
// library is loaded or released and nothing of the system is called. (At
// attach there is nothing to do: all state is static storage, zero at load.)
void OnProcessDetach();

}  // namespace plugin

extern "C" {
// The load hook, exported as "?Constructor@@YAXXZ" (see exports.def): binds.
void HOST_CDECL PluginConstructor();
// The unload hook: does nothing; memblocks and numbers stay as they are.
std::int32_t HOST_CDECL Destructor();
// "MBC Initialized": retries the binding; 1 when bound, else 0.
std::int32_t HOST_CDECL MBC_Init();
}
