#include "refhost/runner/script_mistakes.h"

#include <algorithm>

namespace refhost {

bool Mistakes::Before(const Mistake& a, const Mistake& b) {
  if (a.line != b.line) return a.line < b.line;
  if (a.column != b.column) return a.column < b.column;
  return a.order < b.order;
}

bool Mistakes::WouldShow(std::uint32_t line, std::size_t column) const {
  return kept_.size() < kShown || Before(Mistake{line, column, count_, {}}, kept_.back());
}

void Mistakes::Add(std::uint32_t line, std::size_t column, std::string message) {
  const Mistake mistake{line, column, count_++, std::move(message)};
  if (kept_.size() == kShown && !Before(mistake, kept_.back())) return;
  kept_.insert(std::upper_bound(kept_.begin(), kept_.end(), mistake, Before), mistake);
  if (kept_.size() > kShown) kept_.pop_back();
}

std::vector<std::string> Mistakes::Shown() const {
  std::vector<std::string> shown;
  for (const Mistake& m : kept_) {
    shown.push_back("line " + std::to_string(m.line) + ", column " + std::to_string(m.column) +
                    ": " + m.message);
  }
  return shown;
}

}  // namespace refhost
