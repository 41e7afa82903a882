#include "refhost/runner/golden_guard.h"

#include "refhost/runner/file_access.h"

namespace refhost {
namespace {

// `rest` ("\sub\g.png") below the resolved folder `final`.
std::string Below(const std::string& final, const std::string& rest) {
  const bool separated = !final.empty() && (final.back() == '/' || final.back() == '\\');
  return Lowered(final + (separated ? rest.substr(1) : rest));
}

}  // namespace

template <typename Map, typename Key>
void GoldenGuard::Note(Map& map, const Key& key, std::size_t entry) {
  const auto [at, fresh] = map.emplace(key, entry);
  if (!fresh && entries_[at->second].role < entries_[entry].role) at->second = entry;
}

const GoldenGuard::Listing& GoldenGuard::ListingOf(const std::string& path) {
  const auto known = folders_.find(path);
  if (known != folders_.end()) return known->second;
  Listing& listing = folders_[path];
  listing.entry = LookAt(path);
  std::vector<std::string> names;
  if (listing.entry.kind == DiskEntry::Kind::kFolder && ListFolder(path, &names)) {
    for (std::string& name : names) listing.names.insert(Lowered(std::move(name)));
  }
  return listing;
}

void GoldenGuard::NoteFile(const std::string& path, const Listing& above, const std::string& rest,
                           std::size_t entry) {
  const DiskEntry here = path.empty() ? DiskEntry{} : LookAt(path);
  if (here.kind == DiskEntry::Kind::kFile || here.kind == DiskEntry::Kind::kFolder) {
    Note(byIdentity_, here.identity, entry);
    Note(byPath_, Lowered(here.finalPath), entry);
  } else if (here.kind == DiskEntry::Kind::kMissing) {
    Note(byPath_, Below(above.entry.finalPath, rest), entry);
  }  // no disk file: nothing writes there
}

void GoldenGuard::Protect(const std::string& path, Role role) {
  entries_.push_back({role, 0, ""});
  NoteFile(path, Listing{}, "", entries_.size() - 1);
}

void GoldenGuard::Protect(const Folder& folder, std::string_view name, Role role, int line,
                          const std::string& word) {
  const std::size_t entry = entries_.size();
  entries_.push_back({role, line, word});
  const std::string path = PathBelow(folder, name);
  const auto [named, fresh] = named_.emplace(Lowered(path), entry);
  if (!fresh) {
    // The same spelling again: it leads where the first one led.
    Entry& first = entries_[named->second];
    if (first.role < role) first = entries_.back();
    entries_.pop_back();
    return;
  }
  // From the folder down, each name looked up in the listing of the folder
  // above it; the first one missing is where the file's path leaves the disk.
  const std::string below = path.substr(path.size() - name.size());
  const Listing* above = &ListingOf(folder.full);
  if (above->entry.kind != DiskEntry::Kind::kFolder) return;
  for (std::size_t start = 0;;) {
    const std::size_t end = name.find_first_of("/\\", start);
    const std::string rest = kPathSeparator + below.substr(start);
    const bool listed = above->names.count(Lowered(std::string(name.substr(start, end - start))));
    if (!listed || end == std::string_view::npos) {
      NoteFile(listed ? path : "", *above, rest, entry);
      return;
    }
    const Listing& next = ListingOf(PathBelow(folder, name.substr(0, end)));
    if (next.entry.kind == DiskEntry::Kind::kMissing) {
      NoteFile("", *above, rest, entry);  // listed in another letter case, on a system that tells
      return;                             // cases apart
    }
    if (next.entry.kind != DiskEntry::Kind::kFolder) return;  // nothing is written below a file
    above = &next;
    start = end + 1;
  }
}

std::string GoldenGuard::Refusal(const DiskFile& file, bool golden) const {
  const Entry* found = nullptr;
  const auto byIdentity = byIdentity_.find(file.Identity());
  if (byIdentity != byIdentity_.end()) found = &entries_[byIdentity->second];
  const auto byPath = byPath_.find(Lowered(file.FinalPath()));
  if (byPath != byPath_.end() &&
      (found == nullptr || found->role < entries_[byPath->second].role)) {
    found = &entries_[byPath->second];
  }
  if (found == nullptr || (golden && found->role == Role::kGolden)) return "";
  const std::string line = std::to_string(found->line);
  switch (found->role) {
    case Role::kGolden:
      return "is the golden file that expect_image on line " + line +
             " compares with, and the runner never writes over a golden file: use another name "
             "or output folder (--update-golden writes golden files)";
    case Role::kInput:
      return "is the PNG file that " + found->word + " on line " + line +
             " reads, and the runner never writes over a file the script reads: use another name "
             "or output folder";
    case Role::kScript:
      break;
  }
  return "is the script, and the runner never writes over it: use another name or output folder";
}

}  // namespace refhost
