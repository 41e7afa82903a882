#include "refhost/runner/script_program.h"

namespace refhost {

Meaning MeaningOf(std::string_view exportName) {
  static const struct {
    const char* exportName;
    Meaning meaning;
  } kMeanings[] = {
      {"IMGetPixel", Meaning::kPixel},
  };
  for (const auto& m : kMeanings) {
    if (exportName == m.exportName) return m.meaning;
  }
  return Meaning::kNumber;
}

std::int32_t Variables::Slot(std::string_view name) {
  const std::int32_t found = Find(name);
  if (found >= 0) return found;
  const auto slot = static_cast<std::int32_t>(names_.size());
  names_.emplace_back(name);
  slots_.emplace(names_.back(), slot);
  cells.emplace_back();
  return slot;
}

std::int32_t Variables::Find(std::string_view name) const {
  const auto found = slots_.find(std::string(name));
  return found == slots_.end() ? -1 : found->second;
}

}  // namespace refhost
