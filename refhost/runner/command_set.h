// The plug-in's commands as the host sees them: the rows of its command
// table, each with the address of the export it names, and every export by
// name. Filled from the DLL by PluginModule, or natively from the plug-in's
// code linked into a test program.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "refhost/companion/companion_client.h"
#include "refhost/runner/command_row.h"

namespace refhost {

// The hooks the host calls when it loads and before it unloads the plug-in.
constexpr char kLoadHookExport[] = "?Constructor@@YAXXZ";
constexpr char kUnloadHookExport[] = "Destructor";

struct PluginCommand {
  CommandRow row;
  const void* address;
};

// String `id` of the command table exactly as stored; false when missing.
using RowReader = std::function<bool(unsigned id, std::u16string* text)>;

class CommandSet {
 public:
  // Reads rows 1, 2, ... up to the first missing one, as the host does, and
  // resolves each row's export through `exports`. On failure says why in
  // `error` and keeps nothing.
  bool Read(const RowReader& rows, ExportLookup exports, std::string* error);
  void Clear();

  const std::vector<PluginCommand>& Commands() const { return commands_; }
  // The command a script line calls: by name, without case, and argument count.
  const PluginCommand* Find(const std::string& name, std::size_t argCount) const;
  // Any export by name (the hooks, PrepareMeshMemblock), or null.
  const void* Export(const std::string& name) const;
  // Calls the command `name` with `args` through its row; false when no row
  // of that name takes that many arguments.
  bool Call(const std::string& name, const std::vector<std::int32_t>& args,
            std::int32_t* result) const;

 private:
  std::vector<PluginCommand> commands_;
  ExportLookup exports_;
};

}  // namespace refhost
