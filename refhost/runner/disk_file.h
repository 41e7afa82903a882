// Files and folders as the system has them, the one place where the runner
// meets the platform's file calls: paths made full by the system, what stands
// at a path, and disk files opened so that nothing blocks, nothing is
// truncated, and not a byte moves before the system has said that what was
// opened is a file on a disk. Chosen at build time: disk_file_win32.cpp asks
// Windows (GetFullPathNameW, CreateFileW, GetFileType, ...), disk_file_posix.cpp
// a POSIX system (open with O_NONBLOCK, fstat, ...).
//
// Every function takes a path as the system takes it (absolute, relative to
// the current folder, or to a drive's current folder on Windows) and gives
// reasons in words, without the path: "No such file or directory".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace refhost {

// What the file system says a file or folder is: the same value through every
// name of it (another drive letter, subst, a short name, a "\\?\" form, a
// link, a hard link), a different one for any other file.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileIdentity& other) const {
    return volume == other.volume && index == other.index;
  }
};

struct FileIdentityHash {
  std::size_t operator()(const FileIdentity& id) const {
    return static_cast<std::size_t>(id.index * 0x9E3779B97F4A7C15u ^ id.volume);
  }
};

// What stands at a path.
struct DiskEntry {
  enum class Kind { kMissing, kFolder, kFile, kOther };
  Kind kind = Kind::kMissing;
  FileIdentity identity;  // of a folder or file
  // Of a folder or file: the path the system resolves it to, links, drive
  // letters and short names undone ("C:\work\run" for "Y:\run").
  std::string finalPath;
  std::string reason;  // of kOther: what it is, or why it cannot be looked at
};

// The system's separator between folders.
extern const char kPathSeparator;

// `path` made full by the system and spelt as it spells it ("C:s.mbc" with
// the current folder of drive C:); false with the reason when it cannot be.
bool SystemFullPath(const std::string& path, std::string* full, std::string* error);

DiskEntry LookAt(const std::string& path);

// Makes the folder `path`, the one above it existing; false with the reason.
bool MakeFolder(const std::string& path, std::string* error);
// Removes the empty folder `path` again.
void RemoveFolder(const std::string& path);

// The names of what the folder `path` holds, each way the system lets it be
// named (a long name and its short one); false when it cannot be listed.
bool ListFolder(const std::string& path, std::vector<std::string>* names);

// What the folder `path` holds, each once by the name the system lists first
// (no short names, no "." or ".."), with what it is: kFolder, kFile or kOther
// (a device, a pipe). False when the folder cannot be listed.
struct FolderItem {
  std::string name;
  DiskEntry::Kind kind;
};
bool ListFolderItems(const std::string& path, std::vector<FolderItem>* items);

// A file on a disk, open for reading or for writing; closed when it goes.
class DiskFile {
 public:
  DiskFile() = default;
  ~DiskFile();
  DiskFile(const DiskFile&) = delete;
  DiskFile& operator=(const DiskFile&) = delete;

  // Opens `path`, made when missing if `write`, without blocking, truncating
  // or moving a byte. False with the reason when it is not a disk file (a
  // folder, a device, a pipe) or cannot be opened; what the open made is
  // then removed again.
  bool Open(const std::string& path, bool write, std::string* error);

  const FileIdentity& Identity() const { return identity_; }
  const std::string& FinalPath() const { return finalPath_; }

  // Reads the whole file; false with the reason, or with `tooLarge` set when
  // it holds more than `largest` bytes.
  bool ReadAll(std::uint64_t largest, std::string* bytes, bool* tooLarge, std::string* error);

  // Replaces what the file holds with `bytes`.
  bool Replace(const std::vector<std::uint8_t>& bytes, std::string* error);

  // Closes the file and removes it again when this open made it.
  void Discard();

  // Removes the file, opened for writing, through what was opened (so a
  // name that changed meanwhile does not remove another file) and closes it.
  bool Remove(std::string* error);

 private:
  void Close();

  std::intptr_t handle_ = -1;
  FileIdentity identity_;
  std::string finalPath_;
  bool made_ = false;
};

}  // namespace refhost
