// The built DLL's file, beyond what the host reads back through the system
// (the command table's strings are checked in tests/unit/product_test.cpp):
// only system libraries imported, exactly the 22 export names, a string table
// of two language-neutral blocks and no more, and a language-neutral version
// resource that carries the project's version.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

class PluginFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Mapped as an image without running its entry or loading its imports.
    module_ = LoadLibraryExA("DoduzIridizeruRediro.dll", nullptr, DONT_RESOLVE_DLL_REFERENCES);
  }
  void SetUp() override { ASSERT_NE(module_, nullptr); }

  template <typename T>
  static const T* At(DWORD rva) {
    return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module_) + rva);
  }
  static DWORD Directory(int entry) {
    const auto* nt = At<IMAGE_NT_HEADERS32>(At<IMAGE_DOS_HEADER>(0)->e_lfanew);
    return nt->OptionalHeader.DataDirectory[entry].VirtualAddress;
  }

  static HMODULE module_;
};

HMODULE PluginFile::module_ = nullptr;

TEST_F(PluginFile, ImportsOnlySystemLibraries) {
  const std::set<std::string> system{"kernel32.dll", "user32.dll", "msvcrt.dll"};
  for (const auto* import = At<IMAGE_IMPORT_DESCRIPTOR>(Directory(IMAGE_DIRECTORY_ENTRY_IMPORT));
       import->Name != 0; ++import) {
    std::string name = At<char>(import->Name);
    std::transform(name.begin(), name.end(), name.begin(), ::tolower);
    EXPECT_EQ(system.count(name), 1u) << name << " is not a system library";
  }
}

// Read from the export directory; an export reachable by ordinal only would
// show as "#ordinal".
TEST_F(PluginFile, ExportsExactlyTheHooksAndTheCommands) {
  const auto* exports = At<IMAGE_EXPORT_DIRECTORY>(Directory(IMAGE_DIRECTORY_ENTRY_EXPORT));
  std::vector<std::string> names;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    names.emplace_back(At<char>(At<DWORD>(exports->AddressOfNames)[i]));
  }
  for (DWORD i = exports->NumberOfNames; i < exports->NumberOfFunctions; ++i) {
    names.push_back("#" + std::to_string(exports->Base + i));
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{
                       "?Constructor@@YAXXZ", "Destructor", "IMBox", "IMCircle", "IMCube",
                       "IMGetPixel", "IMPlot", "IMStretch", "IMStretch2", "MBC_Clear",
                       "MBC_CloneMemblock", "MBC_Count", "MBC_Delete", "MBC_DynamicMake",
                       "MBC_DynamicMakeFromArray", "MBC_DynamicMakeFromBitmap",
                       "MBC_DynamicMakeFromImage", "MBC_DynamicMakeFromMesh",
                       "MBC_DynamicMakeFromSound", "MBC_Init", "MakeMemblockImage",
                       "PrepareMeshMemblock"}));
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

TEST_F(PluginFile, StringTableIsTwoLanguageNeutralBlocks) {
  std::vector<std::pair<ULONG_PTR, WORD>> found;
  EnumResourceNamesA(module_, MAKEINTRESOURCEA(6), CollectBlock, reinterpret_cast<LONG_PTR>(&found));
  EXPECT_EQ(found, (std::vector<std::pair<ULONG_PTR, WORD>>{{1, 0}, {2, 0}}));
}

// Read as the system's file properties read it; the numbers are the project
// version in CMakeLists.txt.
TEST_F(PluginFile, VersionResourceIsTheProjectVersionLanguageNeutral) {
  char path[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(module_, path, MAX_PATH), 0u);
  std::vector<char> block(GetFileVersionInfoSizeA(path, nullptr));
  ASSERT_TRUE(!block.empty() && GetFileVersionInfoA(path, 0, block.size(), block.data()));
  UINT bytes = 0;
  const auto value = [&](const std::string& key) -> const void* {
    void* at = nullptr;
    return VerQueryValueA(block.data(), key.c_str(), &at, &bytes) ? at : nullptr;
  };
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value("\\"));
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ((std::vector<DWORD>{fixed->dwSignature, fixed->dwFileVersionMS, fixed->dwFileVersionLS,
                                fixed->dwProductVersionMS, fixed->dwProductVersionLS}),
            (std::vector<DWORD>{VS_FFI_SIGNATURE, MAKELONG(0, 1), 0, MAKELONG(0, 1), 0}));
  // One translation: language 0x0000 (neutral), code page 1200 (UTF-16).
  const auto* translation = static_cast<const WORD*>(value("\\VarFileInfo\\Translation"));
  ASSERT_NE(translation, nullptr);
  EXPECT_EQ(std::vector<WORD>(translation, translation + bytes / 2), (std::vector<WORD>{0, 1200}));
  for (const auto& [key, text] :
       {std::pair{"FileDescription", "Dynamic memblock numbering and image memblock commands"},
        {"ProductName", "DoduzIridizeruRediro"},
        {"FileVersion", "1.0"},
        {"ProductVersion", "1.0"}}) {
    const auto* found =
        static_cast<const char*>(value(std::string("\\StringFileInfo\\000004b0\\") + key));
    EXPECT_STREQ(found ? found : "(none)", text) << key;
  }
}

}  // namespace
