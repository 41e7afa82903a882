#include "instruction_count.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <valgrind/callgrind.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>

extern char** environ;

namespace bench {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLabelLine = "desc: Trigger: Client Request: ";
constexpr const char* kTotalsLine = "totals: ";

// The label and instruction total of one dump file; false for the dump made
// at the program's end, which has no label.
bool ReadDump(const fs::path& file, std::string* label, std::uint64_t* total) {
  std::ifstream in(file);
  std::string line;
  bool labelled = false, totalled = false;
  while (std::getline(in, line) && !(labelled && totalled)) {
    if (line.rfind(kLabelLine, 0) == 0) {
      *label = line.substr(std::string(kLabelLine).size());
      labelled = true;
    } else if (line.rfind(kTotalsLine, 0) == 0) {
      *total = std::strtoull(line.c_str() + std::string(kTotalsLine).size(), nullptr, 10);
      totalled = true;
    }
  }
  return labelled && totalled;
}

// The exclusive instructions of each function of a dump, summed by the file
// the function lies in. In callgrind's format "fl=" names the file of the
// functions that follow ("fi="/"fe=" only mark inlined code, which counts for
// its function), names are given once with "(id) name" and later as "(id)",
// and the line after "calls=" holds a call's inclusive cost, not the
// function's own.
CountsByFile ReadByFile(const fs::path& file) {
  CountsByFile byFile;
  std::map<std::string, std::string> names;
  std::ifstream in(file);
  std::string line, current;
  bool body = false, callCost = false;
  while (std::getline(in, line)) {
    // File names are shared by "fl=", "fi=", "fe=", "cfi=" and "cfl=".
    const std::size_t equals = line.find("=(");
    const std::string key = line.substr(0, equals);
    if (equals != std::string::npos &&
        (key == "fl" || key == "fi" || key == "fe" || key == "cfi" || key == "cfl")) {
      const std::string id = line.substr(equals + 1, line.find(')') - equals);
      const std::size_t blank = line.find(' ');
      if (blank != std::string::npos) names[id] = line.substr(blank + 1);
      if (key != "fl") continue;
      current = names.count(id) ? names[id] : id;
      body = true;
    } else if (line.rfind("calls=", 0) == 0) {
      callCost = true;
    } else if (body && !line.empty() &&
               (std::isdigit(static_cast<unsigned char>(line[0])) || line[0] == '+' ||
                line[0] == '-' || line[0] == '*')) {
      if (!callCost) {
        const std::size_t blank = line.find(' ');
        if (blank != std::string::npos) {
          byFile[current] += std::strtoull(line.c_str() + blank + 1, nullptr, 10);
        }
      }
      callCost = false;
    }
  }
  return byFile;
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs argv, its output to `log`, and gives its exit status (-1 when it
// could not start or did not exit).
int RunAndWait(const std::vector<std::string>& argv, const fs::path& log) {
  std::vector<char*> pointers;
  for (const std::string& a : argv) pointers.push_back(const_cast<char*>(a.c_str()));
  pointers.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = 0;
  const int started =
      posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, pointers.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace

bool UnderValgrind() {
  return RUNNING_ON_VALGRIND != 0;
}

void CountOneRun(const std::string& label, void (*body)()) {
  CALLGRIND_TOGGLE_COLLECT;
  body();
  CALLGRIND_TOGGLE_COLLECT;
  CALLGRIND_DUMP_STATS_AT(label.c_str());
}

std::string ThisProgram() {
  std::error_code failed;
  const fs::path self = fs::read_symlink("/proc/self/exe", failed);
  return failed ? std::string() : self.string();
}

bool CountUnderCallgrind(const std::string& program, const std::vector<std::string>& args,
                         std::map<std::string, std::uint64_t>* counts, std::string* error,
                         std::map<std::string, CountsByFile>* byFile) {
  error->clear();
  char folder[] = "/tmp/mbc_bench_callgrind.XXXXXX";
  if (mkdtemp(folder) == nullptr) {
    *error = "cannot make a folder for callgrind's files";
    return false;
  }
  const fs::path dir(folder);
  const fs::path log = dir / "output.txt";
  std::vector<std::string> argv = {"valgrind", "--tool=callgrind", "--collect-atstart=no",
                                   "--callgrind-out-file=" + (dir / "callgrind.out").string(),
                                   program};
  argv.insert(argv.end(), args.begin(), args.end());
  const int status = RunAndWait(argv, log);
  if (status != 0) {
    *error = status < 0 ? "valgrind could not be run (is it installed?)"
                        : "the counting run failed:\n" + ReadAll(log);
  } else {
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
      std::string label;
      std::uint64_t total = 0;
      if (entry.path().filename().string().rfind("callgrind.out.", 0) == 0 &&
          ReadDump(entry.path(), &label, &total)) {
        (*counts)[label] = total;
        if (byFile != nullptr) (*byFile)[label] = ReadByFile(entry.path());
      }
    }
    if (counts->empty()) *error = "callgrind dumped no counts";
  }
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  return error->empty();
}

}  // namespace bench
