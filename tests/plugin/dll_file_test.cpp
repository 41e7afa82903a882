// The built DLL's file, beyond what the host reads back through the system
// (the command table's strings are checked in tests/docs/reference_test.cpp):
// exactly the 22 export names, the plug-in's own code and the system calls it
// makes and nothing of a runtime, a string table of two language-neutral
// blocks and no more, and a language-neutral version resource that carries
// the project's version; then the library as a guest in a process, loaded,
// bound and unloaded.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <dbghelp.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "plugin/warning_box_win32.h"
#include "refhost/runner/import_patch.h"
#include "scratch.h"

namespace {

constexpr const char* kPlugin = "DoduzIridizeruRediro.dll";

// Mapped as an image without running its entry or loading its imports.
const HMODULE kFile = LoadLibraryExA(kPlugin, nullptr, DONT_RESOLVE_DLL_REFERENCES);

// The full path of a module's file.
std::string PathOf(HMODULE module) {
  char path[MAX_PATH];
  return std::string(path, GetModuleFileNameA(module, path, MAX_PATH));
}

template <typename T>
const T* At(DWORD rva) {
  return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(kFile) + rva);
}
// The contents of one of the file's directories, or null when it has none.
template <typename T>
const T* Directory(USHORT entry) {
  ULONG size = 0;
  return static_cast<const T*>(ImageDirectoryEntryToData(kFile, TRUE, entry, &size));
}

// A guest in the host's process: the plug-in's code and data, its exports
// (the 22 names, every one by name, nothing more), imports, resources and
// relocations, and nothing else: no runtime's unwind tables, start-up tables
// or thread-local storage (whose callbacks would run on every thread the host
// starts), and only the system functions it calls.
TEST(PluginFile, HoldsThePluginAloneAndImportsOnlyWhatItCalls) {
  ASSERT_NE(kFile, nullptr);
  const auto* exports = Directory<IMAGE_EXPORT_DIRECTORY>(IMAGE_DIRECTORY_ENTRY_EXPORT);
  EXPECT_EQ(exports->NumberOfFunctions, 22u);
  EXPECT_EQ(exports->NumberOfNames, 22u);
  EXPECT_LE(std::filesystem::file_size(PathOf(kFile)), 32768u);

  // Each section with its flags: only code executable, and nothing that is
  // executable writable; the resources read-only; nothing shared between
  // processes. 60000020 code: read, execute; 40000040 data: read; C0000040
  // data: read, write (.idata: the loader fills it); C0000080 zeroed data:
  // read, write; 42000040 data: read, discarded once loaded.
  std::string sections;
  const auto* section = IMAGE_FIRST_SECTION(ImageNtHeader(kFile));
  for (int i = 0; i < ImageNtHeader(kFile)->FileHeader.NumberOfSections; ++i, ++section) {
    char flags[12];
    std::snprintf(flags, sizeof flags, ":%08lX ", section->Characteristics);
    // A name of eight characters has no terminating zero.
    const std::string name = std::string(reinterpret_cast<const char*>(section->Name), 8).c_str();
    sections.append(name) += flags;
    // The bounds docs/plugin.md gives for the code and the read-only data.
    if (name == ".text" || name == ".rdata") {
      EXPECT_LE(section->Misc.VirtualSize, 8192u) << name;
    }
  }
  EXPECT_EQ(sections,
            ".text:60000020 .data:C0000040 .rdata:40000040 .bss:C0000080 .edata:40000040 "
            ".idata:C0000040 .rsrc:40000040 .reloc:42000040 ");
  EXPECT_EQ(Directory<void>(IMAGE_DIRECTORY_ENTRY_TLS), nullptr);

  // The code as mapped: an import is called through its address slot, whose
  // address the calling instruction holds.
  const auto* code = IMAGE_FIRST_SECTION(ImageNtHeader(kFile));
  const std::string text(At<char>(code->VirtualAddress), code->Misc.VirtualSize);
  std::string imports;
  std::string uncalled;
  for (const auto* library = Directory<IMAGE_IMPORT_DESCRIPTOR>(IMAGE_DIRECTORY_ENTRY_IMPORT);
       library->Name != 0; ++library) {
    imports += std::string(At<char>(library->Name)) + ":";
    const auto* slot = At<IMAGE_THUNK_DATA32>(library->FirstThunk);
    for (const auto* name = At<IMAGE_THUNK_DATA32>(library->OriginalFirstThunk);
         name->u1.AddressOfData != 0; ++name, ++slot) {
      const std::string function =
          IMAGE_SNAP_BY_ORDINAL32(name->u1.Ordinal)
              ? std::string("#ordinal")
              : reinterpret_cast<const char*>(
                    At<IMAGE_IMPORT_BY_NAME>(name->u1.AddressOfData)->Name);
      imports += " " + function;
      const auto address = reinterpret_cast<std::uintptr_t>(slot);
      const bool called =
          text.find(std::string(reinterpret_cast<const char*>(&address), 4)) != std::string::npos;
      uncalled += called ? "" : function + " ";
    }
    imports += "\n";
  }
  // With the stack protector's: its failure path (GetCurrentProcess,
  // TerminateProcess), which the link keeps only when a guarded function
  // calls it, and the guard's seed at load (the time, counters and ids).
  EXPECT_EQ(uncalled, "");
  EXPECT_EQ(imports,
            "KERNEL32.dll: DisableThreadLibraryCalls FreeLibrary GetCurrentProcess "
            "GetCurrentProcessId GetCurrentThreadId GetProcAddress GetSystemTimeAsFileTime "
            "GetTickCount LoadLibraryA QueryPerformanceCounter TerminateProcess\n"
            "USER32.dll: EnableWindow EnumWindows GetForegroundWindow GetWindowThreadProcessId "
            "IsWindowEnabled IsWindowVisible MessageBoxA\n");
}

