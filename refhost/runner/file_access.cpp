#include "refhost/runner/file_access.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace refhost {
namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

std::string Lowered(std::string text) {
  for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return text;
}

// The path as it would be once made: links and "." resolved as far as it
// exists, letters without case.
std::string Comparable(const std::string& path) {
  std::error_code ignored;
  fs::path resolved = fs::weakly_canonical(fs::absolute(path, ignored), ignored);
  return Lowered(resolved.lexically_normal().generic_string());
}

}  // namespace

std::string FullPath(const std::string& path) {
  std::error_code ignored;
  fs::path full = fs::absolute(path, ignored);
  if (full.empty()) full = path;
  return full.lexically_normal().make_preferred().string();
}

bool ReadFileBytes(const std::string& path, std::uint64_t largest, std::string* bytes,
                   std::string* error) {
  std::error_code code;
  if (fs::is_directory(path, code)) {
    *error = FullPath(path) + " cannot be read: it is a folder";
    return false;
  }
  errno = 0;
  const File file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (file == nullptr) {
    *error = FullPath(path) + " cannot be read: " + std::strerror(errno);
    return false;
  }
  bytes->clear();
  char chunk[65536];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;) {
    if (bytes->size() + got > largest) {
      *error = FullPath(path) + " is larger than " + std::to_string(largest >> 20) +
               " MiB, more than the runner reads";
      return false;
    }
    bytes->append(chunk, got);
  }
  if (std::ferror(file.get())) {
    *error = FullPath(path) + " cannot be read: " + std::strerror(errno);
    return false;
  }
  return true;
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes,
                    std::string* error) {
  const fs::path parent = fs::path(path).parent_path();
  bool created = false;
  std::string why;
  if (!parent.empty() && !EnsureFolder(parent.string(), &created, &why)) {
    *error = FullPath(path) + " cannot be written: " + why;
    return false;
  }
  errno = 0;
  File file(std::fopen(path.c_str(), "wb"), &std::fclose);
  const bool written = file != nullptr &&
                       std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
                       std::fclose(file.release()) == 0;
  if (!written) {
    *error = FullPath(path) + " cannot be written: " +
             (errno != 0 ? std::strerror(errno) : "the system gave no reason");
  }
  return written;
}

bool EnsureFolder(const std::string& folder, bool* created, std::string* error) {
  std::error_code code;
  *created = false;
  if (fs::is_directory(folder, code)) return true;
  if (fs::exists(folder, code)) {
    *error = FullPath(folder) + " is a file, not a folder";
    return false;
  }
  *created = fs::create_directories(folder, code);
  if (code) {
    *error = "the folder " + FullPath(folder) + " cannot be made: " + code.message();
    return false;
  }
  return true;
}

bool FileExists(const std::string& path) {
  std::error_code code;
  return fs::exists(path, code);
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code code;
  return fs::equivalent(a, b, code) || Comparable(a) == Comparable(b);
}

}  // namespace refhost
