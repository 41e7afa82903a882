// The built DLL's file, beyond what the host reads back through the system
// (the command table's strings are checked in tests/unit/product_test.cpp):
// exactly the 22 export names, a string table of two language-neutral blocks
// and no more, and a language-neutral version resource that carries the
// project's version.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "plugin/warning_box_win32.h"

namespace {

// Mapped as an image without running its entry or loading its imports.
const HMODULE kFile =
    LoadLibraryExA("DoduzIridizeruRediro.dll", nullptr, DONT_RESOLVE_DLL_REFERENCES);

template <typename T>
const T* At(DWORD rva) {
  return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(kFile) + rva);
}

// Every one of them by name (the tests reach each through its name) and
// nothing more: no export by ordinal only, no other name.
TEST(PluginFile, ExportsTheHooksAndTheCommandsAndNothingElse) {
  ASSERT_NE(kFile, nullptr);
  const auto* nt = At<IMAGE_NT_HEADERS32>(At<IMAGE_DOS_HEADER>(0)->e_lfanew);
  const auto* exports = At<IMAGE_EXPORT_DIRECTORY>(
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress);
  EXPECT_EQ(exports->NumberOfFunctions, 22u);
  EXPECT_EQ(exports->NumberOfNames, 22u);
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

TEST(PluginFile, StringTableIsTwoLanguageNeutralBlocks) {
  ASSERT_NE(kFile, nullptr);
  std::vector<std::pair<ULONG_PTR, WORD>> found;
  EnumResourceNamesA(kFile, MAKEINTRESOURCEA(6), CollectBlock, reinterpret_cast<LONG_PTR>(&found));
  EXPECT_EQ(found, (std::vector<std::pair<ULONG_PTR, WORD>>{{1, 0}, {2, 0}}));
}

// Read as the system's file properties read it: version 1.0.0.0, the
// project version in CMakeLists.txt, in one language-neutral block.
TEST(PluginFile, VersionResourceIsTheProjectVersionLanguageNeutral) {
  char path[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(kFile, path, MAX_PATH), 0u);
  std::vector<char> block(GetFileVersionInfoSizeA(path, nullptr));
  ASSERT_TRUE(!block.empty() && GetFileVersionInfoA(path, 0, block.size(), block.data()));
  const auto value = [&](const char* key) -> std::string {
    void* at = nullptr;
    UINT bytes = 0;
    return VerQueryValueA(block.data(), key, &at, &bytes)
               ? std::string(static_cast<char*>(at), bytes)
               : "";
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
  plugin::ShowModalWarning("Warning", "RuzazUrovuv\\VarIvoziVavu init failed.", RecordBox);
  EXPECT_EQ(g_owner, g_windows[0]);
  EXPECT_EQ(g_enabledWhileShown, (std::vector<BOOL>{TRUE, FALSE, TRUE, FALSE}));
  std::vector<BOOL> after;
  for (HWND window : g_windows) after.push_back(IsWindowEnabled(window) != FALSE);
  EXPECT_EQ(after, (std::vector<BOOL>{TRUE, TRUE, TRUE, FALSE}));
  for (HWND window : g_windows) DestroyWindow(window);
}

}  // namespace
