// The stand-in companion library "RuzazUrovuv.dll": besides the host's entry
// "VarIvoziVavu", which hands over the module directory, it exports a few
// functions through which the runner and the tests set up host resources and
// look into the reference store. All are cdecl and exported undecorated.
#pragma once

#include <cstdint>

#include "refhost/memblock_store.h"

namespace refhost {

// Export names (after "Refhost") and signatures, one entry per export.
#define REFHOST_COMPANION_EXPORTS(X)                                                            \
  X(ResetStore, void, (void))                                                                   \
  X(AddBitmap, std::int32_t,                                                                    \
    (std::int32_t n, std::int32_t width, std::int32_t height, const std::int32_t* pixels))      \
  X(AddImage, std::int32_t,                                                                     \
    (std::int32_t n, std::int32_t width, std::int32_t height, const std::int32_t* pixels))      \
  X(AddMesh, std::int32_t, (std::int32_t n, std::int32_t vertices))                             \
  X(AddSound, std::int32_t, (std::int32_t n, const std::int16_t* samples, std::int32_t count))  \
  X(AddArray, std::int32_t,                                                                     \
    (std::int32_t reference, const std::uint8_t* bytes, std::int32_t count))                    \
  X(PutMemblock, std::int32_t, (std::int32_t n, const std::uint8_t* bytes, std::int32_t count)) \
  X(MemblockExists, std::int32_t, (std::int32_t n))                                             \
  X(ResourceExists, std::int32_t, (std::int32_t kind, std::int32_t n))                          \
  X(MemblockCount, std::int32_t, (void))                                                        \
  X(ListMemblocks, std::int32_t, (std::int32_t * numbers, std::int32_t capacity))               \
  X(ReadMemblock, std::int32_t, (std::int32_t n, std::uint8_t * bytes, std::int32_t capacity))  \
  X(ReadMemblockAt, std::int32_t,                                                               \
    (std::int32_t n, std::int32_t offset, std::uint8_t * bytes, std::int32_t count))            \
  X(WriteMemblockAt, std::int32_t,                                                              \
    (std::int32_t n, std::int32_t offset, const std::uint8_t* bytes, std::int32_t count))       \
  X(SetCallObserver, void, (refhost::CallObserver observer, void* context))                     \
  X(CallCount, std::uint64_t, (void))

}  // namespace refhost
