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

// The plug-in and both stand-in host libraries, as the host folder has them.
const std::vector<std::string> kHost = {"DoduzIridizeruRediro.dll", "RuzazUrovuv.dll",
                                        "ZavarOvur.dll"};

// A fresh folder with the runner, `files` (paths beside the test program) and
// `script` as test.mbc, byte for byte; runs "mbc_runner.exe ARGS" there; its
// output, without carriage returns and each run of blanks as one, with the
// folder's full path written as "{folder}".
// The output goes to a file: a pipe could be held open by a process that a
// message box starts, long after the runner has ended.
Outcome RunRunner(const std::string& name, std::vector<std::string> files,
                  const std::string& script, const std::string& args = "test.mbc") {
  char self[MAX_PATH];
  const fs::path bin =
      fs::path(std::string(self, GetModuleFileNameA(nullptr, self, MAX_PATH))).parent_path();
  const fs::path folder = fs::temp_directory_path() / "mbc_runner_programs" / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  files.push_back("mbc_runner.exe");
  for (const std::string& file : files)
    fs::copy_file(bin / file, folder / fs::path(file).filename());
  std::ofstream(folder / "test.mbc", std::ios::binary) << script;
  const int status = std::system(
      ("cd /d \"" + folder.string() + "\" && mbc_runner.exe " + args + " >output.txt 2>&1")
          .c_str());
  std::ifstream file(folder / "output.txt", std::ios::binary);
  std::string out(std::istreambuf_iterator<char>(file), {});
  out = std::regex_replace(out, std::regex("\r| +(?= )"), "");
  const std::string full = fs::absolute(folder).lexically_normal().string();
  for (std::size_t at; (at = out.find(full)) != std::string::npos;)
    out.replace(at, full.size(), "{folder}");
  return {status, out};
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
      {"both", kHost,
       "load hook called\n b = MBC Initialized => 1 [0 host calls]\n"
       " n = MBC Make Memblock(16) => 1 [2 host calls]\n"},
      {"no-entry",
       {"DoduzIridizeruRediro.dll", "without-entry/RuzazUrovuv.dll", "ZavarOvur.dll"},
       NO_COMPANION "load hook called\n" NO_COMPANION " b = MBC Initialized => 0 [0 host calls]\n"
                    " n = MBC Make Memblock(16) => 0 [0 host calls]\n"},
      {"neither",
       {"DoduzIridizeruRediro.dll"},
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

// `text` (ASCII) as UTF-16 little-endian with its byte-order mark, as
// Notepad saves "Unicode".
std::string Utf16(const std::string& text) {
  std::string bytes = "\xFF\xFE";
  for (char c : text) bytes += std::string{c, '\0'};
  return bytes;
}

// The command line, what stops the runner before line 1, and the host-call
// limit, each with its exit status: 4 a command line that was wrong, 3 a host
// that could not be set up, 2 a command stopped.
TEST(Runner, CommandLineSetUpAndTheHostCallLimit) {
  const struct {
    const char* name;
    std::vector<std::string> files;
    std::string script;
    const char* args;
    int status;
    std::vector<const char*> said;  // in the output, in this order
  } rows[] = {
      {"help", kHost, "", "-h", 0, {"usage: mbc_runner [OPTIONS] SCRIPT [OUTPUT_FOLDER]\n"}},
      {"no value",
       kHost,
       "",
       "--max-host-calls",
       4,
       {"mbc_runner: --max-host-calls needs a value: --max-host-calls N\n"
        "usage: mbc_runner [OPTIONS] SCRIPT [OUTPUT_FOLDER] (mbc_runner --help tells more)\n"}},
      {"unknown option after the script",
       kHost,
       "",
       "test.mbc --bogus",
       4,
       {"mbc_runner: unknown option --bogus\nusage:"}},
      {"no script", kHost, "", "", 4, {"mbc_runner: no SCRIPT given\nusage:"}},
      {"a script that is not there",
       kHost,
       "",
       "nope.mbc",
       3,
       {"mbc_runner: the script {folder}\\nope.mbc cannot be read: No such file or directory\n"}},
      {"no plug-in",
       {"RuzazUrovuv.dll", "ZavarOvur.dll"},
       "",
       "test.mbc",
       3,
       {"mbc_runner: cannot load DoduzIridizeruRediro.dll: ",
        " (error 126); looked beside the runner ({folder}\\), in the folder above ("}},
      {"UTF-16 and options after the script",
       kHost,
       Utf16("i = MBC Initialized\r\n"),
       "test.mbc OUT --trace",
       0,
       {"load hook called\noutput folder {folder}\\OUT made\n i = MBC Initialized\n"
        " => 1 [0 host calls]\n"}},
      // Work beyond the limit is stopped, and the runner ends on the spot.
      {"limit",
       kHost,
       "i = MBC Make Memblock Image(8, 8, 32)\nMBC Box i, 0, 0, 9999, 9999, 7, 1\n"
       "print \"not reached\"\n",
       "test.mbc --max-host-calls 1000",
       2,
       {"line 2: the command made more than 1000 host calls; stopped (--max-host-calls sets the "
        "limit)\n"}},
      // An outline across every column of the 32-bit range: stopped by the
      // default limit, in bounded memory.
      {"range",
       kHost,
       "i = MBC Make Memblock Image(8, 8, 32)\nMBC Box i, -2147483648, 0, 2147483647, 0, 7, 0\n",
       "test.mbc",
       2,
       {"line 2: the command made more than 100000000 host calls"}},
  };
  for (const auto& row : rows) {
    const Outcome run = RunRunner(row.name, row.files, row.script, row.args);
    EXPECT_EQ(run.status, row.status) << row.name << "\n" << run.out;
    std::size_t from = 0;
    for (const std::string said : row.said) {
      from = run.out.find(said, from);
      EXPECT_NE(from, std::string::npos) << row.name << ": missing\n"
                                         << said << "\nin\n"
                                         << run.out;
    }
    EXPECT_EQ(run.out.find("not reached"), std::string::npos) << row.name;
  }
}

}  // namespace
