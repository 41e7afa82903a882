// What the host reads from the library file itself: the export directory and
// the command table in the string-table resource.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "loaded_plugin.h"

namespace {

// Names in the export directory of a loaded module, read from its PE headers.
// An export reachable by ordinal only has no name: it is listed as "#ordinal".
std::vector<std::string> ExportNames(HMODULE module) {
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& entry =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  std::vector<std::string> names;
  if (entry.VirtualAddress == 0) return names;
  const auto* directory =
      reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
  const auto* nameRvas = reinterpret_cast<const DWORD*>(base + directory->AddressOfNames);
  for (DWORD i = 0; i < directory->NumberOfNames; ++i) {
    names.emplace_back(reinterpret_cast<const char*>(base + nameRvas[i]));
  }
  for (DWORD i = directory->NumberOfNames; i < directory->NumberOfFunctions; ++i) {
    names.push_back("#" + std::to_string(directory->Base + i));
  }
  return names;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
  reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
  return TRUE;
}

// The languages in which string-table block `block` (strings 16 * (block - 1)
// onwards) is stored.
std::vector<WORD> BlockLanguages(HMODULE module, WORD block) {
  std::vector<WORD> languages;
  EnumResourceLanguagesW(module, MAKEINTRESOURCEW(6) /* RT_STRING */, MAKEINTRESOURCEW(block),
                         &CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
  return languages;
}

const std::u16string kTable[] = {
    u"MBC Initialized[%L%MBC_Init%",
    u"MBC Clear All Memblocks%0%MBC_Clear%",
    u"MBC Exist Memblock Count[%L%MBC_Count%",
    u"MBC Delete Memblock[%LL%MBC_Delete%Memblock Number",
    u"MBC Clone Memblock[%LL%MBC_CloneMemblock%Source Memblock",
    u"MBC Make Memblock[%LL%MBC_DynamicMake%Bytes Size",
    u"MBC Make Memblock From Array[%LH%MBC_DynamicMakeFromArray%Array Name(0)",
    u"MBC Make Memblock From Bitmap[%LL%MBC_DynamicMakeFromBitmap%Bitmap Number",
    u"MBC Make Memblock From Image[%LL%MBC_DynamicMakeFromImage%Image Number",
    u"MBC Make Memblock From Mesh[%LL%MBC_DynamicMakeFromMesh%Mesh Number",
    u"MBC Make Memblock From Sound[%LL%MBC_DynamicMakeFromSound%Sound Number",
    u"MBC Make Memblock Image[%LLLL%MakeMemblockImage%Width, Height, Depth",
    u"MBC Plot%LLLL%IMPlot%Memblock Number, X, Y, RGBColor",
    u"MBC Get Pixel[%LLLL%IMGetPixel%Memblock Number, X, Y",
    u"MBC Circle%LLLLLL%IMCircle%Memblock Number, X, Y, Diameter, RGBColor, FillMode",
    u"MBC Cube%LLLLLL%IMCube%Memblock Number, X, Y, Size, RGBColor, FillMode",
    u"MBC Box%LLLLLLL%IMBox%Memblock Number, Left, Top, Bottom, Right, RGBColor, FillMode",
    u"MBC Stretch Image%LL%IMStretch%Source IM, Target IM",
    u"MBC Stretch Image[%LLLL%IMStretch2%Source IM, Width, Height",
};

using LibraryImage = LoadedPlugin;

TEST_F(LibraryImage, ExportDirectoryHoldsExactlyTheHooksAndCommands) {
  std::vector<std::string> names = ExportNames(plugin_.Handle());
  std::sort(names.begin(), names.end());
  std::vector<std::string> expected = {"?Constructor@@YAXXZ",
                                       "Destructor",
                                       "MBC_Init",
                                       "MBC_Clear",
                                       "MBC_Count",
                                       "MBC_Delete",
                                       "MBC_DynamicMake",
                                       "MBC_CloneMemblock",
                                       "MBC_DynamicMakeFromArray",
                                       "MBC_DynamicMakeFromBitmap",
                                       "MBC_DynamicMakeFromImage",
                                       "MBC_DynamicMakeFromMesh",
                                       "MBC_DynamicMakeFromSound",
                                       "MakeMemblockImage",
                                       "PrepareMeshMemblock",
                                       "IMPlot",
                                       "IMGetPixel",
                                       "IMCircle",
                                       "IMCube",
                                       "IMBox",
                                       "IMStretch",
                                       "IMStretch2"};
  std::sort(expected.begin(), expected.end());
  ASSERT_EQ(expected.size(), 22u);
  EXPECT_EQ(names, expected);
}

TEST_F(LibraryImage, StringTableReadsBackAsTheCommandTable) {
  std::u16string text;
  EXPECT_FALSE(refhost::ReadResourceString(plugin_.Handle(), 0, &text)) << "string 0 is not empty";
  for (UINT id = 1; id <= 19; ++id) {
    ASSERT_TRUE(refhost::ReadResourceString(plugin_.Handle(), id, &text)) << "string " << id;
    EXPECT_TRUE(text == kTable[id - 1]) << "string " << id << " differs";
  }
  EXPECT_FALSE(refhost::ReadResourceString(plugin_.Handle(), 20, &text)) << "a string past 19";
}

TEST_F(LibraryImage, StringTableIsTwoLanguageNeutralBlocks) {
  const std::vector<WORD> neutral = {MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)};
  EXPECT_EQ(BlockLanguages(plugin_.Handle(), 1), neutral);
  EXPECT_EQ(BlockLanguages(plugin_.Handle(), 2), neutral);
  EXPECT_TRUE(BlockLanguages(plugin_.Handle(), 3).empty());
}

TEST_F(LibraryImage, HostFindsEveryRowAndItsExport) {
  const std::vector<refhost::PluginCommand>& commands = plugin_.Commands();
  ASSERT_EQ(commands.size(), 19u);
  for (const refhost::PluginCommand& command : commands) {
    EXPECT_EQ(command.address, reinterpret_cast<const void*>(GetProcAddress(
                                   plugin_.Handle(), command.row.exportName.c_str())))
        << command.row.exportName;
  }
  // The two rows of one name are told apart by their parameter counts.
  const refhost::PluginCommand* into = plugin_.Find("mbc stretch image", 2);
  const refhost::PluginCommand* made = plugin_.Find("MBC Stretch Image", 3);
  ASSERT_NE(into, nullptr);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(into->row.exportName, "IMStretch");
  EXPECT_FALSE(into->row.returnsValue);
  EXPECT_EQ(made->row.exportName, "IMStretch2");
  EXPECT_TRUE(made->row.returnsValue);
  EXPECT_EQ(made->row.resultType, 'L');
  const refhost::PluginCommand* clear = plugin_.Find("MBC Clear All Memblocks", 0);
  ASSERT_NE(clear, nullptr);
  EXPECT_FALSE(clear->row.returnsValue);
  const refhost::PluginCommand* array = plugin_.Find("MBC Make Memblock From Array", 1);
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(array->row.paramTypes, "H");
  const refhost::PluginCommand* box = plugin_.Find("MBC Box", 7);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->row.hint, "Memblock Number, Left, Top, Bottom, Right, RGBColor, FillMode");
}

}  // namespace
