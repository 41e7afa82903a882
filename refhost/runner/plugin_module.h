// The plug-in as the host sees it: a library loaded by file name, its command
// table read from the string-table resource, each row's export resolved, and
// the load and unload hooks.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "refhost/runner/command_set.h"

namespace refhost {

constexpr char kPluginFileName[] = "DoduzIridizeruRediro.dll";

// String `id` of `module`'s string table exactly as stored (no terminator is
// added or needed); false when there is no such string.
bool ReadResourceString(HMODULE module, UINT id, std::u16string* text);

class PluginModule {
 public:
  PluginModule() = default;
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;
  ~PluginModule() { Unload(); }

  // Loads the library through the ordinary search (the program's folder
  // first), reads its command table and resolves every export the table and
  // the hooks name. On failure says why in `error` and keeps nothing loaded.
  bool Load(const char* fileName, std::string* error);

  // Frees the library (calling the unload hook first is the caller's part)
  // and returns true when it is gone from the process afterwards.
  bool Unload();

  HMODULE Handle() const { return module_; }
  const CommandSet& Commands() const { return commands_; }

  void CallLoadHook() const;
  std::int32_t CallUnloadHook() const;

 private:
  HMODULE module_ = nullptr;
  std::string fileName_;
  CommandSet commands_;
};

}  // namespace refhost
