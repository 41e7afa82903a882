#include "refhost/runner/command_parameters.h"

namespace refhost {
namespace {

// Exports whose hint names parameters in another order than the export
// takes them, as docs/commands.md gives both; the fix applies only to the
// hint written here, so a table that changes its hint is shown as it is.
const struct {
  const char* exportName;
  const char* hint;
  const char* order;
} kReordered[] = {
    {"IMBox", "Memblock Number, Left, Top, Bottom, Right, RGBColor, FillMode",
     "Memblock Number, Left, Top, Right, Bottom, RGBColor, FillMode"},
};

std::vector<std::string> Split(const std::string& list) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start < list.size()) {
    const std::size_t comma = std::min(list.find(',', start), list.size());
    std::size_t from = start, to = comma;
    while (from < to && list[from] == ' ') ++from;
    while (to > from && list[to - 1] == ' ') --to;
    names.push_back(list.substr(from, to - from));
    start = comma + 1;
  }
  return names;
}

std::string Joined(const std::vector<std::string>& names, std::size_t from, std::size_t to) {
  std::string text;
  for (std::size_t i = from; i < to; ++i) text += (i == from ? "" : ", ") + names[i];
  return text;
}

std::string Ordinal(std::size_t n) {
  const char* ending = n % 10 == 1 && n != 11   ? "st"
                       : n % 10 == 2 && n != 12 ? "nd"
                       : n % 10 == 3 && n != 13 ? "rd"
                                                : "th";
  return std::to_string(n) + ending;
}

// `text` in lines of at most 80 characters, each indented by `indent`.
std::string Wrapped(const std::string& text, std::size_t indent) {
  std::string lines, line;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find(' ', at), text.size());
    const std::string word = text.substr(at, end - at);
    if (!line.empty() && indent + line.size() + 1 + word.size() > 80) {
      lines += std::string(indent, ' ') + line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    at = end + 1;
  }
  return lines + std::string(indent, ' ') + line + "\n";
}

}  // namespace

std::vector<std::string> Parameters(const CommandRow& row) {
  for (const auto& r : kReordered) {
    if (row.exportName == r.exportName && row.hint == r.hint) return Split(r.order);
  }
  return Split(row.hint);
}

std::string ParameterList(const CommandRow& row) {
  return Joined(Parameters(row), 0, Parameters(row).size());
}

std::string HintDifference(const CommandRow& row) {
  const std::vector<std::string> hint = Split(row.hint), taken = Parameters(row);
  std::size_t first = 0, last = hint.size();
  while (first < last && hint[first] == taken[first]) ++first;
  while (last > first && hint[last - 1] == taken[last - 1]) --last;
  if (first == last) return "";
  std::string places = Ordinal(first + 1);
  for (std::size_t i = first + 1; i < last; ++i) {
    places += (i + 1 == last ? " and " : ", ") + Ordinal(i + 1);
  }
  return "the command table's hint gives the " + places + " as " + Joined(hint, first, last) +
         "; the command takes " + Joined(taken, first, last);
}

std::string CommandsHelp(const CommandSet& commands) {
  std::string text =
      "Commands, from the plug-in's command table, each with its arguments in the\n"
      "order it takes them (\"v = ...\" for one that gives a value):\n";
  for (const PluginCommand& command : commands.Commands()) {
    const CommandRow& row = command.row;
    const std::string params = ParameterList(row);
    text += "  " +
            (row.returnsValue ? "v = " + row.scriptName + (params.empty() ? "" : "(" + params + ")")
                              : row.scriptName + (params.empty() ? "" : " " + params)) +
            "\n";
    const std::string differs = HintDifference(row);
    if (!differs.empty()) text += Wrapped("(" + differs + ")", 6);
  }
  return text;
}

}  // namespace refhost
