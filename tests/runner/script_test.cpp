// The reference host's script runner, run in-process against the target on
// both builds: --trace, PNG files in and out, expect_image, file names that
// would leave their folder, and hostile script lines.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "refhost/runner/script_runner.h"
#include "target.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder of its own for each test, for the script's PNG files.
class Script : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / "mbc_script_tests" /
              ::testing::UnitTest::GetInstance()->current_test_info()->name() / "in";
    fs::remove_all(folder_.parent_path());
    fs::create_directories(folder_);
  }
  // Runs `script` on a freshly bound plug-in; the transcript with every run
  // of blanks shown as one.
  int Run(const std::string& script, bool trace = false) {
    target::Restart(true);
    refhost::RunnerOptions options;
    options.scriptFolder = options.outputFolder = folder_.string();
    options.trace = trace;
    std::istringstream in(script);
    std::ostringstream out;
    const int status =
        refhost::ScriptRunner(target::Plugin(), &target::Host(), options, out).Run(in);
    transcript_ = std::regex_replace(out.str(), std::regex(" +"), " ");
    return status;
  }

  fs::path folder_;
  std::string transcript_;
};

TEST_F(Script, TracePrintsEveryHostCallUnderItsCommand) {
  EXPECT_EQ(Run("i = MBC Make Memblock Image(2, 1, 32)\n", true), 0);
  EXPECT_EQ(transcript_,
            " i = MBC Make Memblock Image(2, 1, 32)\n MemExists(1) -> 0\n MemMake(1, 20) -> 0\n"
            " MemWriteDword(1, 0, 2) -> 0\n MemWriteDword(1, 4, 1) -> 0\n"
            " MemWriteDword(1, 8, 32) -> 0\n => 1 [5 host calls]\n");
}

// The examples save, read back and compare pictures (product_test.cpp); a
// picture that differs is a failed expectation naming its first pixel.
TEST_F(Script, ExpectImageNamesTheFirstPixelThatDiffers) {
  EXPECT_EQ(Run("i = MBC Make Memblock Image(3, 2, 32)\nMBC Box i, 1, 0, 2, 1, 0xFF0000, 1\n"
                "save i, \"a.png\"\nMBC Plot i, 2, 1, 0x123456\nMBC Plot i, 0, 0, 7\n"
                "expect_image i, \"a.png\"\n"),
            1);
  EXPECT_NE(transcript_.find("expect_image i, \"a.png\" FAILED at (0, 0): the image has 0x000007, "
                             "a.png 0x000000\n1 expectation failed\n"),
            std::string::npos)
      << transcript_;
}

// Broken PNG files are refused with the reason, and nothing is made of them.
TEST_F(Script, PngFilesThatAreNotPicturesAreRefused) {
  EXPECT_EQ(Run("i = MBC Make Memblock Image(9, 9, 32)\nsave i, \"good.png\"\n"), 0);
  std::ifstream saved(folder_ / "good.png", std::ios::binary);
  const std::string good(std::istreambuf_iterator<char>(saved), {});
  const std::string files[][3] = {
      {"text.png", "not a picture", "is not a PNG file"},
      {"short.png", good.substr(0, good.size() / 2), "is damaged or cut short"},
      // A header declaring 1000000 x 1, with nothing after it.
      {"huge.png",
       good.substr(0, 16) + std::string("\0\x0F\x42\x40\0\0\0\x01", 8) + good.substr(24, 9),
       "is 1000000x1; sides run from 1 to 4096"},
      {"missing.png", "", "cannot be read"},
  };
  for (const auto& [file, bytes, why] : files) {
    if (!bytes.empty()) std::ofstream(folder_ / file, std::ios::binary) << bytes;
    EXPECT_EQ(Run("bitmap 1, \"" + file + "\"\nprint \"not reached\"\n"), 2) << file;
    EXPECT_EQ(transcript_.rfind("line 1: " + file + " " + why, 0), 0u) << transcript_;
    EXPECT_EQ(target::Host().MemblockCount(), 0);
  }
}

// Each refused, for its own reason, and nothing written anywhere.
TEST_F(Script, FileNamesStayBelowTheirFolder) {
  std::istringstream names(
      "../out.png|..\\out.png|a/../../out.png|/tmp/out.png|\\out.png|C:out.png|out.png:stream|"
      "a//out.png|... /out.png|NUL|con.png|Com1.png|lpt9||a/b.png/");
  for (std::string name; std::getline(names, name, '|');) {
    EXPECT_EQ(Run("i = MBC Make Memblock Image(1, 1, 32)\nsave i, \"" + name + "\"\n"), 2) << name;
    EXPECT_NE(transcript_.find("\nline 2: "), std::string::npos) << transcript_;
  }
  EXPECT_TRUE(fs::is_empty(folder_));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_.parent_path()), {}), 1);
  EXPECT_EQ(Run("i = MBC Make Memblock Image(1, 1, 32)\nsave i, \"sub.png\"\n"), 0);
}

// The host's memory is bounded whatever a script asks of it.
TEST_F(Script, TheHostRefusesWhatItHasNoRoomFor) {
  EXPECT_EQ(Run("mesh 1, 2000000000\n"), 2);
  EXPECT_EQ(transcript_.rfind("line 1: the host has no room for it", 0), 0u) << transcript_;
  // Four of the largest memblocks fill the store exactly; a byte more is refused.
  EXPECT_EQ(Run("memblock 1, 67108864\nmemblock 2, 67108864\nmemblock 3, 67108864\n"
                "memblock 4, 67108864\nmemblock 9, 1\n"),
            2);
  EXPECT_NE(transcript_.find("line 5: the host has no room for it"), std::string::npos);
  EXPECT_EQ(target::Host().Numbers(), (std::vector<std::int32_t>{1, 2, 3, 4}));
}

TEST_F(Script, BadLinesAreRefusedWithTheirBytesShown) {
  EXPECT_EQ(Run("MBC Plot\x01 1\n"), 2);
  EXPECT_EQ(transcript_, "line 1: unknown command: MBC Plot\\x01 1\n");
  EXPECT_EQ(Run("print \"\x7f\xff\"\nMBC Make Memblock 1, 2\n"), 2);
  EXPECT_EQ(transcript_, "\\x7F\\xFF\nline 2: MBC Make Memblock does not take 2 arguments\n");
}

}  // namespace