// Where the free-number stack lives: its 65,538 entries of 4 bytes in the
// zeroed data, which the loader maps zero-filled at every load, none of it in
// the file; the imports above hold no allocator.
TEST(PluginFile, TheFreeNumberStackLivesInTheZeroedData) {
  const auto* section = IMAGE_FIRST_SECTION(ImageNtHeader(kFile));
  const auto* end = section + ImageNtHeader(kFile)->FileHeader.NumberOfSections;
  while (section != end && std::strncmp(reinterpret_cast<const char*>(section->Name), ".bss", 8)) {
    ++section;
  }
  ASSERT_NE(section, end);
  EXPECT_GE(section->Misc.VirtualSize, 262152u);
  EXPECT_EQ(section->SizeOfRawData, 0u);
}

// Hardened as a 32-bit image (docs/plugin.md, "Hardening"): movable to any
// base (relocatable, with its relocations), data never executable, and marked
// as registering no exception handler; nothing else claimed.
TEST(PluginFile, IsMarkedRelocatableNonExecutableDataAndWithoutExceptionHandlers) {
  // DYNAMIC_BASE 0x40, NX_COMPAT 0x100, NO_SEH 0x400.
  EXPECT_EQ(ImageNtHeader(kFile)->OptionalHeader.DllCharacteristics, 0x0540);
  // With its relocations (RELOCS_STRIPPED 0x0001 clear): DLL 0x2000, 32-bit
  // 0x0100, no line numbers, symbols or debug data 0x020C, executable 0x0002.
  EXPECT_EQ(ImageNtHeader(kFile)->FileHeader.Characteristics, 0x230E);
  EXPECT_NE(Directory<void>(IMAGE_DIRECTORY_ENTRY_BASERELOC), nullptr);
}

// The host's cycle with the plug-in's library calls recorded: every library
// the load hook loads is released before the hook returns, a bound plug-in
// loads nothing more, and the library entry calls nothing at unload (it runs
// under the loader lock). The host's own references are then the last ones.
// (The unload hook's result, and the plug-in leaving the process when freed,
// are checked at every restart of the unit tests' target.)
std::vector<std::string> g_libraryCalls;

HMODULE WINAPI RecordLoad(LPCSTR name) {
  const HMODULE module = LoadLibraryA(name);
  g_libraryCalls.push_back(std::string("load ") + name + (module ? "" : " (missing)"));
  return module;
}

