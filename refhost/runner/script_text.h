// A script file's bytes as the runner's text: UTF-8, as Windows editors save
// scripts. A UTF-8 byte-order mark is dropped; UTF-16 with its byte-order mark
// (Notepad's "Unicode", little- or big-endian) is converted to UTF-8; line
// ends may be CR LF, LF or a CR alone (as old Mac editors save).
#pragma once

#include <string>
#include <string_view>

namespace refhost {

// The script's text in UTF-8; false with the reason in `error`, as
// "line L, column C: ..." (columns count characters from 1), for a NUL,
// bytes that are not UTF-8, a lone UTF-16 surrogate, or a UTF-16 file
// that ends in half a character.
bool DecodeScript(std::string_view bytes, std::string* text, std::string* error);

// The lines of a script's text, one at a time and without copying them, so
// that a script of many short lines takes no more memory than its text: a
// line ends at CR LF, LF or a lone CR, and a last line end ends the last line.
class ScriptLines {
 public:
  explicit ScriptLines(std::string_view text) : text_(text) {}

  // The next line; false after the last.
  bool Next(std::string_view* line);

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace refhost
