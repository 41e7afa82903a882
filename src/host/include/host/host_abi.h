// The calling convention shared with the host: every operation and every
// export takes 32-bit integers and returns one, arguments pushed right to left
// and removed by the caller.
#pragma once

#include <cstdint>

#if defined(__i386__)
#define HOST_CDECL __attribute__((cdecl))
#else
#define HOST_CDECL
#endif

namespace host {

// One entry of a module table: an address the plug-in casts to the arity of
// the operation it calls.
using TableEntry = std::uintptr_t;
using ModuleTable = const TableEntry*;
// The directory the companion library returns: pointers to module tables.
using ModuleDirectory = const ModuleTable*;

using Op1 = std::int32_t(HOST_CDECL*)(std::int32_t);
using Op2 = std::int32_t(HOST_CDECL*)(std::int32_t, std::int32_t);
using Op3 = std::int32_t(HOST_CDECL*)(std::int32_t, std::int32_t, std::int32_t);
using Op5 = std::int32_t(HOST_CDECL*)(std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                      std::int32_t);

}  // namespace host
