// The built plug-in's file layout, beyond what the host reads back through
// the system (export names and strings are checked end to end): only system
// libraries imported, and string-table blocks that hold exactly 16
// length-prefixed strings with no terminators or padding.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace {

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR list) {
  reinterpret_cast<std::vector<ULONG_PTR>*>(list)->push_back(reinterpret_cast<ULONG_PTR>(name));
  return TRUE;
}

class PluginFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Mapped as an image without running its entry or loading its imports.
    module_ = LoadLibraryExA(MBC_PLUGIN_DLL, nullptr, DONT_RESOLVE_DLL_REFERENCES);
  }
  static void TearDownTestSuite() {
    if (module_ != nullptr) FreeLibrary(module_);
    module_ = nullptr;
  }
  void SetUp() override { ASSERT_NE(module_, nullptr) << "cannot map " << MBC_PLUGIN_DLL; }

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
  ASSERT_NE(entry.VirtualAddress, 0u);
  const std::set<std::string> system{"kernel32.dll", "user32.dll", "msvcrt.dll"};
  for (const auto* import = At<IMAGE_IMPORT_DESCRIPTOR>(entry.VirtualAddress); import->Name != 0;
       ++import) {
    std::string name = At<char>(import->Name);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_EQ(system.count(name), 1u) << name << " is not a system library";
  }
}

TEST_F(PluginFile, StringBlocksHoldSixteenCountedStringsAndNothingElse) {
  std::vector<ULONG_PTR> blocks;
  EnumResourceNamesA(module_, MAKEINTRESOURCEA(6), CollectName,
                     reinterpret_cast<LONG_PTR>(&blocks));
  ASSERT_EQ(blocks, (std::vector<ULONG_PTR>{1, 2}));

  std::vector<std::size_t> lengths;  // of strings 0 to 31
  for (ULONG_PTR block : blocks) {
    const HRSRC resource = FindResourceExA(module_, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(block),
                                           MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_NE(resource, nullptr);
    const auto* units = static_cast<const WORD*>(LockResource(LoadResource(module_, resource)));
    const std::size_t unitCount = SizeofResource(module_, resource) / 2;
    std::size_t at = 0;
    for (int i = 0; i < 16 && at < unitCount; ++i) {
      const std::size_t length = units[at];
      lengths.push_back(length);
      // A terminator counted into the string would be shown as part of it.
      if (length > 0 && at + length < unitCount) {
        EXPECT_NE(units[at + length], 0) << "block " << block << " string " << i;
      }
      at += 1 + length;
    }
    EXPECT_EQ(at, unitCount) << "block " << block;
    EXPECT_EQ(SizeofResource(module_, resource) % 2, 0u);
  }
  ASSERT_EQ(lengths.size(), 32u);
  EXPECT_EQ(lengths[0], 0u) << "string 0 is empty";
  EXPECT_EQ(lengths[1], std::char_traits<char>::length("MBC Initialized[%L%MBC_Init%"));
  for (std::size_t id = 1; id <= 19; ++id) EXPECT_GT(lengths[id], 0u) << "string " << id;
  for (std::size_t id = 20; id < 32; ++id) EXPECT_EQ(lengths[id], 0u) << "string " << id;
}

}  // namespace
