#include "refhost/runner/suite_scripts.h"

#include <algorithm>
#include <unordered_set>

#include "refhost/runner/disk_file.h"
#include "refhost/runner/file_access.h"

namespace refhost {
namespace {

bool EndsInMbc(const std::string& name) {
  return name.size() > 4 && Lowered(name.substr(name.size() - 4)) == ".mbc";
}

// The last name of `path`, its trailing separators aside.
std::string LastName(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

class Finder {
 public:
  explicit Finder(std::vector<SuiteScript>* scripts) : scripts_(scripts) {}

  void Operand(const std::string& operand, bool several) {
    const std::size_t before = scripts_->size();
    std::string full, why;
    const DiskEntry entry = SystemFullPath(operand, &full, &why) ? LookAt(full) : DiskEntry{};
    const std::string prefix = several ? LastName(full) + "/" : "";
    if (entry.kind == DiskEntry::Kind::kFolder) {
      Folder(full, prefix);
      if (scripts_->size() == before) Problem(operand, "a folder without *.mbc scripts");
    } else if (entry.kind == DiskEntry::Kind::kFile) {
      Script(full, LastName(full), entry);
    } else {
      Problem(operand,
              entry.kind == DiskEntry::Kind::kMissing ? "no such script or folder" : entry.reason);
    }
  }

 private:
  void Folder(const std::string& path, const std::string& name) {
    const DiskEntry entry = LookAt(path);
    if (!folders_.insert(Key(entry)).second) return;  // a link back up
    std::vector<FolderItem> items;
    if (!ListFolderItems(path, &items)) return;
    std::sort(items.begin(), items.end(), [](const FolderItem& a, const FolderItem& b) {
      const std::string la = Lowered(a.name), lb = Lowered(b.name);
      return la != lb ? la < lb : a.name < b.name;
    });
    const std::string separated =
        path.empty() || path.back() == kPathSeparator ? path : path + kPathSeparator;
    for (const FolderItem& item : items) {
      if (item.kind == DiskEntry::Kind::kFolder) {
        Folder(separated + item.name, name + item.name + "/");
      } else if (item.kind == DiskEntry::Kind::kFile && EndsInMbc(item.name)) {
        Script(separated + item.name, name + item.name, LookAt(separated + item.name));
      }
    }
  }

  void Script(const std::string& path, const std::string& name, const DiskEntry& entry) {
    if (!files_.insert(Key(entry)).second) return;
    SuiteScript script;
    script.path = path;
    script.name = name;
    const std::size_t slash = name.find_last_of('/');
    script.group = slash == std::string::npos ? "." : name.substr(0, slash);
    script.output = EndsInMbc(name) ? name.substr(0, name.size() - 4) : name;
    // Two scripts whose names differ only in letter case, or in ".mbc",
    // would share a folder: the later one's gets "~2", "~3", ...
    const std::string first = script.output;
    for (int n = 2; !outputs_.insert(Lowered(script.output)).second; ++n) {
      script.output = first + "~" + std::to_string(n);
    }
    scripts_->push_back(std::move(script));
  }

  void Problem(const std::string& operand, const std::string& why) {
    SuiteScript script;
    script.path = script.name = operand;
    script.group = ".";
    script.problem = why;
    scripts_->push_back(std::move(script));
  }

  static std::string Key(const DiskEntry& entry) {
    return std::to_string(entry.identity.volume) + ":" + std::to_string(entry.identity.index) +
           ":" + Lowered(entry.finalPath);
  }

  std::vector<SuiteScript>* scripts_;
  std::unordered_set<std::string> folders_;
  std::unordered_set<std::string> files_;
  std::unordered_set<std::string> outputs_;
};

}  // namespace

std::vector<SuiteScript> FindSuiteScripts(const std::vector<std::string>& operands) {
  std::vector<SuiteScript> scripts;
  Finder finder(&scripts);
  for (const std::string& operand : operands) finder.Operand(operand, operands.size() > 1);
  return scripts;
}

bool IsFolder(const std::string& path) {
  return LookAt(path).kind == DiskEntry::Kind::kFolder;
}

}  // namespace refhost
