// The disk layer on Windows. A name is first made full by GetFullPathNameW,
// which says when Windows takes it for a device ("COM1 .png", "nul.txt",
// "CONIN$" all become "\\.\..."): such a name is never opened. What is opened
// goes through CreateFileW in its "\\?\" form (the full path, as the system
// made it, taken literally and without the MAX_PATH limit), never truncating,
// and GetFileType must say FILE_TYPE_DISK before a byte is read or written
// through that same handle. Paths are the runner's narrow strings in the
// ANSI code page, as the command line and the C library have them.
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "refhost/runner/disk_file.h"

namespace refhost {
namespace {

std::wstring Wide(const std::string& text) {
  const int size =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                      nullptr, nullptr);
  return text;
}

bool StartsWith(const std::wstring& text, const wchar_t* start) {
  return text.rfind(start, 0) == 0;
}

// The reason for a system error in the words the C library uses for the same
// failure, so that a message reads alike on every build; others as the
// system words them.
std::string Reason(DWORD code) {
  static const struct {
    DWORD code;
    int error;
  } kErrors[] = {
      {ERROR_FILE_NOT_FOUND, ENOENT},    {ERROR_PATH_NOT_FOUND, ENOENT},
      {ERROR_BAD_NETPATH, ENOENT},       {ERROR_ACCESS_DENIED, EACCES},
      {ERROR_SHARING_VIOLATION, EACCES}, {ERROR_LOCK_VIOLATION, EACCES},
      {ERROR_WRITE_PROTECT, EROFS},      {ERROR_DISK_FULL, ENOSPC},
      {ERROR_HANDLE_DISK_FULL, ENOSPC},  {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
      {ERROR_ALREADY_EXISTS, EEXIST},    {ERROR_FILE_EXISTS, EEXIST},
      {ERROR_DIRECTORY, ENOTDIR},
  };
  for (const auto& e : kErrors) {
    if (e.code == code) return std::strerror(e.error);
  }
  char* text = nullptr;
  FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string words = text != nullptr ? text : "";
  LocalFree(text);
  while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == '.')) {
    words.pop_back();
  }
  return (words.empty() ? "the system's error" : words) + " (error " + std::to_string(code) + ")";
}

bool FullWide(const std::string& path, std::wstring* full, DWORD* code) {
  const std::wstring wide = Wide(path);
  *code = ERROR_INVALID_NAME;
  if (wide.empty()) return false;
  DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  for (int tries = 0; size != 0 && tries < 3; ++tries) {
    full->assign(size, L'\0');
    const DWORD got = GetFullPathNameW(wide.c_str(), size, full->data(), nullptr);
    if (got < size) {
      full->resize(got);
      return got != 0;
    }
    size = got;  // the current folder changed meanwhile
  }
  *code = GetLastError();
  return false;
}

// The device that the full path `full` names, or "": "\\.\COM1" for
// "C:\out\COM1 .png", and for "\\?\C:\out\COM1 .png" too, which names a file
// only in that form and the device in every other.
std::wstring Device(const std::wstring& full) {
  if (StartsWith(full, L"\\\\.\\")) return full;
  if (!StartsWith(full, L"\\\\?\\")) return L"";
  std::wstring plain = full.substr(4), device;
  if (StartsWith(plain, L"UNC\\")) plain = L"\\\\" + plain.substr(4);
  DWORD code = 0;
  return FullWide(Narrow(plain), &device, &code) ? Device(device) : L"";
}

