// A folder of the running test's own, for whatever it writes: made fresh below
// a folder of the test program's process in the system's temporary folder,
// named after the test, and removed when the test passes (kept to look at when
// it fails). No two tests, and no two test programs running side by side,
// ever share one.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#ifdef _WIN32
#include <process.h>
#define MBC_PROCESS_ID _getpid()
#else
#include <unistd.h>
#define MBC_PROCESS_ID getpid()
#endif

class ScratchFolder {
 public:
  // Named "<n>-<the test's name, cut short>": the paths the tests build
  // below it stay well inside the 260 characters of a Windows path.
  ScratchFolder() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    for (char& c : name) c = c == '/' ? '-' : c;
    path_ = std::filesystem::temp_directory_path() / ("mbc-" + std::to_string(MBC_PROCESS_ID)) /
            (std::to_string(++made_) + "-" + name.substr(0, 28));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!::testing::Test::HasFailure()) std::filesystem::remove_all(path_, ignored);
    std::filesystem::remove(path_.parent_path(), ignored);  // when it is empty
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  inline static int made_ = 0;
  std::filesystem::path path_;
};
