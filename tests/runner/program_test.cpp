// mbc_runner.exe as a script author runs it, each run a process of its own in
// a folder holding only the host libraries it should find: the binding as the
// host meets it (boxes and all), its options and its exit statuses.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

struct Outcome {
  int status;
  std::string out;
};

// A fresh folder with the runner, the plug-in, `files` (paths beside the test
// program) and `script` as test.mbc; runs "mbc_runner.exe OPTIONS test.mbc"
// there, its output going to a file: a pipe could be held open by a process
// that a message box starts, long after the runner has ended.
Outcome RunRunner(const std::string& name, std::vector<std::string> files,
                  const std::string& script, const std::string& options = "") {
  char self[MAX_PATH];
  const fs::path bin =
      fs::path(std::string(self, GetModuleFileNameA(nullptr, self, MAX_PATH))).parent_path();
  const fs::path folder = fs::temp_directory_path() / "mbc_runner_programs" / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  files.insert(files.end(), {"mbc_runner.exe", "DoduzIridizeruRediro.dll"});
  for (const std::string& file : files)
    fs::copy_file(bin / file, folder / fs::path(file).filename());
  std::ofstream(folder / "test.mbc") << script;

  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  const HANDLE output =
      CreateFileA((folder / "output.txt").string().c_str(), GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = output;
  PROCESS_INFORMATION process{};
  std::string command = "\"" + (folder / "mbc_runner.exe").string() + "\" " + options + " test.mbc";
  DWORD status = 0xDEAD;
  if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                     folder.string().c_str(), &startup, &process)) {
    if (WaitForSingleObject(process.hProcess, 120000) != WAIT_OBJECT_0) {
      TerminateProcess(process.hProcess, 0xDEAD);
    }
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(output);
  std::ifstream file(folder / "output.txt", std::ios::binary);
  std::string out(std::istreambuf_iterator<char>(file), {});
  out.erase(std::remove(out.begin(), out.end(), '\r'), out.end());
  return {static_cast<int>(status), out};
}

std::string Squeezed(std::string text) {
  text.erase(
      std::unique(text.begin(), text.end(), [](char a, char b) { return a == ' ' && b == ' '; }),
      text.end());
  return text;
}

const char kScript[] = "b = MBC Initialized\nn = MBC Make Memblock(16)\n";
#define LOADED "loaded DoduzIridizeruRediro.dll: 19 commands in its command table\n"
#define COMPANION_BOX " [message box] \"Warning\": \"RuzazUrovuv\\VarIvoziVavu init failed.\"\n"
#define CORE_BOX " [message box] \"Devad Initialisation\": \" Library ZavarOvur.dll not found\"\n"

TEST(Runner, BindsAsTheHostFindsItsLibraries) {
  const struct {
    const char* name;
    std::vector<std::string> files;
    const char* out;
  } scenarios[] = {
      {"both",
       {"RuzazUrovuv.dll", "ZavarOvur.dll"},
       LOADED "load hook called\n b = MBC Initialized => 1 [0 host calls]\n"
              " n = MBC Make Memblock(16) => 1 [2 host calls]\n"
              "unload hook returned 0; 1 memblock(s) left\nplug-in unloaded\n"},
      {"no-companion",
       {"ZavarOvur.dll"},
       "host companion RuzazUrovuv.dll absent: the directives that need it are refused\n" LOADED
           COMPANION_BOX "load hook called\n" COMPANION_BOX " b = MBC Initialized => 0\n"
       " n = MBC Make Memblock(16) => 0\nunload hook returned 0\nplug-in unloaded\n"},
      {"no-entry",
       {"without-entry/RuzazUrovuv.dll", "ZavarOvur.dll"},
       LOADED COMPANION_BOX
       "load hook called\n" COMPANION_BOX
       " b = MBC Initialized => 0 [0 host calls]\n n = MBC Make Memblock(16) => 0 [0 host calls]\n"
       "unload hook returned 0; 0 memblock(s) left\nplug-in unloaded\n"},
      {"neither",
       {},
       "host companion RuzazUrovuv.dll absent: the directives that need it are refused\n"
       "host core ZavarOvur.dll absent\n" LOADED COMPANION_BOX CORE_BOX
       "load hook called\n" COMPANION_BOX CORE_BOX
       " b = MBC Initialized => 0\n n = MBC Make Memblock(16) => 0\n"
       "unload hook returned 0\nplug-in unloaded\n"},
  };
  for (const auto& s : scenarios) {
    const Outcome run = RunRunner(s.name, s.files, kScript);
    EXPECT_EQ(run.status, 0) << s.name;
    EXPECT_EQ(Squeezed(run.out), s.out) << s.name;
  }
}

TEST(Runner, ExitStatusesOptionsAndTheHostCallLimit) {
  const std::vector<std::string> host = {"RuzazUrovuv.dll", "ZavarOvur.dll"};
  Outcome run = RunRunner("help", host, "", "--help");
  EXPECT_EQ(run.status, 0);
  for (const char* usage : {"save M, \"FILE.png\" [, SCALE]", "expect_image M, \"FILE.png\"",
                            "--trace", "--max-host-calls N", "Exit status"}) {
    EXPECT_NE(run.out.find(usage), std::string::npos) << usage;
  }
  EXPECT_EQ(RunRunner("passes", host, "n = MBC Make Memblock(16)\nexpect n, 1\n").status, 0);
  EXPECT_EQ(RunRunner("fails", host, "n = MBC Make Memblock(16)\nexpect n, 2\n").status, 1);
  EXPECT_EQ(RunRunner("bad-line", host, "MBC Plot 1\n").status, 2);
  EXPECT_EQ(RunRunner("bad-option", host, "", "--fast").status, 3);
  // Work beyond the limit is stopped, and the runner ends on the spot.
  run = RunRunner("limit", host,
                  "i = MBC Make Memblock Image(8, 8, 32)\nMBC Box i, 0, 0, 9999, 9999, 7, 1\n"
                  "print \"not reached\"\n",
                  "--max-host-calls 1000");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.out.find("line 2: the command made more than 1000 host calls; stopped"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("not reached"), std::string::npos);
  // An outline across every column of the 32-bit range: stopped by the
  // default limit, in bounded memory.
  run = RunRunner("range", host,
                  "i = MBC Make Memblock Image(8, 8, 32)\n"
                  "MBC Box i, -2147483648, 0, 2147483647, 0, 7, 0\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.out.find("line 2: the command made more than 100000000 host calls"),
            std::string::npos)
      << run.out;
}

}  // namespace
