#include "host/host_ops.h"

#include "host/bound.h"

namespace host {

std::int32_t InitState = 0;

namespace detail {

const TableEntry kNoTable[kNoTableEntries] = {};

namespace {
constexpr std::array<ModuleTable, kLastCopiedSlot + 1> Unbound() {
  std::array<ModuleTable, kLastCopiedSlot + 1> copies{};
  for (ModuleTable& copy : copies) copy = kNoTable;
  return copies;
}
// Worked out by the compiler: the library has no start-up code that could
// fill the copies at load.
constexpr std::array<ModuleTable, kLastCopiedSlot + 1> kUnbound = Unbound();
}  // namespace

std::array<ModuleTable, kLastCopiedSlot + 1> g_directoryCopies = kUnbound;

}  // namespace detail

void BindDirectory(ModuleDirectory directory) {
  if (directory == nullptr) return;
  for (int slot = kFirstCopiedSlot; slot <= kLastCopiedSlot; ++slot) {
    detail::g_directoryCopies[slot] = directory[slot] ? directory[slot] : detail::kNoTable;
  }
}

void UnbindDirectory() {
  for (ModuleTable& copy : detail::g_directoryCopies) copy = detail::kNoTable;
}

ModuleTable DirectorySlot(int slot) {
  if (slot < kFirstCopiedSlot || slot > kLastCopiedSlot) return nullptr;
  const ModuleTable copy = detail::g_directoryCopies[slot];
  return copy == detail::kNoTable ? nullptr : copy;
}

}  // namespace host
