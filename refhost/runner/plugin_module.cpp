#include "refhost/runner/plugin_module.h"

#include "refhost/runner/export_call.h"

namespace refhost {
namespace {

// The host reads rows 1, 2, ... and stops at the first one that is missing;
// no real table comes near this bound.
constexpr UINT kMostRows = 4096;

const void* Export(HMODULE module, const std::string& name) {
  return reinterpret_cast<const void*>(GetProcAddress(module, name.c_str()));
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
    *error =
        std::string("cannot load ") + fileName + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  loadHook_ = Export(module_, kLoadHookExport);
  unloadHook_ = Export(module_, kUnloadHookExport);
  if (loadHook_ == nullptr || unloadHook_ == nullptr) {
    *error = std::string(fileName) + " lacks " + (loadHook_ ? kUnloadHookExport : kLoadHookExport);
  } else if (ReadCommandTable(error)) {
    return true;
  }
  FreeLibrary(module_);
  module_ = nullptr;
  commands_.clear();
  return false;
}

bool PluginModule::ReadCommandTable(std::string* error) {
  commands_.clear();
  std::u16string text;
  for (UINT id = 1; id < kMostRows && ReadResourceString(module_, id, &text); ++id) {
    const std::optional<CommandRow> row = ParseCommandRow(text);
    if (!row) {
      *error = "command table row " + std::to_string(id) + " cannot be read";
      return false;
    }
    if (row->ParamCount() > kMaxCommandArgs) {
      *error = "command table row " + std::to_string(id) + " has too many parameters";
      return false;
    }
    const void* address = Export(module_, row->exportName);
    if (address == nullptr) {
      *error =
          "command table row " + std::to_string(id) + " names a missing export " + row->exportName;
      return false;
    }
    commands_.push_back(PluginCommand{*row, address});
  }
  if (commands_.empty()) {
    *error = "no command table";
    return false;
  }
  return true;
}

bool PluginModule::Unload() {
  if (module_ == nullptr) return true;
  const bool freed = FreeLibrary(module_) != 0;
  module_ = nullptr;
  commands_.clear();
  return freed && GetModuleHandleA(fileName_.c_str()) == nullptr;
}

std::vector<CommandRow> PluginModule::Rows() const {
  std::vector<CommandRow> rows;
  for (const PluginCommand& command : commands_) rows.push_back(command.row);
  return rows;
}

const PluginCommand* PluginModule::Find(const std::string& name, std::size_t argCount) const {
  for (const PluginCommand& command : commands_) {
    if (RowMatches(command.row, name, argCount)) return &command;
  }
  return nullptr;
}

void PluginModule::CallLoadHook() const {
  if (loadHook_ != nullptr) CallExport(loadHook_, {});
}

std::int32_t PluginModule::CallUnloadHook() const {
  return unloadHook_ != nullptr ? CallExport(unloadHook_, {}) : 0;
}

}  // namespace refhost
