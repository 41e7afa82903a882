#include "refhost/runner/script_text.h"

#include <utf8cpp/utf8.h>

#include <algorithm>

#include "refhost/runner/runner_text.h"

namespace refhost {
namespace {

// "line L, column C" of the character that starts at `at` in valid UTF-8,
// lines ending as ScriptLines ends them.
std::string Where(std::string_view text, std::size_t at) {
  ScriptLines lines(text.substr(0, at));
  std::size_t line = 0;
  std::string_view last;
  while (lines.Next(&last)) ++line;
  // A text that ends with a line end has started the next line.
  const bool ended = at > 0 && (text[at - 1] == '\n' || text[at - 1] == '\r');
  if (ended || line == 0) {
    ++line;
    last = std::string_view();
  }
  const auto column = utf8::distance(last.begin(), last.end()) + 1;
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// Converts UTF-16 after its mark; false with `error` at the first unit that
// is not part of a character.
bool FromUtf16(std::string_view bytes, bool bigEndian, std::string* text, std::string* error) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    const auto first = static_cast<unsigned char>(bytes[2 * i]);
    const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
    units[i] = static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
  }
  // Only whole characters go to the library; the place of a broken one is
  // told in the UTF-8 made of those before it.
  std::size_t whole = 0;
  while (whole < units.size()) {
    const char16_t unit = units[whole];
    const bool high = unit >= 0xD800 && unit <= 0xDBFF, low = unit >= 0xDC00 && unit <= 0xDFFF;
    if (!high && !low) {
      ++whole;
    } else if (high && whole + 1 < units.size() && units[whole + 1] >= 0xDC00 &&
               units[whole + 1] <= 0xDFFF) {
      whole += 2;
    } else {
      break;
    }
  }
  text->clear();
  utf8::utf16to8(units.begin(), units.begin() + static_cast<std::ptrdiff_t>(whole),
                 std::back_inserter(*text));
  if (whole < units.size()) {
    *error = Where(*text, text->size()) + ": a UTF-16 surrogate " + Hex(units[whole], 4) +
             " without its other half; the script's UTF-16 is damaged";
    return false;
  }
  if (bytes.size() % 2 != 0) {
    *error = Where(*text, text->size()) + ": the UTF-16 script ends in half a character";
    return false;
  }
  return true;
}

}  // namespace

bool DecodeScript(std::string_view bytes, std::string* text, std::string* error) {
  const auto startsWith = [bytes](std::string_view mark) {
    return bytes.substr(0, mark.size()) == mark;
  };
  if (startsWith("\xFF\xFE") || startsWith("\xFE\xFF")) {
    if (!FromUtf16(bytes.substr(2), bytes[0] == '\xFE', text, error)) return false;
  } else {
    *text = std::string(startsWith("\xEF\xBB\xBF") ? bytes.substr(3) : bytes);
  }
  const auto invalid =
      static_cast<std::size_t>(utf8::find_invalid(text->begin(), text->end()) - text->begin());
  const std::size_t nul = std::min(text->find('\0'), text->size());
  if (nul < invalid) {
    *error = Where(*text, nul) +
             ": a NUL byte; a script is text (one saved as UTF-16 needs its byte-order mark)";
    return false;
  }
  if (invalid < text->size()) {
    *error = Where(*text, invalid) + ": byte " +
             Hex(static_cast<unsigned char>((*text)[invalid]), 2) +
             " is not UTF-8; save the script as UTF-8 (or as UTF-16 with its byte-order mark)";
    return false;
  }
  return true;
}

bool ScriptLines::Next(std::string_view* line) {
  if (at_ >= text_.size()) return false;
  const std::size_t end = std::min(text_.find_first_of("\r\n", at_), text_.size());
  *line = text_.substr(at_, end - at_);
  const bool crlf = end + 1 < text_.size() && text_[end] == '\r' && text_[end + 1] == '\n';
  at_ = end + (crlf ? 2 : 1);
  return true;
}

}  // namespace refhost
