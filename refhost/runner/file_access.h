// Files as the runner reads and writes them, each refusal naming the file by
// its full path with the system's reason in words ("C:\out\a.png cannot be
// written: No such file or directory").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace refhost {

// `path` made absolute and normalised, with the system's separators.
std::string FullPath(const std::string& path);

// Reads a whole file of at most `largest` bytes; false with a message.
bool ReadFileBytes(const std::string& path, std::uint64_t largest, std::string* bytes,
                   std::string* error);

// Writes `bytes` as the file `path`, making the folders on its way; false
// with a message.
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes,
                    std::string* error);

// Makes `folder` and those above it when missing; false with a message when
// it cannot be made or is not a folder. `created` tells whether it was made.
bool EnsureFolder(const std::string& folder, bool* created, std::string* error);

bool FileExists(const std::string& path);

// True when both paths name one file, whether or not it exists yet: names
// are compared without letter case, as Windows compares them.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace refhost
