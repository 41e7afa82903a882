#include "plugin/platform_win32.h"

#include "plugin/warning_box_win32.h"

namespace plugin {

LibraryHandle Win32Platform::LoadLibraryByName(const char* fileName) {
  return LoadLibraryA(fileName);
}

ExportAddress Win32Platform::FindExport(LibraryHandle library, const char* exportName) {
  return reinterpret_cast<ExportAddress>(GetProcAddress(static_cast<HMODULE>(library), exportName));
}

void Win32Platform::ReleaseLibrary(LibraryHandle library) {
  FreeLibrary(static_cast<HMODULE>(library));
}

void Win32Platform::ShowWarning(const char* title, const char* text) {
  ShowModalWarning(title, text, MessageBoxA);
}

Win32Platform& SystemPlatform() {
  // Constant-initialised: usable from the library entry before any constructor runs.
  static Win32Platform platform;
  return platform;
}

}  // namespace plugin
