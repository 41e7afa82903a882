// Binding to the host: the companion library's module directory, then the
// host core's global pointer. Both the load hook and "MBC Initialized" run the
// same two steps; a binding that failed is tried again by the next of them,
// and one that succeeded is never repeated.
#pragma once

#include <cstdint>

#include "plugin/platform.h"

namespace plugin {

// The host core's global-data pointer; non-zero once the core is bound.
// Nothing reads it but the test for zero.
extern std::uint32_t CorePtr;

// Loads "RuzazUrovuv.dll", calls its "VarIvoziVavu", copies directory slots
// 1 to 27 and releases the library again, whatever the outcome: no reference
// the plug-in takes outlives the call that took it. The copies point into
// tables that stay valid while the host keeps its own companion loaded, as it
// does for as long as it runs. Returns 1 when bound; otherwise warns and
// returns 0.
std::int32_t BindCompanion(Platform& platform);

// Loads "ZavarOvur.dll", stores what its "?GetGlobPtr@@YAKXZ" returns in
// CorePtr and releases the library. Warns only when the library is missing.
void BindCore(Platform& platform);

// The load hook's steps: the companion while host::InitState is 0 (storing
// the result there, see host/bound.h), then the core while CorePtr is 0.
void RunLoadHook(Platform& platform);

// "MBC Initialized": the load hook's steps, then host::InitState.
std::int32_t RetryBindingForScript(Platform& platform);

// Forgets the binding: the directory copies, InitState and CorePtr go back to
// zero. Plain stores, no call into the system: the library entry runs it
// under the loader lock, where no library may be loaded or released.
void ForgetBinding();

}  // namespace plugin
