// The disk layer on a POSIX system (the native test build): a file is a disk
// file when fstat says it is a regular file, asked of what open returned,
// opened with O_NONBLOCK (a FIFO or a terminal does not hold the open up) and
// O_NOCTTY, and never with O_TRUNC.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "refhost/runner/disk_file.h"

namespace refhost {
namespace {

constexpr int kOpenFlags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

std::string Reason(int code) {
  return code == EISDIR ? "it is a folder" : std::strerror(code);
}

std::string Resolved(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) != nullptr ? resolved : path;
}

void Describe(const struct stat& status, const std::string& path, DiskEntry* entry) {
  entry->identity = {static_cast<std::uint64_t>(status.st_dev),
                     static_cast<std::uint64_t>(status.st_ino)};
  entry->finalPath = Resolved(path);
  if (S_ISDIR(status.st_mode)) {
    entry->kind = DiskEntry::Kind::kFolder;
  } else if (S_ISREG(status.st_mode)) {
    entry->kind = DiskEntry::Kind::kFile;
  } else {
    entry->kind = DiskEntry::Kind::kOther;
    entry->reason = "it is not a disk file (a device, a pipe or a socket)";
  }
}

}  // namespace

const char kPathSeparator = '/';

bool SystemFullPath(const std::string& path, std::string* full, std::string* error) {
  std::error_code code;
  if (path.empty()) {
    *error = "an empty path";
    return false;
  }
  std::filesystem::path made = std::filesystem::absolute(path, code).lexically_normal();
  if (code) {
    *error = code.message();
    return false;
  }
  *full = made.string();
  if (full->size() > 1 && full->back() == '/') full->pop_back();
  return true;
}

DiskEntry LookAt(const std::string& path) {
  DiskEntry entry;
  struct stat status;
  if (stat(path.c_str(), &status) == 0) {
    Describe(status, path, &entry);
  } else if (errno != ENOENT && errno != ENOTDIR) {
    entry.kind = DiskEntry::Kind::kOther;
    entry.reason = std::strerror(errno);
  }
  return entry;
}

bool MakeFolder(const std::string& path, std::string* error) {
  if (mkdir(path.c_str(), 0777) == 0) return true;
  *error = std::strerror(errno);
  return false;
}

void RemoveFolder(const std::string& path) {
  rmdir(path.c_str());
}

bool ListFolder(const std::string& path, std::vector<std::string>* names) {
  DIR* folder = opendir(path.c_str());
  if (folder == nullptr) return false;
  while (const dirent* entry = readdir(folder)) names->push_back(entry->d_name);
  closedir(folder);
  return true;
}

bool ListFolderItems(const std::string& path, std::vector<FolderItem>* items) {
  DIR* folder = opendir(path.c_str());
  if (folder == nullptr) return false;
  while (const dirent* entry = readdir(folder)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    items->push_back({name, LookAt(path + "/" + name).kind});
  }
  closedir(folder);
  return true;
}

DiskFile::~DiskFile() {
  Close();
}

void DiskFile::Close() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
  handle_ = -1;
}

bool DiskFile::Open(const std::string& path, bool write, std::string* error) {
  Close();
  made_ = false;
  int fd = -1;
  if (write) {
    // O_EXCL tells whether this open made the file, and follows no link: a
    // link that leads nowhere is not followed into a new file.
    fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | kOpenFlags, 0666);
    made_ = fd >= 0;
    if (fd < 0 && errno == EEXIST) fd = open(path.c_str(), O_WRONLY | kOpenFlags);
  } else {
    fd = open(path.c_str(), O_RDONLY | kOpenFlags);
  }
  if (fd < 0) {
    *error = Reason(errno);
    return false;
  }
  handle_ = fd;
  struct stat status;
  DiskEntry entry;
  if (fstat(fd, &status) != 0) {
    entry.kind = DiskEntry::Kind::kOther;
    entry.reason = std::strerror(errno);
  } else {
    // What was opened, by its descriptor: the name may have changed since.
    Describe(status, "/proc/self/fd/" + std::to_string(fd), &entry);
    if (entry.finalPath.rfind("/proc/", 0) == 0) entry.finalPath = Resolved(path);
  }
  identity_ = entry.identity;
  finalPath_ = entry.finalPath;
  if (entry.kind == DiskEntry::Kind::kFile) return true;
  *error = entry.kind == DiskEntry::Kind::kFolder ? "it is a folder" : entry.reason;
  Discard();
  return false;
}

bool DiskFile::ReadAll(std::uint64_t largest, std::string* bytes, bool* tooLarge,
                       std::string* error) {
  bytes->clear();
  *tooLarge = false;
  char chunk[65536];
  for (;;) {
    const ssize_t got = read(static_cast<int>(handle_), chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      *error = std::strerror(errno);
      return false;
    }
    if (got == 0) return true;
    if (bytes->size() + static_cast<std::size_t>(got) > largest) {
      *tooLarge = true;
      return false;
    }
    bytes->append(chunk, static_cast<std::size_t>(got));
  }
}

bool DiskFile::Replace(const std::vector<std::uint8_t>& bytes, std::string* error) {
  const int fd = static_cast<int>(handle_);
  if (ftruncate(fd, 0) != 0) {
    *error = std::strerror(errno);
    return false;
  }
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      *error = put < 0 ? std::strerror(errno) : "nothing could be written";
      return false;
    }
    done += static_cast<std::size_t>(put);
  }
  return true;
}

bool DiskFile::Remove(std::string* error) {
  // The name is removed once it is seen to lead to the file that was opened.
  struct stat status;
  const bool same = stat(finalPath_.c_str(), &status) == 0 &&
                    FileIdentity{static_cast<std::uint64_t>(status.st_dev),
                                 static_cast<std::uint64_t>(status.st_ino)} == identity_;
  const bool removed = same && unlink(finalPath_.c_str()) == 0;
  if (!removed) *error = same ? std::strerror(errno) : "it changed while it was opened";
  made_ = false;
  Close();
  return removed;
}

void DiskFile::Discard() {
  Close();
  if (made_) unlink(finalPath_.c_str());
  made_ = false;
}

}  // namespace refhost
