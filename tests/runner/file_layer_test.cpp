// The runner's files judged by the system. Hostile names (devices with
// blanks, dots and streams, in any case, "..", links, the protected files'
// own names) are saved, taken as golden files and read through the runner,
// with the folder named in every way the system has for it. Each run either
// refuses, or leaves what the system, asked afterwards as any program asks it
// (by the folder's ordinary name), finds to be a disk file inside the folder;
// the script, the PNG file it reads and its golden file keep their bytes, and
// nothing appears outside.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "refhost/runner/script_runner.h"
#include "scratch.h"
#include "target.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#endif

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
// What `path` leads to, in lower case, and what kind of file it is.
std::wstring Final(const fs::path& path, DWORD* type) {
  const HANDLE handle =
      CreateFileW(path.c_str(), 0, 7, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return L"";
  wchar_t final[4096] = {};
  GetFinalPathNameByHandleW(handle, final, 4096, 0);
  *type = GetFileType(handle);
  CloseHandle(handle);
  return CharLowerW(final);
}

// "" when the system takes `name` below `folder` for a disk file inside it.
std::string Judged(const fs::path& folder, const std::string& name) {
  wchar_t full[4096];
  GetFullPathNameW((folder / name).c_str(), 4096, full, nullptr);
  if (std::wstring(full).rfind(L"\\\\.\\", 0) == 0) return "a device";
  DWORD type = 0, folderType = 0;
  const std::wstring file = Final(folder / name, &type);
  if (file.empty()) return "nothing there";
  if (type != FILE_TYPE_DISK) return "no disk file";
  return file.rfind(Final(folder, &folderType) + L"\\", 0) == 0 ? "" : "outside its folder";
}

// Under Wine, the host system's name for a Windows path; null elsewhere.
using UnixName = char*(CDECL*)(const wchar_t*);
UnixName Unix() {
  return reinterpret_cast<UnixName>(reinterpret_cast<const void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
}

// Under Wine, runs `script` in the host system's shell and waits until it
// has made `done` (what Wine starts is not what a handle can wait on); false
// elsewhere.
bool OnHost(const std::string& script, const fs::path& done) {
  const UnixName unix = Unix();
  if (unix == nullptr) return false;
  fs::remove(done);
  const std::string command = "sh -c \"" + script + " && touch '" + unix(done.c_str()) + "'\"";
  std::wstring line(command.begin(), command.end());
  STARTUPINFOW start = {};
  start.cb = sizeof start;
  PROCESS_INFORMATION process;
  if (CreateProcessW(L"Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &start, &process)) {
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  for (int waited = 0; waited < 1000 && !fs::exists(done); ++waited) Sleep(10);
  return true;
}

// Symbolic links, each as "link" and "target": under Wine by the host's
// own ln, on Windows as the system allows.
void Link(const fs::path& folder, const std::vector<std::pair<fs::path, fs::path>>& links) {
  std::string script = "true";
  for (const auto& [link, target] : links) {
    script += std::string(" && ln -s '") + (Unix() ? Unix()(target.c_str()) : "") + "' '" +
              (Unix() ? Unix()(link.parent_path().c_str()) : "") + "/" + link.filename().string() +
              "'";
  }
  if (OnHost(script, folder / "linked")) return;
  for (const auto& [link, target] : links) {
    CreateSymbolicLinkW(link.c_str(), target.c_str(), fs::is_directory(target) ? 3 : 2);
  }
}

// Removes a folder without following its links: under Wine the system's own
// removal does not come back from the links the host's ln made.
void Remove(const fs::path& folder) {
  const fs::path gone = folder.parent_path() / (folder.filename().string() + ".gone");
  if (!OnHost(std::string("rm -rf '") + Unix()(folder.c_str()) + "'", gone)) {
    fs::remove_all(folder);
  }
  fs::remove(gone);
}

// The other names of `folder`: its "\\?\" form, its short name, its name in
// capitals and with a dot after it, and under Wine through drive Z:.
std::vector<std::string> Spellings(const fs::path& folder) {
  const std::string full = folder.string();
  std::vector<std::string> names = {"\\\\?\\" + full, full + ".", full};
  for (char& c : names.back()) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  wchar_t name[4096];
  if (GetShortPathNameW(folder.c_str(), name, 4096) != 0) names.push_back(fs::path(name).string());
  if (const UnixName unix = Unix()) {
    names.push_back("Z:" + fs::path(unix(folder.c_str())).make_preferred().string());
  }
  return names;
}
#else
std::string Judged(const fs::path& folder, const std::string& name) {
  struct stat status;
  char file[PATH_MAX], inside[PATH_MAX];
  if (stat((folder / name).c_str(), &status) != 0 ||
      realpath((folder / name).c_str(), file) == nullptr ||
      realpath(folder.c_str(), inside) == nullptr) {
    return "nothing there";
  }
  if (!S_ISREG(status.st_mode)) return "no disk file";
  return std::string(file).rfind(std::string(inside) + "/", 0) == 0 ? "" : "outside its folder";
}

void Link(const fs::path&, const std::vector<std::pair<fs::path, fs::path>>& links) {
  for (const auto& [link, target] : links) fs::create_symlink(target, link);
}

void Remove(const fs::path& folder) {
  fs::remove_all(folder);
}

std::vector<std::string> Spellings(const fs::path&) {
  return {};
}
#endif

// Every name below `folder`.
std::vector<fs::path> Below(const fs::path& folder) {
  return {fs::recursive_directory_iterator(folder), {}};
}

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(FileLayer, EveryNameIsRefusedOrADiskFileInsideItsFolder) {
  const ScratchFolder scratch;  // every link made below points inside it
  const fs::path root = scratch.path() / "layer";
  const fs::path run = root / "the run folder", outside = root / "outside";
  for (const fs::path& folder : {run / "sub", outside, root / "out"})
    fs::create_directories(folder);
  target::Restart(true);
  // 1x1 pictures as the runner writes them, and the protected files: a PNG
  // file read (white, so that a golden file written over it would change
  // it), a golden file (black, the picture the probes draw, so that the last
  // line passes and writes nothing, with bytes no write could give back) and
  // the script.
  const std::string image = "memblock 1, 16\ndword 1, 0, 1\ndword 1, 4, 1\ndword 1, 8, 32\n";
  const auto runScript = [&](const std::string& text, refhost::RunnerOptions options) {
    std::istringstream in(text);
    std::ostringstream out;
    return refhost::ScriptRunner(target::Plugin(), &target::Host(), options, out).Run(in);
  };
  refhost::RunnerOptions setUp;
  setUp.outputFolder = (root / "out").string();
  ASSERT_EQ(
      runScript(image + "save 1, \"black.png\"\ndword 1, 12, -1\nsave 1, \"white.png\"\n", setUp),
      0);
  const std::string black = Contents(root / "out" / "black.png");
  const std::map<fs::path, std::string> kept = {
      {run / "in.png", Contents(root / "out" / "white.png")},
      {run / "the golden picture.png", black + "golden"},
      {run / "the script.mbc", "print 1\n"},
      {outside / "secret.png", "secret"}};
  for (const auto& [file, bytes] : kept) std::ofstream(file, std::ios::binary) << bytes;
  Link(root, {{run / "lnk", outside},
              {run / "leaf.png", outside / "secret.png"},
              {run / "ghost.png", outside / "none.png"},
              {run / "inner", run / "sub"},
              {root / "link to the run folder", run}});
  ASSERT_TRUE(fs::exists(run / "lnk" / "secret.png") && fs::exists(run / "inner"));
  fs::create_hard_link(run / "in.png", run / "hard.png");

  // Names that the folder's ordinary spelling and one other (its "\\?\"
  // form on Windows, a link to it elsewhere) need meet.
  std::vector<std::string> names;
  for (const char* device :
       {"CON", "prn", "Aux", "NUL", "COM1", "com9", "LPT1", "lpt9", "CONIN$", "conout$"}) {
    for (const char* after :
         {"", ".png", " .png", ". .png", ".png.", " ", " .x.png", ":", "::$DATA", ".x.png"}) {
      names.push_back(device + std::string(after));
    }
    for (const char* after : {"/x.png", " /x.png", ".png/x.png"})
      names.push_back(device + std::string(after));
  }
  std::istringstream others(
      "..;.;...;../x.png;./x.png;sub/../x.png;sub/../../x.png;.. /x.png;x.png.;x.png ;sub./x.png;"
      "/x.png;\\x.png;C:x.png;a//x.png;x.png:s;x.png::$DATA;in.png:s:$DATA;a*b.png;x?.png;"
      "a<b>.png;a|b.png");
  for (std::string name; std::getline(others, name, ';');) names.push_back(name);
  // Then, in every spelling, names that a save must refuse (the protected
  // files, a golden file not made yet, links that lead out, a hard link to
  // the PNG file read), and two it may write through.
  const std::size_t everySpelling = names.size();
  for (const char* name : {"IN.PNG", "in.png", "The Golden Picture.PNG", "the script.mbc",
                           "THE SCRIPT.MBC", "later/future.png", "Later/Future.PNG", "lnk/x.png",
                           "lnk/new/x.png", "leaf.png", "ghost.png", "hard.png"}) {
    names.push_back(name);
  }
#ifdef _WIN32
  wchar_t shortName[4096];
  for (const char* file : {"the golden picture.png", "the script.mbc"}) {
    if (GetShortPathNameW((run / file).c_str(), shortName, 4096) != 0) {
      names.push_back(fs::path(shortName).filename().string());
    }
  }
#endif
  const std::size_t refusedBySave = names.size();
  names.insert(names.end(), {"inner/x.png", "sub/x.png"});
  const fs::file_time_type untouched = fs::last_write_time(outside);
  std::vector<std::string> spellings = Spellings(run);
  spellings.insert(spellings.begin(), run.string());
  spellings.push_back((root / "link to the run folder").string());

  for (std::size_t at = 0; at < names.size(); ++at) {
    const std::string& name = names[at];
    for (std::size_t spelling = 0; spelling < (at < everySpelling ? 2 : spellings.size());
         ++spelling) {
      for (const char* probe : {"save 1, ", "expect_image 1, ", "image 2, "}) {
        refhost::RunnerOptions options;
        options.script = (run / "the script.mbc").string();
        options.updateGolden = true;
        const bool save = probe[0] == 's';
        options.scriptFolder = save ? run.string() : spellings[spelling];
        options.outputFolder = save ? spellings[spelling] : (root / "out").string();
        const std::vector<fs::path> before = Below(run);
        const int status = runScript("bitmap 9, \"in.png\"\n" + image + probe + "\"" + name +
                                         "\"\nexpect_image 1, \"the golden picture.png\"\n"
                                         "expect_image 1, \"later/future.png\"\n",
                                     options);
        const std::string where = name + " in " + spellings[spelling] + " by " + probe;
        EXPECT_TRUE(status == 2 || (status == 0 && Judged(run, name).empty() &&
                                    !(save && at >= everySpelling && at < refusedBySave)))
            << where << ": status " << status << ", " << Judged(run, name);
        // A refusal leaves nothing behind: no file, no folder made on the way.
        EXPECT_TRUE(status != 2 || Below(run) == before) << where;
        for (const char* later : {"later", "Later"}) fs::remove_all(run / later);
        for (const auto& [file, bytes] : kept) EXPECT_EQ(Contents(file), bytes) << where;
        // Nothing made there, not even for a moment.
        EXPECT_EQ(fs::last_write_time(outside), untouched) << where;
      }
    }
  }
  if (!HasFailure()) Remove(root);  // before the scratch folder goes, links and all
}

}  // namespace