// The full path as CreateFileW takes it literally and at any length.
std::wstring Literal(const std::wstring& full) {
  if (StartsWith(full, L"\\\\?\\") || StartsWith(full, L"\\\\.\\")) return full;
  if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// `path` made full, when it names a place on a disk; false with the reason.
bool OnDisk(const std::string& path, std::wstring* full, std::string* error) {
  DWORD code = 0;
  if (!FullWide(path, full, &code)) {
    *error = Reason(code);
    return false;
  }
  if (Device(*full).empty()) return true;
  *error = "it is the device " + Narrow(Device(*full)) + ", not a disk file";
  return false;
}

// The path a handle leads to, without the "\\?\" that the system puts first.
std::string FinalPath(HANDLE handle, const std::wstring& fallback) {
  std::wstring final(MAX_PATH, L'\0');
  for (int tries = 0; tries < 3; ++tries) {
    const DWORD got =
        GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()),
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (got == 0) return Narrow(fallback);
    if (got < final.size()) {
      final.resize(got);
      if (StartsWith(final, L"\\\\?\\UNC\\")) return Narrow(L"\\\\" + final.substr(8));
      return Narrow(StartsWith(final, L"\\\\?\\") ? final.substr(4) : final);
    }
    final.assign(got, L'\0');
  }
  return Narrow(fallback);
}

// Identity, final path and kind of what `handle` leads to; kOther unless the
// system says it is on a disk.
DiskEntry Describe(HANDLE handle, const std::wstring& full) {
  DiskEntry entry;
  BY_HANDLE_FILE_INFORMATION info;
  entry.kind = DiskEntry::Kind::kOther;
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    entry.reason = "it is not a disk file (a device or a pipe)";
  } else if (!GetFileInformationByHandle(handle, &info)) {
    entry.reason = Reason(GetLastError());
  } else {
    entry.identity = {info.dwVolumeSerialNumber,
                      static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
    entry.finalPath = FinalPath(handle, full);
    entry.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? DiskEntry::Kind::kFolder
                                                                         : DiskEntry::Kind::kFile;
  }
  return entry;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

const char kPathSeparator = '\\';

bool SystemFullPath(const std::string& path, std::string* full, std::string* error) {
  std::wstring wide;
  DWORD code = 0;
  if (!FullWide(path, &wide, &code)) {
    *error = Reason(code);
    return false;
  }
  *full = Narrow(wide);
  return true;
}

DiskEntry LookAt(const std::string& path) {
  DiskEntry entry;
  std::wstring full;
  entry.kind = DiskEntry::Kind::kOther;
  if (!OnDisk(path, &full, &entry.reason)) return entry;
  if (GetFileAttributesW(Literal(full).c_str()) == INVALID_FILE_ATTRIBUTES) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return DiskEntry{};
    entry.reason = Reason(code);
    return entry;
  }
  // No access asked for: the file's identity and name alone, nothing read.
  const HANDLE handle = CreateFileW(Literal(full).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    entry.reason = Reason(GetLastError());
    return entry;
  }
  entry = Describe(handle, full);
  CloseHandle(handle);
  return entry;
}

bool MakeFolder(const std::string& path, std::string* error) {
  std::wstring full;
  if (!OnDisk(path, &full, error)) return false;
  if (CreateDirectoryW(Literal(full).c_str(), nullptr)) return true;
  *error = Reason(GetLastError());
  return false;
}

void RemoveFolder(const std::string& path) {
  std::wstring full;
  std::string ignored;
  if (OnDisk(path, &full, &ignored)) RemoveDirectoryW(Literal(full).c_str());
}

bool ListFolder(const std::string& path, std::vector<std::string>* names) {
  std::wstring full;
  std::string ignored;
  if (!OnDisk(path, &full, &ignored)) return false;
  const std::wstring pattern = Literal(full) + (full.back() == L'\\' ? L"*" : L"\\*");
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    names->push_back(Narrow(found.cFileName));
    if (found.cAlternateFileName[0] != L'\0') names->push_back(Narrow(found.cAlternateFileName));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return true;
}

