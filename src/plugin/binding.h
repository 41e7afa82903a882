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

// Loads "RuzazUrovuv.dll", calls its "VarIvoziVavu" and copies directory slots
// 1 to 27. Returns 1 when bound; otherwise warns and returns 0. On success the
// library handle is kept (see HeldCompanion), on failure released at once.
std::int32_t BindCompanion(Platform& platform);

// Loads "ZavarOvur.dll", stores what its "?GetGlobPtr@@YAKXZ" returns in
// CorePtr and releases the library. Warns only when the library is missing.
void BindCore(Platform& platform);

// The load hook's steps: the companion while InitState is 0 (storing the
// result in InitState), then the core while CorePtr is 0.
void RunLoadHook(Platform& platform);

// "MBC Initialized": the load hook's steps, then InitState.
std::int32_t RetryBindingForScript(Platform& platform);

// The companion library handle kept since a successful binding, or null.
LibraryHandle HeldCompanion();

// Forgets the binding: releases the kept companion handle when the library is
// unloaded dynamically (never while the process ends, when the loader is
// tearing libraries down on its own), then clears the directory copies,
// InitState and CorePtr, so that no copy outlives the handle.
void ForgetBinding(Platform& platform, bool releaseCompanion);

}  // namespace plugin
