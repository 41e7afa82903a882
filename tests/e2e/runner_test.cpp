// mbc_runner, the host stand-in, running scripts against the real plug-in.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

#include "e2e_support.h"

namespace {

e2e::ProgramRun RunScript(const std::string& name, const std::string& script,
                          std::string* folderOut = nullptr) {
  std::string error;
  const std::string folder = e2e::MakeScenarioFolder(
      name, {"mbc_runner.exe", "RuzazUrovuv.dll", "ZavarOvur.dll", "DoduzIridizeruRediro.dll"},
      &error);
  EXPECT_FALSE(folder.empty()) << error;
  std::ofstream(folder + "\\test.mbc") << script;
  if (folderOut != nullptr) *folderOut = folder;
  return e2e::RunProgram(folder, "mbc_runner.exe", "test.mbc .");
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(Runner, RunsAScriptAndSavesTheImageItDrew) {
  std::string folder;
  const e2e::ProgramRun run = RunScript("RunnerSavesImage",
                                        "img = MBC Make Memblock Image(3, 2, 32)\n"
                                        "MBC Plot img, 0, 0, 0xFF112233\n"
                                        "MBC Cube img, 1, 0, 2, 0x00FF0000, 1\n"
                                        "px = MBC Get Pixel(img, 2, 1)\n"
                                        "expect px, 0xFF0000\n"
                                        "save img, \"out.png\"\n"
                                        "mesh = call \"PrepareMeshMemblock\", 1\n"
                                        "expect mesh, 2\n"
                                        "show mesh\n",
                                        &folder);
  ASSERT_TRUE(run.started);
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_TRUE(Contains(run.output, "19 commands in its command table")) << run.output;
  EXPECT_TRUE(Contains(run.output, "=> 1  [5 host calls]")) << run.output;
  EXPECT_TRUE(Contains(run.output, "memblock 2: 124 bytes, first dwords 338, 36, 1")) << run.output;
  EXPECT_TRUE(Contains(run.output, "plug-in unloaded")) << run.output;

  int width = 0, height = 0, channels = 0;
  unsigned char* rgb = stbi_load((folder + "\\out.png").c_str(), &width, &height, &channels, 3);
  ASSERT_NE(rgb, nullptr);
  EXPECT_EQ(width, 3);
  EXPECT_EQ(height, 2);
  const std::vector<unsigned char> pixels(rgb, rgb + width * height * 3);
  stbi_image_free(rgb);
  EXPECT_EQ(pixels, std::vector<unsigned char>({0x11, 0x22, 0x33, 255, 0, 0, 255, 0, 0,  //
                                                0, 0, 0, 255, 0, 0, 255, 0, 0}));
}

TEST(Runner, AFailedExpectationIsReportedAndGivesStatusOne) {
  const e2e::ProgramRun run = RunScript("RunnerExpectFails",
                                        "n = MBC Make Memblock(16)\n"
                                        "expect n, 2\n"
                                        "expect n, 1\n");
  EXPECT_EQ(run.exitCode, 1u) << run.output;
  EXPECT_TRUE(Contains(run.output, "FAILED: got 1, wanted 2")) << run.output;
  EXPECT_TRUE(Contains(run.output, "1 expectation failed")) << run.output;
}

TEST(Runner, ALineThatCannotRunStopsTheScriptWithStatusTwo) {
  const e2e::ProgramRun run = RunScript("RunnerScriptError",
                                        "MBC Make Memblock 16\n"
                                        "MBC Plot 1, 2\n"
                                        "print \"not reached\"\n");
  EXPECT_EQ(run.exitCode, 2u) << run.output;
  EXPECT_TRUE(Contains(run.output, "line 2: MBC Plot does not take 2 arguments")) << run.output;
  EXPECT_FALSE(Contains(run.output, "not reached"));
}

}  // namespace
