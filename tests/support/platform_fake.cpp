#include "platform_fake.h"

#include <cassert>

namespace {
// The thunks are plain functions, as real exports are, so they reach the
// double through this pointer. Tests are single-threaded.
FakePlatform* g_active = nullptr;

int NumberOf(plugin::LibraryHandle library) {
  return static_cast<int>(reinterpret_cast<std::uintptr_t>(library));
}
}  // namespace

FakePlatform::FakePlatform() {
  assert(g_active == nullptr);
  g_active = this;
}

FakePlatform::~FakePlatform() {
  g_active = nullptr;
}

void FakePlatform::AddLibrary(const std::string& fileName) {
  libraries_[fileName];
}

void FakePlatform::AddDirectoryExport(const std::string& fileName, const std::string& exportName,
                                      host::ModuleDirectory directory) {
  libraries_[fileName].exports[exportName] = {
      reinterpret_cast<plugin::ExportAddress>(&DirectoryThunk),
      reinterpret_cast<std::uintptr_t>(directory)};
}

void FakePlatform::AddValueExport(const std::string& fileName, const std::string& exportName,
                                  std::uint32_t value) {
  libraries_[fileName].exports[exportName] = {reinterpret_cast<plugin::ExportAddress>(&ValueThunk),
                                              value};
}

std::vector<std::string> FakePlatform::TakeCalls() {
  std::vector<std::string> calls;
  calls.swap(calls_);
  return calls;
}

plugin::LibraryHandle FakePlatform::LoadLibraryByName(const char* fileName) {
  if (libraries_.count(fileName) == 0) {
    calls_.push_back("load " + std::string(fileName) + " -> null");
    return nullptr;
  }
  const int number = nextHandle_++;
  open_[number] = fileName;
  calls_.push_back("load " + std::string(fileName) + " -> #" + std::to_string(number));
  return reinterpret_cast<plugin::LibraryHandle>(static_cast<std::uintptr_t>(number));
}

plugin::ExportAddress FakePlatform::FindExport(plugin::LibraryHandle library,
                                               const char* exportName) {
  const int number = NumberOf(library);
  std::string call = "find #" + std::to_string(number) + " " + exportName;
  const Export* found = nullptr;
  if (const auto open_it = open_.find(number); open_it != open_.end()) {
    const auto library_it = libraries_.find(open_it->second);
    if (library_it != libraries_.end()) {
      const auto export_it = library_it->second.exports.find(exportName);
      if (export_it != library_it->second.exports.end()) found = &export_it->second;
    }
  } else {
    call += " (not open)";
  }
  calls_.push_back(call + (found ? " -> found" : " -> missing"));
  if (found == nullptr) return nullptr;
  lastFoundName_ = exportName;
  lastFoundResult_ = found->result;
  return found->thunk;
}

void FakePlatform::ReleaseLibrary(plugin::LibraryHandle library) {
  const int number = NumberOf(library);
  const bool wasOpen = open_.erase(number) != 0;
  calls_.push_back("release #" + std::to_string(number) + (wasOpen ? "" : " (not open)"));
}

void FakePlatform::ShowWarning(const char* title, const char* text) {
  calls_.push_back("box [" + std::string(title) + "] [" + text + "]");
}

std::uintptr_t FakePlatform::CallLastFound() {
  calls_.push_back("call " + lastFoundName_);
  return lastFoundResult_;
}

host::ModuleDirectory HOST_CDECL FakePlatform::DirectoryThunk() {
  return reinterpret_cast<host::ModuleDirectory>(g_active->CallLastFound());
}

std::uint32_t HOST_CDECL FakePlatform::ValueThunk() {
  return static_cast<std::uint32_t>(g_active->CallLastFound());
}
