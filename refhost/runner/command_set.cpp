#include "refhost/runner/command_set.h"

#include "refhost/runner/export_call.h"

namespace refhost {
namespace {

// The host reads rows 1, 2, ... and stops at the first one that is missing;
// no real table comes near this bound.
constexpr unsigned kMostRows = 4096;

}  // namespace

bool CommandSet::Read(const RowReader& rows, ExportLookup exports, std::string* error) {
  Clear();
  std::u16string text;
  for (unsigned id = 1; id < kMostRows && rows(id, &text); ++id) {
    const std::optional<CommandRow> row = ParseCommandRow(text);
    const std::string where = "command table row " + std::to_string(id);
    if (!row) {
      *error = where + " cannot be read";
    } else if (row->ParamCount() > kMaxCommandArgs) {
      *error = where + " has too many parameters";
    } else if (exports(row->exportName.c_str()) == nullptr) {
      *error = where + " names a missing export " + row->exportName;
    } else {
      commands_.push_back(PluginCommand{*row, exports(row->exportName.c_str())});
      continue;
    }
    Clear();
    return false;
  }
  if (commands_.empty()) {
    *error = "no command table";
    return false;
  }
  exports_ = std::move(exports);
  return true;
}

void CommandSet::Clear() {
  commands_.clear();
  exports_ = nullptr;
}

const PluginCommand* CommandSet::Find(const std::string& name, std::size_t argCount) const {
  for (const PluginCommand& command : commands_) {
    if (RowMatches(command.row, name, argCount)) return &command;
  }
  return nullptr;
}

const void* CommandSet::Export(const std::string& name) const {
  return exports_ ? exports_(name.c_str()) : nullptr;
}

bool CommandSet::Call(const std::string& name, const std::vector<std::int32_t>& args,
                      std::int32_t* result) const {
  const PluginCommand* command = Find(name, args.size());
  if (command == nullptr) return false;
  *result = CallExport(command->address, args);
  return true;
}

}  // namespace refhost
