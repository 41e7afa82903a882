// Memblocks made from other host resources, and clones, under fresh numbers.
// A number, once allocated, is returned whether or not the host made anything.
#include "host/bound.h"
#include "host/host_ops.h"
#include "numbering/allocator.h"
#include "numbering/numbering_commands.h"

using namespace numbering;

namespace {

// Allocates a number and, when the host has no memblock under it, lets `make`
// fill it from the resource.
template <typename MakeOp>
std::int32_t MakeFromResource(std::int32_t resource, MakeOp make) {
  if (!host::CompanionBound()) return 0;
  const std::int32_t n = AllocateNumber();
  if (host::MemExistsOp(n) == 0) make(n, resource);
  return n;
}

}  // namespace

extern "C" {

std::int32_t HOST_CDECL MBC_DynamicMakeFromArray(std::int32_t array) {
  return MakeFromResource(array, host::MemMakeFromArrayOp);
}

std::int32_t HOST_CDECL MBC_DynamicMakeFromBitmap(std::int32_t bitmap) {
  return MakeFromResource(bitmap, [](std::int32_t n, std::int32_t b) {
    if (host::BitmapExistsOp(b) == 1) host::MemMakeFromBitmapOp(n, b);
  });
}

std::int32_t HOST_CDECL MBC_DynamicMakeFromImage(std::int32_t image) {
  return MakeFromResource(image, host::MemMakeFromImageOp);
}

std::int32_t HOST_CDECL MBC_DynamicMakeFromMesh(std::int32_t mesh) {
  return MakeFromResource(mesh, host::MemMakeFromMeshOp);
}

std::int32_t HOST_CDECL MBC_DynamicMakeFromSound(std::int32_t sound) {
  return MakeFromResource(sound, host::MemMakeFromSoundOp);
}

std::int32_t HOST_CDECL MBC_CloneMemblock(std::int32_t source) {
  if (!host::CompanionBound()) return 0;
  if (host::MemExistsOp(source) != 1) return 0;
  const std::int32_t n = AllocateNumber();
  if (host::MemExistsOp(n) != 0) return n;
  const std::int32_t size = host::MemSizeOp(source);
  host::MemMakeOp(n, size);
  host::MemCopyOp(source, n, 0, 0, size);
  return n;
}

}  // extern "C"
