// Files as the runner reads and writes them, all through the system's own
// rules (disk_file.h): a folder's name is made full by the system and printed
// as it spells it, only a file on a disk is read or written, and a file written
// below a folder stays in that folder, links followed. Each refusal names the
// file by its full path with the reason in words ("C:\out\a.png cannot be
// written: No such file or directory").
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "refhost/runner/disk_file.h"

namespace refhost {

enum class ReadResult { kRead, kCannotRead, kTooLarge };

// Reads a whole disk file of at most `largest` bytes; anything else with the
// reason in `error`, the file named by `path` as given (the runner gives full
// paths).
ReadResult ReadFileBytes(const std::string& path, std::uint64_t largest, std::string* bytes,
                         std::string* error);

// Whether nothing stands at `path`.
bool IsMissing(const std::string& path);

// A folder the runner reads from or writes into.
struct Folder {
  std::string full;   // as the system spells it made full
  std::string final;  // what the system resolves it to: links, drive letters, short names undone
};

// The folder at `path`, made with those above it when missing and `make`
// (`made` tells). False with the reason: a folder name that ends in a blank
// or a dot (which Windows drops from the last name alone, so that the folder
// made would not be the one named), a file or device in the way, or the
// system's refusal.
bool OpenFolder(const std::string& path, bool make, Folder* folder, bool* made, std::string* error);

// The path of `name` ("shots/a.png") below `folder`, with the system's
// separators.
std::string PathBelow(const Folder& folder, std::string_view name);

// Why a file, open and about to be written, may not be; "" when it may.
using WriteCheck = std::function<std::string(const DiskFile& file)>;

// Writes `bytes` as `name` below `folder`, making the folders on its way. It
// never writes through a link that leads out of the folder, never into
// anything but a disk file, never where `check` refuses (the check's words
// follow the file's full path in `error`), and never truncates before all of
// that has been asked; a file made on the way to a refusal is removed again.
bool WriteBelow(const Folder& folder, std::string_view name, const std::vector<std::uint8_t>& bytes,
                const WriteCheck& check, std::string* error);

// Removes the file `name` below `folder`, when there is one: only a disk file
// that lies inside the folder, links followed, and that `check` lets be
// (its words follow the file's full path in `error`); true when nothing is
// there.
bool RemoveBelow(const Folder& folder, std::string_view name, const WriteCheck& check,
                 std::string* error);

// `text` with A-Z in lower case: names compared as Windows compares them.
std::string Lowered(std::string text);

}  // namespace refhost
