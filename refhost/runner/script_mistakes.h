// The mistakes a script's check finds, in line order however they were
// found: the first ones by line and column, shown as "line L, column C: ...",
// and how many there were in all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace refhost {

class Mistakes {
 public:
  // How many are shown; the rest are counted.
  static constexpr std::size_t kShown = 20;

  // Whether a mistake at that place would be shown, so that a message that
  // costs work to word (a nearest name) is worded only then.
  bool WouldShow(std::uint32_t line, std::size_t column) const;
  void Add(std::uint32_t line, std::size_t column, std::string message);

  std::size_t Count() const { return count_; }
  // The shown ones, in order of line and column, then of finding.
  std::vector<std::string> Shown() const;

 private:
  struct Mistake {
    std::uint32_t line;
    std::size_t column;
    std::size_t order;
    std::string message;
  };
  static bool Before(const Mistake& a, const Mistake& b);

  std::vector<Mistake> kept_;  // sorted, at most kShown
  std::size_t count_ = 0;
};

}  // namespace refhost
