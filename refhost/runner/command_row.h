// One row of the plug-in's command table, as the host reads it: four fields
// separated by "%": the script name (followed by "[" when the command returns
// a value), the type letters, the export's name and the parameter hint.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace refhost {

struct CommandRow {
  std::string scriptName;  // without the "["
  bool returnsValue = false;
  char resultType = 0;     // the result's letter when returnsValue, else 0
  std::string paramTypes;  // one letter per parameter, in order
  std::string exportName;
  std::string hint;

  std::size_t ParamCount() const { return paramTypes.size(); }
};

// Parses a row. Refuses (nullopt) anything the host could not call with 32-bit
// integers alone: not exactly four fields, characters outside printable ASCII,
// an empty name or export, a type field that is neither "0" nor letters "L"
// (integer) and "H" (array reference), a "0" on a command with a result, or a
// result flag without a result letter.
std::optional<CommandRow> ParseCommandRow(std::u16string_view text);

// True when `row` is the one a script line means by `name` (letters compared
// without case) with `argCount` arguments: names may repeat with different
// parameter counts.
bool RowMatches(const CommandRow& row, std::string_view name, std::size_t argCount);

// True when `a` and `b` are equal ignoring the case of ASCII letters.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace refhost
