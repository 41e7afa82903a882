// The built DLL's file, beyond what the host reads back through the system:
// only system libraries imported, exactly the 22 export names, a string table
// of two language-neutral blocks of 16 counted strings, no more, and a
// language-neutral version resource.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR list) {
  reinterpret_cast<std::vector<ULONG_PTR>*>(list)->push_back(reinterpret_cast<ULONG_PTR>(name));
  return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
  reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
  return TRUE;
}

// An entry of the system's version library, reached at run time: the test
// programs link no import library for it.
template <typename Function>
Function* VersionLibrary(const char* name) {
  static const HMODULE library = LoadLibraryA("version.dll");
  return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

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
  static const IMAGE_DATA_DIRECTORY& Directory(int entry) {
    const auto* dos = At<IMAGE_DOS_HEADER>(0);
    return At<IMAGE_NT_HEADERS32>(dos->e_lfanew)->OptionalHeader.DataDirectory[entry];
  }

  static HMODULE module_;
};

HMODULE PluginFile::module_ = nullptr;

TEST_F(PluginFile, ImportsOnlySystemLibraries) {
  const IMAGE_DATA_DIRECTORY& entry = Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
  const std::set<std::string> system{"kernel32.dll", "user32.dll", "msvcrt.dll"};
  for (const auto* import = At<IMAGE_IMPORT_DESCRIPTOR>(entry.VirtualAddress); import->Name != 0;
       ++import) {
    std::string name = At<char>(import->Name);
    std::transform(name.begin(), name.end(), name.begin(), ::tolower);
    EXPECT_EQ(system.count(name), 1u) << name << " is not a system library";
  }
}

// Read from the export directory; an export reachable by ordinal only would
// show as "#ordinal".
TEST_F(PluginFile, ExportsExactlyTheHooksAndTheCommands) {
  const auto* exports =
      At<IMAGE_EXPORT_DIRECTORY>(Directory(IMAGE_DIRECTORY_ENTRY_EXPORT).VirtualAddress);
  std::vector<std::string> names;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    names.emplace_back(At<char>(At<DWORD>(exports->AddressOfNames)[i]));
  }
  for (DWORD i = exports->NumberOfNames; i < exports->NumberOfFunctions; ++i) {
    names.push_back("#" + std::to_string(exports->Base + i));
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"?Constructor@@YAXXZ",
                                             "Destructor",
                                             "IMBox",
                                             "IMCircle",
                                             "IMCube",
                                             "IMGetPixel",
                                             "IMPlot",
                                             "IMStretch",
                                             "IMStretch2",
                                             "MBC_Clear",
                                             "MBC_CloneMemblock",
                                             "MBC_Count",
                                             "MBC_Delete",
                                             "MBC_DynamicMake",
                                             "MBC_DynamicMakeFromArray",
                                             "MBC_DynamicMakeFromBitmap",
                                             "MBC_DynamicMakeFromImage",
                                             "MBC_DynamicMakeFromMesh",
                                             "MBC_DynamicMakeFromSound",
                                             "MBC_Init",
                                             "MakeMemblockImage",
                                             "PrepareMeshMemblock"}));
}

TEST_F(PluginFile, StringTableIsTwoNeutralBlocksOfSixteenCountedStrings) {
  std::vector<ULONG_PTR> blocks;
  EnumResourceNamesA(module_, MAKEINTRESOURCEA(6), CollectName,
                     reinterpret_cast<LONG_PTR>(&blocks));
  ASSERT_EQ(blocks, (std::vector<ULONG_PTR>{1, 2}));
  std::vector<std::size_t> lengths;  // of strings 0 to 31
  for (ULONG_PTR block : blocks) {
    std::vector<WORD> languages;
    EnumResourceLanguagesA(module_, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(block), CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(languages, std::vector<WORD>{MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)});
    const HRSRC resource = FindResourceExA(module_, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(block),
                                           MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_NE(resource, nullptr);
    const auto* units = static_cast<const WORD*>(LockResource(LoadResource(module_, resource)));
    const std::size_t unitCount = SizeofResource(module_, resource) / 2;
    std::size_t at = 0;
    for (int i = 0; i < 16 && at < unitCount; ++i) {
      lengths.push_back(units[at]);
      // A terminator counted into the string would be shown as part of it.
      if (units[at] > 0) {
        EXPECT_NE(units[at + units[at]], 0) << "block " << block << ", " << i;
      }
      at += 1 + units[at];
    }
    EXPECT_EQ(at * 2, SizeofResource(module_, resource)) << "block " << block;
  }
  ASSERT_EQ(lengths.size(), 32u);
  for (std::size_t id = 0; id < 32; ++id) EXPECT_EQ(lengths[id] > 0, id >= 1 && id <= 19) << id;
}

// Read as the system's file properties read it. The numbers follow the
// project version in CMakeLists.txt.
TEST_F(PluginFile, VersionResourceIsTheProjectVersionLanguageNeutral) {
  const auto infoSize =
      VersionLibrary<decltype(GetFileVersionInfoSizeA)>("GetFileVersionInfoSizeA");
  const auto info = VersionLibrary<decltype(GetFileVersionInfoA)>("GetFileVersionInfoA");
  const auto query = VersionLibrary<decltype(VerQueryValueA)>("VerQueryValueA");
  ASSERT_TRUE(infoSize && info && query);
  char path[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(module_, path, MAX_PATH), 0u);
  std::vector<char> block(infoSize(path, nullptr));
  ASSERT_TRUE(!block.empty() && info(path, 0, block.size(), block.data()));
  UINT bytes = 0;
  const auto value = [&](const std::string& key) -> const void* {
    void* at = nullptr;
    return query(block.data(), key.c_str(), &at, &bytes) ? at : nullptr;
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
