// The platform double for the binding tests: libraries exist only when a test
// adds them, and every call the binding makes is recorded in order as text:
//
//   "load RuzazUrovuv.dll -> #1"   or "load ... -> null"
//   "find #1 VarIvoziVavu -> found" or "... -> missing"
//   "call VarIvoziVavu"            (the export itself was called)
//   "release #1"                   ("release #1 (not open)" if it was not)
//   "box [Warning] [text]"
//
// Handles are numbered from 1 in load order and never reused.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/host_abi.h"
#include "plugin/platform.h"

class FakePlatform final : public plugin::Platform {
 public:
  FakePlatform();
  ~FakePlatform();
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  // Makes `fileName` loadable, with no exports yet.
  void AddLibrary(const std::string& fileName);
  // An export that takes nothing and returns `directory`, as the companion's does.
  void AddDirectoryExport(const std::string& fileName, const std::string& exportName,
                          host::ModuleDirectory directory);
  // An export that takes nothing and returns `value`, as the core's does.
  void AddValueExport(const std::string& fileName, const std::string& exportName,
                      std::uint32_t value);

  // The calls recorded since the last TakeCalls, which forgets them.
  std::vector<std::string> TakeCalls();

  plugin::LibraryHandle LoadLibraryByName(const char* fileName) override;
  plugin::ExportAddress FindExport(plugin::LibraryHandle library, const char* exportName) override;
  void ReleaseLibrary(plugin::LibraryHandle library) override;
  void ShowWarning(const char* title, const char* text) override;

 private:
  struct Export {
    plugin::ExportAddress thunk;
    std::uintptr_t result;
  };
  struct Library {
    std::map<std::string, Export> exports;
  };

  static host::ModuleDirectory HOST_CDECL DirectoryThunk();
  static std::uint32_t HOST_CDECL ValueThunk();
  // The export handed out last: the binding calls an export right after it
  // finds it, so the thunks answer for that one.
  std::uintptr_t CallLastFound();

  std::map<std::string, Library> libraries_;
  // The file of each handle loaded and not yet released (a long fuzz run
  // loads millions, so released ones are forgotten).
  std::map<int, std::string> open_;
  int nextHandle_ = 1;
  std::string lastFoundName_;
  std::uintptr_t lastFoundResult_ = 0;
  std::vector<std::string> calls_;
};
