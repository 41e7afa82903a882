#include "refhost/runner/runner_text.h"

#include <cstdio>

namespace refhost {

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

std::string Hex(std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

std::string Shown(std::int32_t value, bool pixel) {
  return pixel ? Hex(static_cast<std::uint32_t>(value), 8) : std::to_string(value);
}

std::string Plural(std::uint64_t n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

}  // namespace refhost
