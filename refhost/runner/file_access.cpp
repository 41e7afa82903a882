#include "refhost/runner/file_access.h"

#include <algorithm>

namespace refhost {
namespace {

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

// Whether `path`, as the system resolves it, lies inside `folder`.
bool Inside(const std::string& path, const Folder& folder) {
  std::string prefix = Lowered(folder.final);
  if (prefix.empty() || !IsSeparator(prefix.back())) prefix += kPathSeparator;
  return Lowered(path).rfind(prefix, 0) == 0;
}

// Where the first name below the root of `full` starts: past "/", "C:\",
// "\\server\share\", "\\?\C:\" or "\\?\UNC\server\share\".
std::size_t FirstName(const std::string& full) {
  const auto starts = [&full](const char* start) { return full.rfind(start, 0) == 0; };
  std::size_t at = 0;
  int rootNames = 0;  // a drive, or a server and its share
  if (starts("\\\\?\\UNC\\")) {
    at = 8;
    rootNames = 2;
  } else if (starts("\\\\?\\") || starts("\\\\.\\")) {
    at = 4;
    rootNames = 1;
  } else if (starts("\\\\")) {
    at = 2;
    rootNames = 2;
  } else if (full.size() >= 2 && full[1] == ':') {
    at = 2;
  }
  for (; rootNames > 0 && at < full.size(); --rootNames) {
    while (at < full.size() && IsSeparator(full[at])) ++at;
    at = std::min(full.find_first_of("\\/", at), full.size());
  }
  while (at < full.size() && IsSeparator(full[at])) ++at;
  return at;
}

}  // namespace

std::string Lowered(std::string text) {
  for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return text;
}

ReadResult ReadFileBytes(const std::string& path, std::uint64_t largest, std::string* bytes,
                         std::string* error) {
  DiskFile file;
  bool tooLarge = false;
  if (file.Open(path, false, error) && file.ReadAll(largest, bytes, &tooLarge, error)) {
    return ReadResult::kRead;
  }
  if (tooLarge) {
    *error = path + " is larger than " + std::to_string(largest >> 20) +
             " MiB, more than the runner reads";
    return ReadResult::kTooLarge;
  }
  *error = path + " cannot be read: " + *error;
  return ReadResult::kCannotRead;
}

bool IsMissing(const std::string& path) {
  return LookAt(path).kind == DiskEntry::Kind::kMissing;
}

bool OpenFolder(const std::string& path, bool make, Folder* folder, bool* made,
                std::string* error) {
  *made = false;
  std::string why;
  if (!SystemFullPath(path, &folder->full, &why)) {
    *error = "the folder " + path + " cannot be used: " + why;
    return false;
  }
  const std::string& full = folder->full;
  const std::string cannot =
      "the folder " + full + (make ? " cannot be made: " : " cannot be used: ");
  std::vector<std::string> names;  // the path up to each folder below the root
  for (std::size_t start = FirstName(full), end; start < full.size(); start = end + 1) {
    end = std::min(full.find_first_of("\\/", start), full.size());
    names.push_back(full.substr(0, end));
    if (names.back().back() == ' ' || names.back().back() == '.') {
      *error = cannot + "the folder name \"" + full.substr(start, end - start) +
               "\" ends in a blank or a dot, which Windows drops; name it without";
      return false;
    }
  }
  // Each one checked, and made when missing; none left made when one fails.
  std::vector<std::string> making;
  for (const std::string& upTo : names) {
    const DiskEntry entry = LookAt(upTo);
    if (entry.kind == DiskEntry::Kind::kMissing && make && MakeFolder(upTo, &why)) {
      making.push_back(upTo);
      continue;
    }
    if (entry.kind == DiskEntry::Kind::kMissing) {
      *error = cannot + (make ? why : "it does not exist");
    } else if (entry.kind == DiskEntry::Kind::kFile) {
      *error = cannot + upTo + " is a file, not a folder";
    } else if (entry.kind == DiskEntry::Kind::kOther) {
      *error = cannot + upTo + ": " + entry.reason;
    } else {
      continue;
    }
    for (auto at = making.rbegin(); at != making.rend(); ++at) RemoveFolder(*at);
    return false;
  }
  *made = !making.empty();
  const DiskEntry entry = LookAt(full);
  if (entry.kind != DiskEntry::Kind::kFolder) {
    *error = cannot + (entry.kind == DiskEntry::Kind::kOther ? entry.reason : "it is no folder");
    return false;
  }
  folder->final = entry.finalPath;
  return true;
}

std::string PathBelow(const Folder& folder, std::string_view name) {
  std::string path = folder.full;
  if (path.empty() || !IsSeparator(path.back())) path += kPathSeparator;
  for (char c : name) path += IsSeparator(c) ? kPathSeparator : c;
  return path;
}

namespace {

// Writes into the file at `path`, once it is open and the checks hold.
bool WriteChecked(const std::string& path, const Folder& folder,
                  const std::vector<std::uint8_t>& bytes, const WriteCheck& check,
                  std::string* error) {
  const std::string cannot = path + " cannot be written: ";
  DiskFile file;
  std::string why;
  if (!file.Open(path, true, &why)) {
    *error = cannot + why;
    return false;
  }
  const std::string refused = check ? check(file) : "";
  if (!Inside(file.FinalPath(), folder)) {
    *error = cannot + "it leads out of " + folder.full + " (to " + file.FinalPath() + ")";
  } else if (!refused.empty()) {
    *error = path + " " + refused;
  } else if (file.Replace(bytes, &why)) {
    return true;
  } else {
    *error = cannot + why;
  }
  file.Discard();
  return false;
}

}  // namespace

bool WriteBelow(const Folder& folder, std::string_view name, const std::vector<std::uint8_t>& bytes,
                const WriteCheck& check, std::string* error) {
  const std::string path = PathBelow(folder, name);
  const std::string cannot = path + " cannot be written: ";
  // The folders on its way: each one already there must stay inside the
  // folder (a link may lead out), each one missing is made inside it, and
  // removed again when the file is not written after all.
  std::vector<std::string> made;
  bool written = true;
  for (std::size_t end = name.find_first_of("/\\"); written && end != std::string_view::npos;
       end = name.find_first_of("/\\", end + 1)) {
    const std::string upTo = PathBelow(folder, name.substr(0, end));
    const DiskEntry entry = LookAt(upTo);
    std::string why;
    written = false;
    if (entry.kind == DiskEntry::Kind::kMissing && MakeFolder(upTo, &why)) {
      made.push_back(upTo);
      written = true;
    } else if (entry.kind == DiskEntry::Kind::kMissing) {
      *error = cannot + "the folder " + upTo + " cannot be made: " + why;
    } else if (entry.kind == DiskEntry::Kind::kFile) {
      *error = cannot + upTo + " is a file, not a folder";
    } else if (entry.kind == DiskEntry::Kind::kOther) {
      *error = cannot + upTo + ": " + entry.reason;
    } else if (!Inside(entry.finalPath, folder)) {
      *error = cannot + upTo + " leads out of " + folder.full + " (to " + entry.finalPath + ")";
    } else {
      written = true;
    }
  }
  written = written && WriteChecked(path, folder, bytes, check, error);
  if (!written) {
    for (auto at = made.rbegin(); at != made.rend(); ++at) RemoveFolder(*at);
  }
  return written;
}

bool RemoveBelow(const Folder& folder, std::string_view name, const WriteCheck& check,
                 std::string* error) {
  const std::string path = PathBelow(folder, name);
  if (IsMissing(path)) return true;
  const std::string cannot = path + " cannot be removed: ";
  DiskFile file;
  std::string why;
  if (!file.Open(path, true, &why)) {
    *error = cannot + why;
    return false;
  }
  const std::string refused = check ? check(file) : "";
  if (!Inside(file.FinalPath(), folder)) {
    *error = cannot + "it leads out of " + folder.full + " (to " + file.FinalPath() + ")";
  } else if (!refused.empty()) {
    *error = path + " " + refused;
  } else if (file.Remove(&why)) {
    return true;
  } else {
    *error = cannot + why;
  }
  file.Discard();
  return false;
}

}  // namespace refhost
