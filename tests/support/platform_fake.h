// The platform double for the binding tests: libraries exist only when a test
// adds them, and every call the binding makes is recorded in order as text:
//
//   "load RuzazUrovuv.dll -> #1"   or "load ... -> null"
//   "find #1 VarIvoziVavu -> found" or "... -> missing"
//   "call VarIvoziVavu"            (the export itself was called)
//   "release #1"                   ("release #1 (not open)" if it was not)
//   "box [Warning] [text]"
//
// Handles are numbered from 1 in load order and never reused. One double at a
// time: its exports are plain functions, as real ones are, and reach it
// through `active_`.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/host_abi.h"
#include "plugin/platform.h"

class FakePlatform final : public plugin::Platform {
 public:
  FakePlatform() { active_ = this; }
  ~FakePlatform() { active_ = nullptr; }
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  // Makes `fileName` loadable, with no exports yet.
  void AddLibrary(const std::string& fileName) { libraries_[fileName]; }
  // An export that takes nothing and returns `directory`, as the companion's does.
  void AddDirectoryExport(const std::string& fileName, const std::string& exportName,
                          host::ModuleDirectory directory) {
    libraries_[fileName][exportName] = {reinterpret_cast<plugin::ExportAddress>(&DirectoryThunk),
                                        reinterpret_cast<std::uintptr_t>(directory)};
  }
  // An export that takes nothing and returns `value`, as the core's does.
  void AddValueExport(const std::string& fileName, const std::string& exportName,
                      std::uint32_t value) {
    libraries_[fileName][exportName] = {reinterpret_cast<plugin::ExportAddress>(&ValueThunk),
                                        value};
  }

  // The calls recorded since the last TakeCalls, which forgets them.
  std::vector<std::string> TakeCalls() { return std::exchange(calls_, {}); }

  plugin::LibraryHandle LoadLibraryByName(const char* fileName) override {
    const bool exists = libraries_.count(fileName) != 0;
    if (exists) open_[nextHandle_] = fileName;
    calls_.push_back("load " + std::string(fileName) + " -> " +
                     (exists ? "#" + std::to_string(nextHandle_) : "null"));
    return exists ? reinterpret_cast<plugin::LibraryHandle>(std::uintptr_t(nextHandle_++))
                  : nullptr;
  }
  plugin::ExportAddress FindExport(plugin::LibraryHandle library, const char* exportName) override {
    const auto open = open_.find(Number(library));
    const Export* found = nullptr;
    if (open != open_.end() && libraries_[open->second].count(exportName) != 0) {
      found = &libraries_[open->second][exportName];
      lastFound_ = {exportName, found->result};
    }
    calls_.push_back("find #" + std::to_string(Number(library)) + " " + exportName +
                     (open == open_.end() ? " (not open)" : "") +
                     (found ? " -> found" : " -> missing"));
    return found ? found->thunk : nullptr;
  }
  void ReleaseLibrary(plugin::LibraryHandle library) override {
    const bool wasOpen = open_.erase(Number(library)) != 0;
    calls_.push_back("release #" + std::to_string(Number(library)) +
                     (wasOpen ? "" : " (not open)"));
  }
  void ShowWarning(const char* title, const char* text) override {
    calls_.push_back("box [" + std::string(title) + "] [" + text + "]");
  }

 private:
  struct Export {
    plugin::ExportAddress thunk;
    std::uintptr_t result;
  };
  static int Number(plugin::LibraryHandle library) {
    return static_cast<int>(reinterpret_cast<std::uintptr_t>(library));
  }
  // The binding calls an export right after it finds it: the thunks answer
  // for the one found last.
  static std::uintptr_t CallLastFound() {
    active_->calls_.push_back("call " + active_->lastFound_.first);
    return active_->lastFound_.second;
  }
  static host::ModuleDirectory HOST_CDECL DirectoryThunk() {
    return reinterpret_cast<host::ModuleDirectory>(CallLastFound());
  }
  static std::uint32_t HOST_CDECL ValueThunk() {
    return static_cast<std::uint32_t>(CallLastFound());
  }

  inline static FakePlatform* active_ = nullptr;
  std::map<std::string, std::map<std::string, Export>> libraries_;
  // The file of each handle loaded and not yet released (a long fuzz run
  // loads millions, so released ones are forgotten).
  std::map<int, std::string> open_;
  int nextHandle_ = 1;
  std::pair<std::string, std::uintptr_t> lastFound_;
  std::vector<std::string> calls_;
};