BOOL WINAPI RecordRelease(HMODULE module) {
  g_libraryCalls.push_back("release " + std::filesystem::path(PathOf(module)).filename().string());
  return FreeLibrary(module);
}

int WINAPI RecordLibraryBox(HWND, LPCSTR text, LPCSTR, UINT) {
  g_libraryCalls.push_back(std::string("box ") + text);
  return IDOK;
}

TEST(PluginLibrary, LoadBindAndUnloadLeaveNoLibraryReference) {
  const HMODULE companion = LoadLibraryA("RuzazUrovuv.dll");
  const HMODULE core = LoadLibraryA("ZavarOvur.dll");
  // A copy under a name of its own (the file itself is mapped above), in the
  // test's own folder.
  const ScratchFolder scratch;
  const std::string copy = (scratch.path() / "cycle-plugin.dll").string();
  ASSERT_TRUE(CopyFileA(PathOf(kFile).c_str(), copy.c_str(), FALSE));
  const HMODULE plugin = LoadLibraryA(copy.c_str());
  ASSERT_TRUE(companion && core && plugin);
  struct Redirect {
    const char* library;
    const char* function;
    void* recorder;
  };
  for (const Redirect& r :
       {Redirect{"KERNEL32.dll", "LoadLibraryA", reinterpret_cast<void*>(&RecordLoad)},
        Redirect{"KERNEL32.dll", "FreeLibrary", reinterpret_cast<void*>(&RecordRelease)},
        Redirect{"USER32.dll", "MessageBoxA", reinterpret_cast<void*>(&RecordLibraryBox)}}) {
    ASSERT_NE(refhost::PatchImport(plugin, r.library, r.function, r.recorder), nullptr)
        << r.function;
  }
  using Hook = void(__cdecl*)();
  using Command = std::int32_t(__cdecl*)();
  reinterpret_cast<Hook>(GetProcAddress(plugin, "?Constructor@@YAXXZ"))();
  EXPECT_EQ(g_libraryCalls,
            (std::vector<std::string>{"load RuzazUrovuv.dll", "release RuzazUrovuv.dll",
                                      "load ZavarOvur.dll", "release ZavarOvur.dll"}));
  g_libraryCalls.clear();
  EXPECT_EQ(reinterpret_cast<Command>(GetProcAddress(plugin, "MBC_Init"))(), 1);
  EXPECT_TRUE(FreeLibrary(plugin));
  EXPECT_EQ(g_libraryCalls, std::vector<std::string>{});

  FreeLibrary(companion);
  FreeLibrary(core);
  EXPECT_EQ(GetModuleHandleA("RuzazUrovuv.dll"), nullptr);
  EXPECT_EQ(GetModuleHandleA("ZavarOvur.dll"), nullptr);
}

// Blocks 1 (strings 0 to 15) and 2 (16 to 31), each in the neutral language
// alone, so that the host finds them under any user interface language.
BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR block, WORD language, LONG_PTR found) {
  reinterpret_cast<std::vector<std::pair<ULONG_PTR, WORD>>*>(found)->emplace_back(
      reinterpret_cast<ULONG_PTR>(block), language);
  return TRUE;
}

BOOL CALLBACK CollectBlock(HMODULE module, LPCSTR type, LPSTR block, LONG_PTR found) {
  return EnumResourceLanguagesA(module, type, block, CollectLanguage, found);
}

