#include "host/host_ops.h"

namespace host {

namespace detail {
ModuleTable g_directoryCopies[kLastCopiedSlot + 1] = {};
}  // namespace detail

void BindDirectory(ModuleDirectory directory) {
  if (directory == nullptr) return;
  for (int slot = kFirstCopiedSlot; slot <= kLastCopiedSlot; ++slot) {
    detail::g_directoryCopies[slot] = directory[slot];
  }
}

void UnbindDirectory() {
  for (ModuleTable& copy : detail::g_directoryCopies) copy = nullptr;
}

ModuleTable DirectorySlot(int slot) {
  if (slot < kFirstCopiedSlot || slot > kLastCopiedSlot) return nullptr;
  return detail::g_directoryCopies[slot];
}

bool MemblockTableBound() {
  return detail::g_directoryCopies[kMemblockDirectorySlot] != nullptr;
}

}  // namespace host
