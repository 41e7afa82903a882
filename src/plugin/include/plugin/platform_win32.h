// The Win32 side of the binding: library loading and the host's warning box.
#pragma once

#include <windows.h>

#include "plugin/platform.h"

namespace plugin {

class Win32Platform final : public Platform {
 public:
  LibraryHandle LoadLibraryByName(const char* fileName) override;
  ExportAddress FindExport(LibraryHandle library, const char* exportName) override;
  void ReleaseLibrary(LibraryHandle library) override;
  void ShowWarning(const char* title, const char* text) override;
};

// The one instance the exports and the library entry use.
Win32Platform& SystemPlatform();

}  // namespace plugin