// The version resource, a resource file of its own beside the string table
// of two blocks, read as the system's file properties read it: version
// 1.0.0.0, the project version in CMakeLists.txt, in one language-neutral
// block.
TEST(PluginFile, VersionResourceIsTheProjectVersionLanguageNeutral) {
  std::vector<std::pair<ULONG_PTR, WORD>> found;
  EnumResourceNamesA(kFile, MAKEINTRESOURCEA(6), CollectBlock, reinterpret_cast<LONG_PTR>(&found));
  EXPECT_EQ(found, (std::vector<std::pair<ULONG_PTR, WORD>>{{1, 0}, {2, 0}}));

  const std::string path = PathOf(kFile);
  std::vector<char> block(GetFileVersionInfoSizeA(path.c_str(), nullptr));
  ASSERT_TRUE(!block.empty() && GetFileVersionInfoA(path.c_str(), 0, block.size(), block.data()));
  const auto value = [&](const char* key) {
    void* at = nullptr;
    UINT bytes = 0;
    VerQueryValueA(block.data(), key, &at, &bytes);
    return std::string(static_cast<char*>(at), at ? bytes : 0);
  };
  const std::string fixed = value("\\");
  const auto* info = reinterpret_cast<const VS_FIXEDFILEINFO*>(fixed.data());
  ASSERT_EQ(fixed.size(), sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ((std::vector<DWORD>{info->dwSignature, info->dwFileVersionMS, info->dwFileVersionLS,
                                info->dwProductVersionMS, info->dwProductVersionLS}),
            (std::vector<DWORD>{VS_FFI_SIGNATURE, 0x10000, 0, 0x10000, 0}));
  EXPECT_EQ(value("\\VarFileInfo\\Translation"),
            std::string("\0\0\xB0\x04", 4));  // neutral, UTF-16
  EXPECT_STREQ(value("\\StringFileInfo\\000004b0\\ProductName").c_str(), "DoduzIridizeruRediro");
  EXPECT_STREQ(value("\\StringFileInfo\\000004b0\\FileVersion").c_str(), "1.0");
}

// The warning box's window rule on Win32, with MessageBoxA replaced by a
// recorder that looks at the windows while the "box" is up. (Titles, texts
// and flags are checked end to end, in tests/runner/program_test.cpp.)

std::vector<HWND> g_windows;
std::vector<BOOL> g_enabledWhileShown;
HWND g_owner = nullptr;

int WINAPI RecordBox(HWND owner, LPCSTR, LPCSTR, UINT) {
  g_owner = owner;
  for (HWND window : g_windows) g_enabledWhileShown.push_back(IsWindowEnabled(window));
  return IDOK;
}

// Leaves `window` in every slot of the 16 KB of stack below the caller, where
// the next call's frame will lie: a stale slot of the box's window list past
// the ones it filled then names a real, disabled window, which must stay
// disabled (any other stale value is no window, and enabling it shows nothing).
__attribute__((noinline)) void FillStackWith(HWND window) {
  volatile HWND slots[4096];
  for (volatile HWND& slot : slots) slot = window;
}

// With one of this process's windows in the foreground, the box is owned by
// it and it stays enabled; the thread's other visible enabled windows are
// disabled while the box is up and enabled again after it, and hidden or
// already disabled ones are left as they are.
TEST(WarningBox, IsOwnedByTheForegroundWindowWhileTheOthersAreDisabled) {
  for (const DWORD style :
       {DWORD{WS_VISIBLE}, DWORD{WS_VISIBLE}, DWORD{0}, DWORD{WS_VISIBLE | WS_DISABLED}}) {
    g_windows.push_back(CreateWindowExA(WS_EX_NOACTIVATE, "STATIC", "test",
                                        WS_OVERLAPPEDWINDOW | style, 0, 0, 50, 50, nullptr, nullptr,
                                        GetModuleHandleA(nullptr), nullptr));
  }
  if (g_windows[0] == nullptr) {
    // The test scripts run Wine in a virtual display and ask for this test.
    if (std::getenv("MBC_REQUIRE_WINDOWS") != nullptr) FAIL() << "no top-level windows";
    GTEST_SKIP() << "no top-level windows can be created here";
  }
  SetForegroundWindow(g_windows[0]);
  ASSERT_EQ(GetForegroundWindow(), g_windows[0]);
  FillStackWith(g_windows[3]);
  plugin::ShowModalWarning("Warning", "RuzazUrovuv\\VarIvoziVavu init failed.", RecordBox);
  EXPECT_EQ(g_owner, g_windows[0]);
  EXPECT_EQ(g_enabledWhileShown, (std::vector<BOOL>{TRUE, FALSE, TRUE, FALSE}));
  std::vector<BOOL> after;
  for (HWND window : g_windows) after.push_back(IsWindowEnabled(window) != FALSE);
  EXPECT_EQ(after, (std::vector<BOOL>{TRUE, TRUE, TRUE, FALSE}));
  for (HWND window : g_windows) DestroyWindow(window);
}

}  // namespace
