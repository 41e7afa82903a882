#include "refhost/runner/plugin_module.h"

#include "refhost/runner/export_call.h"

namespace refhost {

bool ReadResourceString(HMODULE module, UINT id, std::u16string* text) {
  // With no buffer, LoadStringW hands out the stored string itself.
  const wchar_t* stored = nullptr;
  const int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&stored), 0);
  if (length <= 0 || stored == nullptr) return false;
  text->assign(reinterpret_cast<const char16_t*>(stored), static_cast<std::size_t>(length));
  return true;
}

bool PluginModule::Load(const char* fileName, std::string* error) {
  Unload();
  fileName_ = fileName;
  module_ = LoadLibraryA(fileName);
  if (module_ == nullptr) {
    *error =
        std::string("cannot load ") + fileName + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  const HMODULE module = module_;
  const auto exports = [module](const char* name) {
    return reinterpret_cast<const void*>(GetProcAddress(module, name));
  };
  const auto rows = [module](unsigned id, std::u16string* text) {
    return ReadResourceString(module, id, text);
  };
  if (exports(kLoadHookExport) == nullptr || exports(kUnloadHookExport) == nullptr) {
    *error = std::string(fileName) + " lacks its load or unload hook";
  } else if (commands_.Read(rows, exports, error)) {
    return true;
  }
  FreeLibrary(module_);
  module_ = nullptr;
  return false;
}

bool PluginModule::Unload() {
  if (module_ == nullptr) return true;
  commands_.Clear();
  const bool freed = FreeLibrary(module_) != 0;
  module_ = nullptr;
  return freed && GetModuleHandleA(fileName_.c_str()) == nullptr;
}

void PluginModule::CallLoadHook() const {
  if (const void* hook = commands_.Export(kLoadHookExport)) CallExport(hook, {});
}

std::int32_t PluginModule::CallUnloadHook() const {
  const void* hook = commands_.Export(kUnloadHookExport);
  return hook != nullptr ? CallExport(hook, {}) : 0;
}

}  // namespace refhost
