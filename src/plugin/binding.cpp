#include "plugin/binding.h"

#include "host/bound.h"
#include "host/host_abi.h"
#include "host/host_ops.h"

namespace plugin {

std::uint32_t CorePtr = 0;

namespace {

constexpr const char* kCompanionLibrary = "RuzazUrovuv.dll";
constexpr const char* kCompanionEntry = "VarIvoziVavu";
constexpr const char* kCompanionWarningTitle = "Warning";
constexpr const char* kCompanionWarningText = "RuzazUrovuv\\VarIvoziVavu init failed.";

constexpr const char* kCoreLibrary = "ZavarOvur.dll";
constexpr const char* kCoreEntry = "?GetGlobPtr@@YAKXZ";
constexpr const char* kCoreWarningTitle = "Devad Initialisation";
// The leading blank is part of the host's text.
constexpr const char* kCoreWarningText = " Library ZavarOvur.dll not found";

using CompanionEntry = host::ModuleDirectory(HOST_CDECL*)();
using CoreEntry = std::uint32_t(HOST_CDECL*)();

// The directory that the companion's entry hands over, or null when the
// library, its entry or the directory itself is missing.
host::ModuleDirectory FetchDirectory(Platform& platform, LibraryHandle library) {
  const ExportAddress entry = platform.FindExport(library, kCompanionEntry);
  if (entry == nullptr) return nullptr;
  return reinterpret_cast<CompanionEntry>(entry)();
}

}  // namespace

std::int32_t BindCompanion(Platform& platform) {
  const LibraryHandle library = platform.LoadLibraryByName(kCompanionLibrary);
  std::int32_t bound = 0;
  if (library != nullptr) {
    const host::ModuleDirectory directory = FetchDirectory(platform, library);
    if (directory != nullptr) {
      host::BindDirectory(directory);
      bound = 1;
    }
    platform.ReleaseLibrary(library);
  }
  if (bound == 0) platform.ShowWarning(kCompanionWarningTitle, kCompanionWarningText);
  return bound;
}

void BindCore(Platform& platform) {
  const LibraryHandle library = platform.LoadLibraryByName(kCoreLibrary);
  if (library == nullptr) {
    platform.ShowWarning(kCoreWarningTitle, kCoreWarningText);
    return;
  }
  // A core without the entry was found, so its "not found" text would be
  // wrong: it stays unbound silently and is tried again next time.
  const ExportAddress entry = platform.FindExport(library, kCoreEntry);
  if (entry != nullptr) CorePtr = reinterpret_cast<CoreEntry>(entry)();
  platform.ReleaseLibrary(library);
}

void RunLoadHook(Platform& platform) {
  if (host::InitState == 0) host::InitState = BindCompanion(platform);
  if (CorePtr == 0) BindCore(platform);
}

std::int32_t RetryBindingForScript(Platform& platform) {
  RunLoadHook(platform);
  return host::InitState;
}

void ForgetBinding() {
  host::UnbindDirectory();
  host::InitState = 0;
  CorePtr = 0;
}

}  // namespace plugin
