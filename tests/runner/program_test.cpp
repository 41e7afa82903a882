// mbc_runner.exe as a script author runs it, each run a process of its own in
// a folder holding only the host libraries it should find: what only a process
// shows (the binding as the host meets it, boxes and all; a missing plug-in;
// the host-call limit ending the process) and each of its exit statuses. What
// the script engine and the command parser do is in script_test.cpp.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "rows.h"
#include "scratch.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

bool Says(const std::string& said, const std::string& wanted);  // in script_test.cpp

namespace {

#define NO_COMPANION " [message box] \"Warning\": \"RuzazUrovuv\\VarIvoziVavu init failed.\"\n"
#define NO_CORE " [message box] \"Devad Initialisation\": \" Library ZavarOvur.dll not found\"\n"

// Each run in the test's own folder, holding the runner, `files` (from
// beside the test program) and `script` as test.mbc; what it said is compared
// without carriage returns, each run of blanks as one, with "{folder}" for the
// folder's full path. Exit statuses: 0 the script ran, 2 a command was
// stopped, 3 the host could not be set up, 4 the command line was wrong.
struct ProgramRow {
  const char* name;
  const char* files;
  std::string script;
  const char* args;
  int status;
  std::string said;
  // Run from drive Z:, so that a name such as "C:test.mbc" means the
  // current folder of drive C:, the row's own.
  bool fromDriveZ = false;
};

// Each row a test, RunnerProgram.Row/<its name>.
std::vector<ProgramRow> ProgramRows() {
  // The plug-in and both stand-in host libraries, as the host folder has them.
  const char* host = "DoduzIridizeruRediro.dll|RuzazUrovuv.dll|ZavarOvur.dll";
  const std::string bind = "b = MBC Initialized\nn = MBC Make Memblock(16)\n";
  const ProgramRow rows[] = {
      // The load hook, then "MBC Initialized" and a make, with the host
      // libraries a folder has; boxes for what is missing, companion first, at
      // every attempt. A status other than 0 would also tell of a host library
      // the plug-in kept.
      {"both", host, bind, "test.mbc", 0,
       "load hook called\n b = MBC Initialized => 1 [0 host calls]\n"
       " n = MBC Make Memblock(16) => 1 [2 host calls]\n"},
      {"no-entry", "DoduzIridizeruRediro.dll|without-entry/RuzazUrovuv.dll|ZavarOvur.dll", bind,
       "test.mbc", 0,
       NO_COMPANION "load hook called\n" NO_COMPANION " b = MBC Initialized => 0 [0 host calls]\n"
                    " note: the plug-in is not bound to the host: its commands return 0 and "
                    "call nothing until MBC Initialized gives 1 (RuzazUrovuv.dll, or its entry "
                    "VarIvoziVavu, is missing)\n n = MBC Make Memblock(16) => 0 [0 host calls]\n"
                    " note: the plug-in is not bound"},
      {"neither", "DoduzIridizeruRediro.dll", bind, "test.mbc", 0,
       "^host companion RuzazUrovuv.dll absent: the directives that need it are refused; to try "
       "scripts, put the release's reference-host files back beside mbc_runner.exe\nhost core "
       "ZavarOvur.dll absent; to try scripts, put the release's reference-host files back beside "
       "mbc_runner.exe\n ... " NO_COMPANION NO_CORE "load hook called\n" NO_COMPANION NO_CORE
       " b = MBC Initialized => 0\n n = MBC Make Memblock(16) => 0\n"},
      {"help", host, "", "-h", 0, "usage: mbc_runner [OPTIONS] SCRIPT [OUTPUT_FOLDER]\n"},
      // The help lists the commands of the plug-in it finds, as the table has
      // them; without one it says why.
      {"help as Windows asks for it", host, "", "/?", 0,
       "^usage: mbc_runner [OPTIONS] ... Commands, from the plug-in's command table, ... MBC Box "
       "Memblock Number, Left, Top, Right, Bottom, RGBColor, FillMode\n (the command table's "
       "hint gives the 4th and 5th as Bottom, Right; the\n command takes Right, Bottom)\n"},
      {"help without a plug-in", "RuzazUrovuv.dll|ZavarOvur.dll", "", "-?", 0,
       "Commands: the plug-in's commands are listed here from its command table, and it could "
       "not be loaded: "},
      {"a script named like a device", host, "", "nul.mbc", 3,
       "^mbc_runner: the script nul.mbc is the device \\\\.\\nul to Windows, not a file (NUL, "
       "CON, PRN, AUX, COM1 to COM9 and LPT1 to LPT9 name devices, whatever their extension): "
       "rename the script\n"},
      {"no value", host, "", "--max-host-calls", 4,
       "mbc_runner: --max-host-calls needs a value: --max-host-calls N\n"
       "usage: mbc_runner [OPTIONS] SCRIPT [OUTPUT_FOLDER] (mbc_runner --help tells more)\n"},
      {"a script that is not there", host, "", "nope.mbc", 3,
       "mbc_runner: the script {folder}\\nope.mbc cannot be read: No such file or directory\n"},
      {"no plug-in", "RuzazUrovuv.dll|ZavarOvur.dll", "", "test.mbc", 3,
       "mbc_runner: cannot load DoduzIridizeruRediro.dll: ... "
       " (error 126); looked beside the runner ({folder}\\), in the folder above ("},
      // Work beyond the limit is stopped, and the runner ends on the spot.
      {"limit", host,
       "i = MBC Make Memblock Image(8, 8, 32)\nMBC Box i, 0, 0, 9999, 9999, 7, 1\n"
       "print \"not reached\"\n",
       "test.mbc --max-host-calls 1000", 2,
       "line 2: the command made more than 1000 host calls; stopped (--max-host-calls sets the "
       "limit)\n"},
      // The largest script the runner reads, every line empty: nothing is kept
      // for a line that holds nothing (a string a line would not fit in 2 GiB).
      {"the largest script", host, std::string(64 << 20, '\n'), "test.mbc", 0,
       "load hook called\nthe script holds no statement, only blank lines or comments: nothing to "
       "run\nunload hook returned 0; 0 memblock(s) left\n"},
      // An outline across every column of the 32-bit range: stopped by the
      // default limit, in bounded memory.
      {"range", host,
       "i = MBC Make Memblock Image(8, 8, 32)\nMBC Box i, -2147483648, 0, 2147483647, 0, 7, 0\n",
       "test.mbc", 2, "line 2: the command made more than 100000000 host calls"},
      // The whole run has its limit too, each command within its own.
      {"run limit", host, bind + bind + bind + "print \"not reached\"\n",
       "test.mbc --max-run-host-calls=5", 2,
       "line 6: the run made more than 5 host calls in all; stopped (--max-run-host-calls sets the "
       "limit)\n"},
      // A folder is a suite: the command past its limit is cut off, the
      // plug-in released without its unload hook, and the suite ends with
      // its summary.
      {"suite limit", host,
       "i = MBC Make Memblock Image(8, 8, 32)\nMBC Box i, 0, 0, 9999, 9999, 7, 1\n"
       "print \"not reached\"\n",
       ". out --max-host-calls 1000", 2,
       "^FAILED test.mbc stopped ( ... s): line 2: the command made more than 1000 host calls; "
       "stopped (--max-host-calls sets the limit)\n0 passed, 1 failed\n"},
      {"suite", host, bind, "-o out test.mbc --report rep --junit=rep/j.xml", 0,
       "^ok test.mbc no expectations ( ... s)\nreport: {folder}\\rep\\index.html\n"
       "JUnit XML: {folder}\\rep\\j.xml\n1 passed, 0 failed\n"},
      {"suite without the plug-in", "RuzazUrovuv.dll|ZavarOvur.dll", bind, ". out", 2,
       "^FAILED test.mbc could not be run ( ... s): cannot load DoduzIridizeruRediro.dll: ... "
       "\n0 passed, 1 failed\n"},
      // A script as large as the limit runs, in bounded memory, whatever
      // number of lines it holds; a byte more is refused before line 1.
      {"largest", host, std::string((64 << 20) - 8, '\n') + "print 7\n", "test.mbc", 0,
       "load hook called\n7\n"},
      {"too large", host, std::string((64 << 20) + 1, '\n'), "test.mbc", 2,
       "^mbc_runner: the script {folder}\\test.mbc is larger than 64 MiB, more than the runner "
       "reads\n"},
      // The script's folder is that of its full path: a golden file goes
      // beside the script, whatever the current drive.
      {"drive-relative", host, "i = MBC Make Memblock Image(1, 1, 32)\nexpect_image i, \"g.png\"\n",
       "--update-golden C:test.mbc C:out", 0,
       "output folder {folder}\\out made\n ... golden file written (it was missing): "
       "{folder}\\g.png\n",
       true},
  };
  return {std::begin(rows), std::end(rows)};
}

class RunnerProgram : public ::testing::TestWithParam<ProgramRow> {};

TEST_P(RunnerProgram, Row) {
  const ProgramRow& row = GetParam();
  char self[MAX_PATH];
  const fs::path bin =
      fs::path(std::string(self, GetModuleFileNameA(nullptr, self, MAX_PATH))).parent_path();
  const ScratchFolder scratch;
  const fs::path& folder = scratch.path();
  std::istringstream files(row.files + "|mbc_runner.exe"s);
  for (std::string file; std::getline(files, file, '|');)
    fs::copy_file(bin / file, folder / fs::path(file).filename());
  std::ofstream(folder / "test.mbc", std::ios::binary) << row.script;
  // The output goes to a file: a pipe could be held open by a process that
  // a message box starts, long after the runner has ended.
  // Started in the row's folder, which stays the current folder of drive
  // C: when a row moves to drive Z:.
  const fs::path started = fs::current_path();
  fs::current_path(folder);
  const int status = std::system((std::string(row.fromDriveZ ? "Z: && C:" : "") +
                                  "mbc_runner.exe " + row.args + " >C:output.txt 2>&1")
                                     .c_str());
  fs::current_path(started);
  std::ifstream output(folder / "output.txt", std::ios::binary);
  const std::string said = std::regex_replace(
      std::string(std::istreambuf_iterator<char>(output), {}), std::regex("\r| +(?= )"), "");
  const std::string full = fs::absolute(folder).lexically_normal().string();
  EXPECT_EQ(status, row.status) << said;
  EXPECT_TRUE(Says(said, std::regex_replace(row.said, std::regex("\\{folder\\}"), full)) &&
              said.find("not reached") == std::string::npos)
      << said;
}

INSTANTIATE_TEST_SUITE_P(, RunnerProgram, ::testing::ValuesIn(ProgramRows()), RowName<ProgramRow>);

}  // namespace
