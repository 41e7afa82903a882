#include "loaded_plugin.h"

#include "refhost/runner/export_call.h"
#include "refhost/runner/message_box_capture.h"

void LoadedPlugin::SetUp() {
  HMODULE companion = LoadLibraryA("RuzazUrovuv.dll");
  ASSERT_NE(companion, nullptr);
  ASSERT_TRUE(host_.Resolve(companion)) << host_.MissingExport();
  host_.ResetStore();
  ASSERT_NE(LoadLibraryA("ZavarOvur.dll"), nullptr);
  ASSERT_NO_FATAL_FAILURE(LoadPlugin());
  plugin_.CallLoadHook();
}

void LoadedPlugin::LoadPlugin() {
  std::string error;
  ASSERT_TRUE(plugin_.Load(refhost::kPluginFileName, &error)) << error;
  ASSERT_TRUE(refhost::CaptureMessageBoxes(plugin_.Handle()));
  refhost::ClearMessageBoxes();
}

void LoadedPlugin::TearDown() {
  // With both host libraries beside it the plug-in has nothing to warn about.
  for (const refhost::MessageBoxRecord& box : refhost::CapturedMessageBoxes()) {
    ADD_FAILURE() << "unexpected message box \"" << box.title << "\": " << box.text;
  }
  if (plugin_.Handle() != nullptr) {
    EXPECT_EQ(plugin_.CallUnloadHook(), 0);
    EXPECT_TRUE(plugin_.Unload()) << "the plug-in stayed loaded";
  }
}

std::int32_t LoadedPlugin::Command(const std::string& name, const std::vector<std::int32_t>& args) {
  const refhost::PluginCommand* command = plugin_.Find(name, args.size());
  if (command == nullptr) {
    ADD_FAILURE() << "no row \"" << name << "\" with " << args.size() << " parameters";
    return 0;
  }
  return refhost::CallExport(command->address, args);
}

std::int32_t LoadedPlugin::Export(const char* name, const std::vector<std::int32_t>& args) {
  const void* address = reinterpret_cast<const void*>(GetProcAddress(plugin_.Handle(), name));
  if (address == nullptr) {
    ADD_FAILURE() << "no export " << name;
    return 0;
  }
  return refhost::CallExport(address, args);
}

std::int32_t LoadedPlugin::Dword(std::int32_t n, std::size_t offset) const {
  const std::vector<std::uint8_t> bytes = host_.Bytes(n);
  if (bytes.size() < offset + 4) return 0xDEAD;
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
  return static_cast<std::int32_t>(value);
}
