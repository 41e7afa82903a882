// The files a run never writes over, worked out once before line 1 and asked
// in constant time at every write: the script, the PNG files its lines read,
// and its golden files, which only --update-golden writes, each from an
// expect_image line that names it.
//
// A file is told by what the file system says it is (its identity) and by
// the path the system resolves it to, letters compared without case; a file
// that does not exist yet by the resolved path of the nearest folder above it
// that does, and the names below that. So every second spelling of a folder
// (another drive letter, subst, a short name, a "\\?\" form, a link) reaches
// the same file, and a hard link is the file it links.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "refhost/runner/disk_file.h"
#include "refhost/runner/file_access.h"

namespace refhost {

class GoldenGuard {
 public:
  enum class Role { kGolden, kInput, kScript };  // a file in two roles takes the later

  // Notes the file `name` ("sub/g.png") below `folder` in `role`, as line
  // `line` names it with `word` ("expect_image", "bitmap"). Each folder on the
  // way is listed once and each name found in its listing: a name that is not
  // there costs no system call (a missed look-up can cost as much as a
  // listing), and neither does one named before.
  void Protect(const Folder& folder, std::string_view name, Role role, int line,
               const std::string& word);
  // Notes the file at `path`, which exists, in `role`.
  void Protect(const std::string& path, Role role);

  // Why `file`, open and about to be written, may not be: the words that
  // follow its path in the message; "" when it may. An expect_image writing
  // its golden file (`golden`) may write over a golden file.
  std::string Refusal(const DiskFile& file, bool golden) const;

 private:
  struct Entry {
    Role role;
    int line;
    std::string word;
  };

  // A folder as it was before line 1: what it is, and its names in lower case.
  struct Listing {
    DiskEntry entry;
    std::unordered_set<std::string> names;
  };

  template <typename Map, typename Key>
  void Note(Map& map, const Key& key, std::size_t entry);
  // The entry's file, or the missing one `rest` ("\sub\g.png") below `above`.
  void NoteFile(const std::string& path, const Listing& above, const std::string& rest,
                std::size_t entry);
  const Listing& ListingOf(const std::string& path);

  std::vector<Entry> entries_;
  std::unordered_map<std::string, std::size_t> named_;  // by the path as given, lowered
  std::unordered_map<FileIdentity, std::size_t, FileIdentityHash> byIdentity_;
  std::unordered_map<std::string, std::size_t> byPath_;  // by the resolved path, lowered
  std::unordered_map<std::string, Listing> folders_;
};

}  // namespace refhost
