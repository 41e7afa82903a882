#include "refhost/runner/import_patch.h"

#include <cstring>

namespace refhost {
namespace {

template <typename T>
T* At(HMODULE module, DWORD rva) {
  return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

bool WriteAddress(ULONG_PTR* slot, void* address) {
  DWORD oldProtection = 0;
  if (!VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &oldProtection)) return false;
  *slot = reinterpret_cast<ULONG_PTR>(address);
  DWORD ignored = 0;
  VirtualProtect(slot, sizeof(*slot), oldProtection, &ignored);
  return true;
}

}  // namespace

void* PatchImport(HMODULE module, const char* library, const char* function, void* replacement) {
  if (module == nullptr) return nullptr;
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
  const auto* nt = At<const IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return nullptr;

  for (auto* descriptor = At<IMAGE_IMPORT_DESCRIPTOR>(module, imports.VirtualAddress);
       descriptor->Name != 0; ++descriptor) {
    if (_stricmp(At<const char>(module, descriptor->Name), library) != 0) continue;
    // The lookup table keeps the names; the address table is what calls go through.
    if (descriptor->OriginalFirstThunk == 0) continue;
    auto* names = At<IMAGE_THUNK_DATA>(module, descriptor->OriginalFirstThunk);
    auto* addresses = At<IMAGE_THUNK_DATA>(module, descriptor->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++addresses) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* byName =
          At<const IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(names->u1.AddressOfData));
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
      void* previous = reinterpret_cast<void*>(addresses->u1.Function);
      ULONG_PTR* slot = reinterpret_cast<ULONG_PTR*>(&addresses->u1.Function);
      return WriteAddress(slot, replacement) ? previous : nullptr;
    }
  }
  return nullptr;
}

}  // namespace refhost
