// The file names a script may use in "save", "expect_image" and the PNG forms
// of "bitmap" and "image": a plain name, or a relative path below the folder
// the runner reads from or writes to, never a way out of it.
#pragma once

#include <string>
#include <string_view>

namespace refhost {

// Why `name` is refused, or "" when it may be used. Refused: an empty name or
// component, an absolute path (a leading "/" or "\"), a drive or stream (any
// ":"), a component that ends in "." or a blank (".." among them: Windows
// drops such endings, so "..." and ".. " would reach the parent too), bytes
// outside printable ASCII, and the names of Windows devices ("CON", "nul.png").
// `wayOut`, when given, tells whether the name was refused as a way out of
// its folder (an absolute path, a drive, "..").
std::string RefusedFileName(std::string_view name, bool* wayOut = nullptr);

// `text` with every byte outside printable ASCII written as \xNN, so that a
// message shows exactly what a script line holds.
std::string Escaped(std::string_view text);

}  // namespace refhost
