// What the binding needs from the operating system: loading a library by file
// name, finding one of its exports, releasing it, and a modal warning box.
//
// The binding logic is written against this interface only, so that the same
// code runs in the DLL (the Win32 implementation) and in the native tests (a
// double that records every call in order).
#pragma once

namespace plugin {

// A loaded library; null when loading failed.
using LibraryHandle = void*;
// An export's address, cast by the caller to the export's real type; null
// when the library has no such export.
using ExportAddress = void (*)();

class Platform {
 public:
  // Loads through the system's ordinary library search.
  virtual LibraryHandle LoadLibraryByName(const char* fileName) = 0;
  virtual ExportAddress FindExport(LibraryHandle library, const char* exportName) = 0;
  virtual void ReleaseLibrary(LibraryHandle library) = 0;
  // A modal box with an OK button only and no icon; returns once it is closed.
  virtual void ShowWarning(const char* title, const char* text) = 0;

 protected:
  ~Platform() = default;
};

}  // namespace plugin
