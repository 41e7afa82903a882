#include "refhost/runner/file_names.h"

#include <algorithm>
#include <cstdio>

#include "refhost/runner/command_row.h"

namespace refhost {
namespace {

bool IsDeviceName(std::string_view component) {
  const std::string_view stem = component.substr(0, component.find('.'));
  for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
    if (SameNameIgnoringCase(stem, device)) return true;
  }
  const bool numbered = stem.size() == 4 && stem[3] >= '0' && stem[3] <= '9';
  return numbered && (SameNameIgnoringCase(stem.substr(0, 3), "COM") ||
                      SameNameIgnoringCase(stem.substr(0, 3), "LPT"));
}

}  // namespace

std::string RefusedFileName(std::string_view name, bool* wayOut) {
  bool out = false;
  if (wayOut == nullptr) wayOut = &out;
  *wayOut = false;
  if (name.empty()) return "an empty file name";
  for (char c : name) {
    if (c < 0x20 || c > 0x7e) return "a file name with bytes outside printable ASCII";
    *wayOut = c == ':';
    if (*wayOut) return "a drive or stream in a file name";
  }
  *wayOut = name.front() == '/' || name.front() == '\\';
  if (*wayOut) return "an absolute path";
  std::size_t start = 0;
  while (start <= name.size()) {
    const std::size_t end = std::min(name.find_first_of("/\\", start), name.size());
    const std::string_view component = name.substr(start, end - start);
    if (component.empty()) return "an empty folder or file name in a path";
    if (component.back() == '.' || component.back() == ' ') {
      *wayOut = true;
      return "a path component ending in \".\" or a blank (\"..\" leaves the folder)";
    }
    if (IsDeviceName(component)) return "the name of a device";
    start = end + 1;
  }
  return "";
}

std::string Escaped(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7f) {
      out.push_back(static_cast<char>(c));
    } else {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02X", c);
      out += code;
    }
  }
  return out;
}

}  // namespace refhost
