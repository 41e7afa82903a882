#include "refhost/runner/command_row.h"

namespace refhost {
namespace {

std::optional<std::string> PrintableAscii(std::u16string_view text) {
  std::string narrow;
  narrow.reserve(text.size());
  for (char16_t c : text) {
    if (c < 0x20 || c > 0x7e) return std::nullopt;
    narrow.push_back(static_cast<char>(c));
  }
  return narrow;
}

std::vector<std::string> SplitFields(const std::string& text, char separator) {
  std::vector<std::string> fields(1);
  for (char c : text) {
    if (c == separator) {
      fields.emplace_back();
    } else {
      fields.back().push_back(c);
    }
  }
  return fields;
}

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::optional<CommandRow> ParseCommandRow(std::u16string_view text) {
  const std::optional<std::string> narrow = PrintableAscii(text);
  if (!narrow) return std::nullopt;
  std::vector<std::string> fields = SplitFields(*narrow, '%');
  if (fields.size() != 4) return std::nullopt;

  CommandRow row;
  row.scriptName = fields[0];
  if (!row.scriptName.empty() && row.scriptName.back() == '[') {
    row.returnsValue = true;
    row.scriptName.pop_back();
  }
  row.exportName = fields[2];
  row.hint = fields[3];
  if (row.scriptName.empty() || row.exportName.empty()) return std::nullopt;

  const std::string& types = fields[1];
  if (types == "0") {
    if (row.returnsValue) return std::nullopt;
    return row;
  }
  if (types.empty()) return std::nullopt;
  for (char letter : types) {
    if (letter != 'L' && letter != 'H') return std::nullopt;
  }
  if (row.returnsValue) {
    row.resultType = types[0];
    row.paramTypes = types.substr(1);
  } else {
    row.paramTypes = types;
  }
  return row;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool RowMatches(const CommandRow& row, std::string_view name, std::size_t argCount) {
  return row.ParamCount() == argCount && SameNameIgnoringCase(row.scriptName, name);
}

}  // namespace refhost
