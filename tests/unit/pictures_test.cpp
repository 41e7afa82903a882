// The command reference's pictures are what the plug-in draws
// (tools/pictures.sh draws them anew).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "refhost/runner/script_runner.h"
#include "target.h"

namespace fs = std::filesystem;

namespace {

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every example script runs and every expectation in it holds (the demo and
// the script that draws the shipped picture among them); every picture a
// command example saves is byte for byte the one in docs/pictures.
TEST(Pictures, EveryExampleDrawsThePicturesOfTheReference) {
  const fs::path examples = fs::path(MBC_SOURCE_DIR) / "examples";
  const fs::path drawn = fs::temp_directory_path() / "mbc_pictures";
  int scripts = 0;
  for (const fs::path& folder : {examples, examples / "commands"}) {
    for (const fs::directory_entry& script : fs::directory_iterator(folder)) {
      if (script.path().extension() != ".mbc") continue;
      ++scripts;
      fs::remove_all(drawn);
      fs::create_directories(drawn / "commands");
      target::Restart(true);
      refhost::RunnerOptions options;
      options.scriptFolder = folder.string();
      options.outputFolder = drawn.string();
      std::ifstream in(script.path());
      std::ostringstream out;
      refhost::ScriptRunner runner(target::Plugin(), &target::Host(), options, out);
      EXPECT_EQ(runner.Run(in), refhost::kRunPassed) << script.path() << "\n" << out.str();
      for (const std::string& picture : runner.SavedFiles()) {
        const fs::path reference = fs::path(MBC_SOURCE_DIR) / "docs" / "pictures" / picture;
        EXPECT_TRUE(folder == examples ||
                    (fs::exists(reference) && Contents(drawn / picture) == Contents(reference)))
            << script.path().filename() << " draws " << picture
            << " other than the reference shows it; tools/pictures.sh draws it anew";
      }
    }
  }
  EXPECT_GT(scripts, 20);
}

}  // namespace
