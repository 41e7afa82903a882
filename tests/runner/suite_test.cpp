// A suite run in-process against the target on both builds, each script in
// a host made afresh through the target (a reload of the DLL under Wine):
// the order scripts run in, their names and output folders, what one script
// leaves for the next (nothing), a command stopped midway and the run going
// on, the summary and the exit status, and the pictures of an earlier run
// that a passing golden removes. What the page and the JUnit file hold is
// checked by a browser and a JUnit reader (check_suite_report.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "refhost/runner/suite_runner.h"
#include "rows.h"
#include "scratch.h"
#include "target.h"

namespace fs = std::filesystem;

bool Says(const std::string& said, const std::string& wanted);  // in script_test.cpp

namespace {

// A fresh plug-in for each script, as the host session gives one.
class TargetHost : public refhost::SuiteHost {
 public:
  bool Start(std::ostream& transcript, std::string*) override {
    target::Restart(true);
    transcript << "load hook called\n";
    return true;
  }
  const refhost::CommandSet& Plugin() const override { return target::Plugin(); }
  const refhost::CompanionClient* Host() const override { return &target::Host(); }
  bool Finish(bool cutOff, std::ostream& transcript) override {
    if (!cutOff) transcript << "unload hook returned " << target::Call("Destructor", {}) << "\n";
    finished += cutOff ? "cut " : "hook ";
    return true;
  }
  bool Close(std::ostream&) override { return true; }
  std::string finished;  // how each script's plug-in was let go
};

enum Flags { kUpdateGolden = 1, kHostCallLimit = 2 };

struct SuiteRow {
  const char* name;
  // Files below the row's folder "in" ("sub/a.mbc") with their bytes; a
  // name below "out/" lies in the output folder, as an earlier run left it.
  std::vector<std::pair<std::string, std::string>> files;
  std::vector<std::string> operands;  // below "in"; none: "in" itself
  int status;
  std::string said;       // the console, as fragments Says takes
  std::string finished;   // TargetHost::finished
  std::string left = "";  // every file below "out" afterwards, sorted ("" not looked at)
  int flags = 0;
};

const std::string kMake = "n = MBC Make Memblock(16)\nexpect n, 1\n";
const std::string kRed =
    "i = MBC Make Memblock Image(4, 2, 32)\nMBC Box i, 0, 0, 3, 1, 0xFFFF0000, 1\n";

const SuiteRow kRows[] = {
    // Each folder's entries without letter case, then byte by byte; folders
    // walked depth first among the files; only *.mbc, in any case.
    {"order and names",
     {{"b.mbc", "print 2\n"},
      {"A.mbc", "print 1\n"},
      {"a1/c.MBC", "print 3\n"},
      {"B2/d.mbc", "print 4\n"},
      {"notes.txt", "print 5\n"}},
     {},
     0,
     "^ok A.mbc no expectations ( ... ok a1/c.MBC no ... ok b.mbc no ... "
     "ok B2/d.mbc no ... \n4 passed, 0 failed\n",
     "hook hook hook hook ",
     "out/A/output.txt out/B2/d/output.txt out/a1/c/output.txt out/b/output.txt"},
    // The allocator's numbers and the store start afresh for each script;
    // variables too (m is unknown to the second).
    {"nothing reaches the next",
     {{"1.mbc", kMake + "m = 5\n"}, {"2.mbc", kMake + "memblocks\nexpect 1, 1\n"}},
     {},
     0,
     "ok 1.mbc 1 expectation held ... ok 2.mbc 2 expectations held ... 2 passed, "
     "0 failed\n",
     "hook hook "},
    // A command past its host calls is cut off; its plug-in is released
    // without its unload hook, and the next script runs in a fresh one.
    {"a command cut off, and the run goes on",
     {{"1.mbc", kMake + "MBC Box n, 0, 0, 9999, 9999, 7, 1\nprint 9\n"}, {"2.mbc", kMake}},
     {},
     2,
     "FAILED 1.mbc stopped after 1 expectation ( ... s): line 3: the command made more than "
     "1000 host calls; stopped (--max-host-calls sets the limit)\n"
     "ok 2.mbc 1 expectation held ... \n1 passed, 1 failed\n",
     "cut hook ",
     "",
     kHostCallLimit},
    // A failed expectation names its first failing line; a script with a
    // mistake could not be run, and outweighs it in the status.
    {"failed and refused",
     {{"1.mbc", "expect 1, 2\nfor x = 1 to 3\n expect x, 2\nnext\n"}, {"2.mbc", "expcet 1, 1\n"}},
     {},
     2,
     "FAILED 1.mbc 3 of 4 expectations failed ( ... s): line 1: expect 1, 2 FAILED: got 1, "
     "wanted 2\nFAILED 2.mbc could not be run ( ... s): line 1, column 1: unknown command or "
     "directive: expcet 1, 1; did you mean \"expect\"?\n0 passed, 2 failed\n",
     "hook hook "},
    {"an expectation failed",
     {{"1.mbc", "for x = 1 to 3\n expect x, 2\nnext\n"}},
     {},
     1,
     "FAILED 1.mbc 2 of 3 expectations failed ( ... s): line 2 (x = 1): expect x, 2 FAILED: "
     "got 1, wanted 2\n0 passed, 1 failed\n",
     "hook "},
    // Several operands: each name starts with its operand's own; a script
    // reached twice runs once; names that would share an output folder,
    // whatever their letter case, get "~2"; an operand that names none
    // counts as failed.
    {"several operands",
     {{"one/a.mbc", "print 1\n"},
      {"two/a.mbc", "print 2\n"},
      {"three/A.mbc", "print 3\n"},
      {"empty/x.txt", ""}},
     {"one", "two/a.mbc", "one/a.mbc", "three/A.mbc", "empty", "missing"},
     2,
     "^ok one/a.mbc ... ok a.mbc ... ok A.mbc ... empty could not be run ( ... s): a "
     "folder without *.mbc scripts\nFAILED ... missing could not be run ( ... s): no such script "
     "or folder\n3 passed, 2 failed\n",
     "hook hook hook ",
     "out/A~2/output.txt out/a/output.txt out/one/a/output.txt"},
    // A golden that passes, written anew or compared, removes the pictures
    // an earlier failure left in the script's output folder.
    {"a passing golden removes an earlier failure's pictures",
     {{"1.mbc", kRed + "expect_image i, \"g.png\"\n"},
      {"2.mbc", kRed + "expect_image i, \"g.png\"\n"},
      {"out/1/g.actual.png", "old"},
      {"out/1/g.diff.enlarged.png", "old"},
      {"out/2/g.actual.enlarged.png", "old"},
      {"out/2/g.diff.png", "old"},
      {"out/2/keep.png", "old"}},
     {},
     0,
     "ok 1.mbc 1 expectation held ... ok 2.mbc 1 expectation held ",
     "hook hook ",
     "out/1/output.txt out/2/keep.png out/2/output.txt",
     kUpdateGolden},
};

// Each row a test, Suite.Row/<its name>, in a fresh folder of its own.
class Suite : public ::testing::TestWithParam<SuiteRow> {
 protected:
  const ScratchFolder scratch_;
  const fs::path root_ = scratch_.path();
};

TEST_P(Suite, Row) {
  const SuiteRow& row = GetParam();
  for (const auto& [name, bytes] : row.files) {
    const fs::path file = root_ / (name.rfind("out/", 0) == 0 ? name : "in/" + name);
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
  }
  std::vector<std::string> operands;
  for (const std::string& operand : row.operands)
    operands.push_back((root_ / "in" / operand).string());
  if (operands.empty()) operands.push_back((root_ / "in").string());
  refhost::SuiteOptions options;
  options.runner.outputFolder = (root_ / "out").string();
  options.runner.updateGolden = row.flags & kUpdateGolden;
  if (row.flags & kHostCallLimit) options.runner.maxHostCalls = 1000;
  TargetHost host;
  std::ostringstream console;
  const int status = refhost::RunSuite(refhost::FindSuiteScripts(operands), host, options, console);
  std::string left;
  if (fs::exists(root_ / "out")) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root_ / "out"))
      if (entry.is_regular_file())
        files.push_back(entry.path().lexically_relative(root_).generic_string());
    std::sort(files.begin(), files.end());
    for (const std::string& file : files) left += (left.empty() ? "" : " ") + file;
  }
  EXPECT_EQ(status, row.status) << console.str();
  const std::string said = std::regex_replace(console.str(), std::regex(" +"), " ");
  EXPECT_TRUE(Says(said, row.said)) << said;
  EXPECT_EQ(host.finished, row.finished);
  if (!row.left.empty()) {
    EXPECT_EQ(left, row.left);
  }
}

INSTANTIATE_TEST_SUITE_P(, Suite, ::testing::ValuesIn(kRows), RowName<SuiteRow>);

}  // namespace
