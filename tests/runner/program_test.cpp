// mbc_runner.exe as a script author runs it, each run a process of its own in
// a folder holding only the host libraries it should find: the binding as the
// host meets it (boxes and all), its options and its exit statuses.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

namespace fs = std::filesystem;

namespace {

struct Outcome {
  int status;
  std::string out;
};

// A fresh folder with the runner, the plug-in, `files` (paths beside the test
// program) and `script` as test.mbc; runs "mbc_runner.exe OPTIONS test.mbc"
// there; its output, without carriage returns and each run of blanks as one.
// The output goes to a file: a pipe could be held open by a process that a
// message box starts, long after the runner has ended.
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
  const int status = std::system(("cd /d \"" + folder.string() + "\" && mbc_runner.exe " + options +
                                  " test.mbc >output.txt 2>&1")
                                     .c_str());
  std::ifstream file(folder / "output.txt", std::ios::binary);
  const std::string out(std::istreambuf_iterator<char>(file), {});
  return {status, std::regex_replace(out, std::regex("\r| +(?= )"), "")};
}

#define NO_COMPANION " [message box] \"Warning\": \"RuzazUrovuv\\VarIvoziVavu init failed.\"\n"
#define NO_CORE " [message box] \"Devad Initialisation\": \" Library ZavarOvur.dll not found\"\n"

// The load hook, then "MBC Initialized" and a make, with the host libraries a
// folder has; boxes for what is missing, companion first, at every attempt. A
// status other than 0 would also tell of a host library the plug-in kept.
TEST(Runner, BindsAsTheHostFindsItsLibraries) {
  const struct {
    const char* name;
    std::vector<std::string> files;
    const char* steps;
  } scenarios[] = {
      {"both",
       {"RuzazUrovuv.dll", "ZavarOvur.dll"},
       "load hook called\n b = MBC Initialized => 1 [0 host calls]\n"
       " n = MBC Make Memblock(16) => 1 [2 host calls]\n"},
      {"no-entry",
       {"without-entry/RuzazUrovuv.dll", "ZavarOvur.dll"},
       NO_COMPANION "load hook called\n" NO_COMPANION " b = MBC Initialized => 0 [0 host calls]\n"
                    " n = MBC Make Memblock(16) => 0 [0 host calls]\n"},
      {"neither",
       {},
       NO_COMPANION NO_CORE "load hook called\n" NO_COMPANION NO_CORE
                            " b = MBC Initialized => 0\n n = MBC Make Memblock(16) => 0\n"},
  };
  for (const auto& s : scenarios) {
    const Outcome run =
        RunRunner(s.name, s.files, "b = MBC Initialized\nn = MBC Make Memblock(16)\n");
    EXPECT_EQ(run.status, 0) << s.name << "\n" << run.out;
    EXPECT_NE(run.out.find(s.steps), std::string::npos) << s.name << "\n" << run.out;
  }
}

TEST(Runner, HelpAndTheHostCallLimit) {
  const std::vector<std::string> host = {"RuzazUrovuv.dll", "ZavarOvur.dll"};
  Outcome run = RunRunner("help", host, "", "--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("save M, \"FILE.png\" [, SCALE]"), std::string::npos) << run.out;
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
