// The stand-in "RuzazUrovuv.dll": the reference store behind the directory the
// plug-in binds to, plus the set-up and inspection exports of companion_api.h.
// Natively the same functions are linked into the test programs.
#include <algorithm>
#include <vector>

#include "refhost/companion/companion_api.h"

namespace {

template <typename T>
std::vector<T> CopyOf(const T* items, std::int32_t count) {
  if (items == nullptr || count <= 0) return {};
  return std::vector<T>(items, items + count);
}

std::vector<std::int32_t> PixelsOf(const std::int32_t* pixels, std::int32_t width,
                                   std::int32_t height) {
  if (width <= 0 || height <= 0) return {};
  return CopyOf(pixels, width * height);
}

}  // namespace

extern "C" {

// The host's entry: the address of the module directory.
const void* const* REFHOST_CDECL VarIvoziVavu() {
  return refhost::Directory();
}

void REFHOST_CDECL RefhostResetStore() {
  refhost::ResetStore();
}

std::int32_t REFHOST_CDECL RefhostAddBitmap(std::int32_t n, std::int32_t width, std::int32_t height,
                                            const std::int32_t* pixels) {
  return refhost::AddBitmap(n, width, height, PixelsOf(pixels, width, height)) ? 1 : 0;
}

std::int32_t REFHOST_CDECL RefhostAddImage(std::int32_t n, std::int32_t width, std::int32_t height,
                                           const std::int32_t* pixels) {
  return refhost::AddImage(n, width, height, PixelsOf(pixels, width, height)) ? 1 : 0;
}

std::int32_t REFHOST_CDECL RefhostAddMesh(std::int32_t n, std::int32_t vertices) {
  return refhost::AddMesh(n, vertices) ? 1 : 0;
}

std::int32_t REFHOST_CDECL RefhostAddSound(std::int32_t n, const std::int16_t* samples,
                                           std::int32_t count) {
  return refhost::AddSound(n, CopyOf(samples, count)) ? 1 : 0;
}

std::int32_t REFHOST_CDECL RefhostAddArray(std::int32_t reference, const std::uint8_t* bytes,
                                           std::int32_t count) {
  return refhost::AddArray(reference, CopyOf(bytes, count)) ? 1 : 0;
}

std::int32_t REFHOST_CDECL RefhostPutMemblock(std::int32_t n, const std::uint8_t* bytes,
                                              std::int32_t count) {
  return refhost::PutMemblock(n, CopyOf(bytes, count)) ? 1 : 0;
}

std::int32_t REFHOST_CDECL RefhostMemblockExists(std::int32_t n) {
  return refhost::MemblockExists(n) ? 1 : 0;
}

// 1 when the store holds resource `n` of `kind` (a refhost::ResourceKind).
std::int32_t REFHOST_CDECL RefhostResourceExists(std::int32_t kind, std::int32_t n) {
  return refhost::ResourceExists(static_cast<refhost::ResourceKind>(kind), n) ? 1 : 0;
}

std::int32_t REFHOST_CDECL RefhostMemblockCount() {
  return refhost::MemblockCount();
}

// Writes up to `capacity` numbers, ascending; returns how many there are.
std::int32_t REFHOST_CDECL RefhostListMemblocks(std::int32_t* numbers, std::int32_t capacity) {
  const std::vector<std::int32_t> all = refhost::MemblockNumbers();
  const std::size_t shown = std::min(all.size(), static_cast<std::size_t>(std::max(capacity, 0)));
  if (numbers != nullptr) std::copy_n(all.begin(), shown, numbers);
  return static_cast<std::int32_t>(all.size());
}

// Copies up to `capacity` bytes; returns the memblock's size, or -1 when there
// is no such memblock (a memblock is never empty).
std::int32_t REFHOST_CDECL RefhostReadMemblock(std::int32_t n, std::uint8_t* bytes,
                                               std::int32_t capacity) {
  return refhost::ReadMemblock(n, bytes, capacity);
}

// Copies `count` bytes from `offset` when they lie inside the memblock, at a
// cost that does not grow with its size; returns its size, or -1 when there is
// no such memblock (with count 0, the size alone).
std::int32_t REFHOST_CDECL RefhostReadMemblockAt(std::int32_t n, std::int32_t offset,
                                                 std::uint8_t* bytes, std::int32_t count) {
  return refhost::ReadMemblockAt(n, offset, bytes, count);
}

// Writes `count` bytes at `offset` in place; 1, or 0 when the memblock is
// missing or they would not lie inside it.
std::int32_t REFHOST_CDECL RefhostWriteMemblockAt(std::int32_t n, std::int32_t offset,
                                                  const std::uint8_t* bytes, std::int32_t count) {
  return refhost::WriteMemblockAt(n, offset, bytes, count) ? 1 : 0;
}

void REFHOST_CDECL RefhostSetCallObserver(refhost::CallObserver observer, void* context) {
  refhost::SetCallObserver(observer, context);
}

std::uint64_t REFHOST_CDECL RefhostCallCount() {
  return refhost::CallCount();
}

}  // extern "C"
