#include "refhost/runner/plugin_module.h"

#include "refhost/runner/export_call.h"

namespace refhost {
namespace {

// The system's text for an error code, on one line.
std::string SystemMessage(DWORD code) {
  char text[512] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, text, sizeof text, nullptr);
  std::string message(text, length);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.')) {
    message.pop_back();
  }
  return message.empty() ? "the system gives no reason" : message;
}

}  // namespace

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
    const DWORD code = GetLastError();
    *error = std::string("cannot load ") + fileName + ": " + SystemMessage(code) + " (error " +
             std::to_string(code) + ")";
    return false;
  }
  const HMODULE module = module_;
  const auto exports = [module](const char* name) {
    return reinterpret_cast<const void*>(GetProcAddress(module, name));
  };
  const auto rows = [module](unsigned id, std::u16string* text) {
    return ReadResourceString(module, id, text);
  };
  char path[MAX_PATH];
  const std::string loaded(path, GetModuleFileNameA(module, path, MAX_PATH));
  if (exports(kLoadHookExport) == nullptr || exports(kUnloadHookExport) == nullptr) {
    *error = loaded + " lacks its load or unload hook";
  } else if (commands_.Read(rows, exports, error)) {
    return true;
  } else {
    *error = loaded + ": " + *error;
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
