// The plug-in's view of the host: its copies of the directory slots and one
// thin wrapper per host operation.
//
// Each wrapper reads the plug-in's copy of the directory slot, then the
// operation's address from the module table, at every call: the tables belong
// to the companion library and are never cached beyond the directory copies.
// While a table or an entry is missing (before binding, or a directory without
// it) the wrapper calls nothing and returns 0, so no command can ever call
// through an unbound table. A copy without its table holds an empty table,
// whose every entry is missing, rather than null: the one test of the entry
// covers both, and each pixel a drawing command plots makes five calls.
#pragma once

#include <array>
#include <cstdint>

#include "host/host_abi.h"
#include "host/module_slots.h"

namespace host {

// Copies directory slots 1 to 27 (slot 0 is not read). A null directory
// copies nothing.
void BindDirectory(ModuleDirectory directory);
// Forgets every copy: the state of a freshly loaded library.
void UnbindDirectory();
// The copy of one directory slot (1 to 27), or null.
ModuleTable DirectorySlot(int slot);

namespace detail {
// The table a copy holds while its slot has none: longer than any slot the
// wrappers call, every entry missing.
constexpr int kNoTableEntries = 32;
static_assert(kNoTableEntries > MemMakeFromArray && kNoTableEntries > BitmapExists,
              "every slot a wrapper calls lies inside the empty table");
extern const TableEntry kNoTable[kNoTableEntries];
extern std::array<ModuleTable, kLastCopiedSlot + 1> g_directoryCopies;

template <typename Op>
inline Op Lookup(int directorySlot, int slot) {
  return reinterpret_cast<Op>(g_directoryCopies[directorySlot][slot]);
}
}  // namespace detail

inline std::int32_t CallMem1(int slot, std::int32_t a) {
  auto op = detail::Lookup<Op1>(kMemblockDirectorySlot, slot);
  return op ? op(a) : 0;
}
inline std::int32_t CallMem2(int slot, std::int32_t a, std::int32_t b) {
  auto op = detail::Lookup<Op2>(kMemblockDirectorySlot, slot);
  return op ? op(a, b) : 0;
}
inline std::int32_t CallMem3(int slot, std::int32_t a, std::int32_t b, std::int32_t c) {
  auto op = detail::Lookup<Op3>(kMemblockDirectorySlot, slot);
  return op ? op(a, b, c) : 0;
}

inline std::int32_t MemCopyOp(std::int32_t source, std::int32_t target, std::int32_t sourceOffset,
                              std::int32_t targetOffset, std::int32_t bytes) {
  auto op = detail::Lookup<Op5>(kMemblockDirectorySlot, MemCopy);
  return op ? op(source, target, sourceOffset, targetOffset, bytes) : 0;
}
inline std::int32_t MemMakeFromBitmapOp(std::int32_t memblock, std::int32_t bitmap) {
  return CallMem2(MemMakeFromBitmap, memblock, bitmap);
}
inline std::int32_t MemMakeFromImageOp(std::int32_t memblock, std::int32_t image) {
  return CallMem2(MemMakeFromImage, memblock, image);
}
inline std::int32_t MemMakeFromMeshOp(std::int32_t memblock, std::int32_t mesh) {
  return CallMem2(MemMakeFromMesh, memblock, mesh);
}
inline std::int32_t MemMakeFromSoundOp(std::int32_t memblock, std::int32_t sound) {
  return CallMem2(MemMakeFromSound, memblock, sound);
}
inline std::int32_t MemMakeFromArrayOp(std::int32_t memblock, std::int32_t array) {
  return CallMem2(MemMakeFromArray, memblock, array);
}
inline std::int32_t MemDeleteOp(std::int32_t memblock) {
  return CallMem1(MemDelete, memblock);
}
inline std::int32_t MemSizeOp(std::int32_t memblock) {
  return CallMem1(MemSize, memblock);
}
inline std::int32_t MemMakeOp(std::int32_t memblock, std::int32_t bytes) {
  return CallMem2(MemMake, memblock, bytes);
}
inline std::int32_t MemExistsOp(std::int32_t memblock) {
  return CallMem1(MemExists, memblock);
}
inline std::int32_t MemReadDwordOp(std::int32_t memblock, std::int32_t offset) {
  return CallMem2(MemReadDword, memblock, offset);
}
inline std::int32_t MemReadWordOp(std::int32_t memblock, std::int32_t offset) {
  return CallMem2(MemReadWord, memblock, offset);
}
inline std::int32_t MemWriteDwordOp(std::int32_t memblock, std::int32_t offset,
                                    std::int32_t value) {
  return CallMem3(MemWriteDword, memblock, offset, value);
}
inline std::int32_t MemWriteWordOp(std::int32_t memblock, std::int32_t offset, std::int32_t value) {
  return CallMem3(MemWriteWord, memblock, offset, value);
}
inline std::int32_t BitmapExistsOp(std::int32_t bitmap) {
  auto op = detail::Lookup<Op1>(kBitmapDirectorySlot, BitmapExists);
  return op ? op(bitmap) : 0;
}

}  // namespace host
