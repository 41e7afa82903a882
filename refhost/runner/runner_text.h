// How the runner writes numbers and lines.
#pragma once

#include <cstdint>
#include <string>

namespace refhost {

// The width a line is echoed in, before its result.
constexpr std::size_t kEchoWidth = 56;

std::string Padded(std::string text, std::size_t width);

// "0x" and `digits` upper-case hexadecimal digits.
std::string Hex(std::uint32_t value, int digits);

// A value as the runner shows it: a colour or pixel as its 32-bit pattern,
// "0x" and eight digits, whatever its size; any other value in decimal.
std::string Shown(std::int32_t value, bool pixel);

// "1 byte", "2 bytes".
std::string Plural(std::uint64_t n, const char* word);

}  // namespace refhost