bool ListFolderItems(const std::string& path, std::vector<FolderItem>* items) {
  std::wstring full;
  std::string ignored;
  if (!OnDisk(path, &full, &ignored)) return false;
  const std::wstring pattern = Literal(full) + (full.back() == L'\\' ? L"*" : L"\\*");
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const DWORD attributes = found.dwFileAttributes;
    items->push_back(
        {Narrow(name), (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? DiskEntry::Kind::kFolder
                       : (attributes & FILE_ATTRIBUTE_DEVICE) != 0  ? DiskEntry::Kind::kOther
                                                                    : DiskEntry::Kind::kFile});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return true;
}

DiskFile::~DiskFile() {
  Close();
}

void DiskFile::Close() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
}

bool DiskFile::Open(const std::string& path, bool write, std::string* error) {
  Close();
  made_ = false;
  std::wstring full;
  if (!OnDisk(path, &full, error)) return false;
  // A missing file is made (CREATE_NEW tells whether this open made it, and
  // makes nothing through a link that leads nowhere); one that is there is
  // opened as it is, truncated by nothing. DELETE lets a file this open made
  // be removed again through the same handle.
  const auto open = [&full, write](DWORD disposition) {
    return CreateFileW(Literal(full).c_str(), write ? GENERIC_WRITE | DELETE : GENERIC_READ,
                       kShareAll, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  };
  HANDLE handle = open(write ? CREATE_NEW : OPEN_EXISTING);
  made_ = write && handle != INVALID_HANDLE_VALUE;
  DWORD code = GetLastError();
  if (write && handle == INVALID_HANDLE_VALUE &&
      (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS)) {
    handle = open(OPEN_EXISTING);
  }
  if (handle == INVALID_HANDLE_VALUE) {
    code = GetLastError();
    const DWORD attributes = GetFileAttributesW(Literal(full).c_str());
    const bool folder =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    *error = folder ? "it is a folder" : Reason(code);
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(handle);
  const DiskEntry entry = Describe(handle, full);
  identity_ = entry.identity;
  finalPath_ = entry.finalPath;
  if (entry.kind == DiskEntry::Kind::kFile) return true;
  *error = entry.kind == DiskEntry::Kind::kFolder ? "it is a folder" : entry.reason;
  Discard();
  return false;
}

bool DiskFile::ReadAll(std::uint64_t largest, std::string* bytes, bool* tooLarge,
                       std::string* error) {
  const HANDLE handle = reinterpret_cast<HANDLE>(handle_);
  bytes->clear();
  *tooLarge = false;
  char chunk[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(handle, chunk, sizeof chunk, &got, nullptr)) {
      *error = Reason(GetLastError());
      return false;
    }
    if (got == 0) return true;
    if (bytes->size() + got > largest) {
      *tooLarge = true;
      return false;
    }
    bytes->append(chunk, got);
  }
}

bool DiskFile::Replace(const std::vector<std::uint8_t>& bytes, std::string* error) {
  const HANDLE handle = reinterpret_cast<HANDLE>(handle_);
  LARGE_INTEGER start = {};
  if (!SetFilePointerEx(handle, start, nullptr, FILE_BEGIN) || !SetEndOfFile(handle)) {
    *error = Reason(GetLastError());
    return false;
  }
  for (std::size_t done = 0; done < bytes.size();) {
    DWORD put = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
    if (!WriteFile(handle, bytes.data() + done, want, &put, nullptr) || put == 0) {
      *error = Reason(GetLastError());
      return false;
    }
    done += put;
  }
  return true;
}

bool DiskFile::Remove(std::string* error) {
  FILE_DISPOSITION_INFO dispose = {TRUE};
  const bool removed = SetFileInformationByHandle(reinterpret_cast<HANDLE>(handle_),
                                                  FileDispositionInfo, &dispose, sizeof dispose);
  if (!removed) *error = Reason(GetLastError());
  made_ = false;
  Close();
  return removed;
}

void DiskFile::Discard() {
  if (made_ && handle_ != -1) {
    FILE_DISPOSITION_INFO dispose = {TRUE};
    SetFileInformationByHandle(reinterpret_cast<HANDLE>(handle_), FileDispositionInfo, &dispose,
                               sizeof dispose);
  }
  made_ = false;
  Close();
}

}  // namespace refhost
