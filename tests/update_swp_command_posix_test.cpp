// `quorvel update-swp` in batch mode: the program itself, run by ctest.
#include <gtest/gtest.h>

#include <cstdio>

#include "level/scene.h"
#include "support/bmp_builder.h"
#include "support/level_paths.h"
#include "support/program_run_posix.h"
#include "support/scene_fixtures.h"
#include "support/temp_dir.h"
#include "textures/texture_database.h"
#include "util/text_format.h"

namespace quorvel {
namespace {

using testing_support::buildIndexedBmp;
using testing_support::buildSolidBmp24;
using testing_support::readBytes;
using testing_support::writeBytes;

uint8_t dots(int32_t x, int32_t y) { return static_cast<uint8_t>((x * y) % 8); }

class UpdateSwpCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto found = testing_support::consoleProgramPath();
    if (!found) GTEST_SKIP() << "the console program is not built, or the tests do not run through ctest";
    program_ = *found;
    dir_.makeFolder("art");
    writeBytes(level_.grfPath, scene_testing::vertexRecordsFile());
    ASSERT_TRUE(writeLevelHeader(level_.scnPath, level_.grfPath, nullptr));
    TextureDatabase empty;
    ASSERT_TRUE(empty.write(level_.pidPath));
    writeBytes(level_.swpPath, {});
    writeBytes(level_.spzPath, {0, 0, 0, 0});
    writeBytes(folder_ + "art/lamp.bmp", buildIndexedBmp(16, 16, 8, dots));
    writeBytes(folder_ + "art/glow_a.bmp", buildIndexedBmp(16, 16, 8, dots));
  }
  // Runs the program in the scratch folder; the exit code, output in out_.
  int run(const std::string& arguments) {
    // With an SPZ beside the SCN the SWP lies in the installation folder.
    const testing_support::ProgramRun result = testing_support::runConsoleProgram(
        program_, folder_, "update-swp --no-backup --level lvl.scn " + arguments,
        {{"HALVORN_INSTALLED_DIRECTORY", folder_}});
    out_ = result.out;
    err_ = result.err;
    return result.exitCode;
  }
  testing_support::TempDir dir_;
  std::string folder_ = dir_.path();
  const LevelFiles level_ = testing_support::levelFilesIn(folder_, "lvl");
  std::string program_, out_, err_;
};

TEST_F(UpdateSwpCommand, WithoutTexturesTheDialogIsCancelled) {
  EXPECT_EQ(run(""), 1);
  EXPECT_NE(out_.find("Load aborted.\n"), std::string::npos) << out_;
}

TEST_F(UpdateSwpCommand, MissingBitmapNeedsYesToSave) {
  // glow.bmp is missing: without --yes the save question is answered No.
  EXPECT_EQ(run("--textures art"), 1);
  EXPECT_NE(out_.find("Save level canceled.\n"), std::string::npos) << out_;
  EXPECT_EQ(readBytes(folder_ + "lvl-130.spz"), (std::vector<uint8_t>{0, 0, 0, 0}));

  EXPECT_EQ(run("--textures art/lamp.bmp --yes"), 0) << out_ << err_;
  EXPECT_NE(out_.find("Added 1 new textures, replaced 0 textures, skipped 0 existing textures.\n"),
            std::string::npos)
      << out_;
  EXPECT_EQ(readBytes(folder_ + "lvl-130.spz"), (std::vector<uint8_t>{0, 0, 2, 0}));
}

TEST_F(UpdateSwpCommand, RunningOutOfTextureSpaceEndsWithCodeThree) {
  TextureDatabase cramped;
  cramped.primaryLimit = 0x20000;
  ASSERT_TRUE(cramped.write(folder_ + "lvl-130.pid"));
  writeBytes(folder_ + "art/glow.bmp", buildSolidBmp24(8, 8, 1, 2, 3));
  EXPECT_EQ(run("--textures art --yes"), 3);
  EXPECT_NE(err_.find("Ran out of texture space (firstPacker).\nPlease start again with original copies of swp "
                      "and pid,\nand run the SWP Update option"),
            std::string::npos)
      << err_;
}

// A save that fails says which file and why, never "done.", and exits 1.
TEST_F(UpdateSwpCommand, FailedSaveNamesTheFileAndExitsOne) {
  writeBytes(folder_ + "art/glow.bmp", buildSolidBmp24(8, 8, 1, 2, 3));
  const std::vector<uint8_t> pid = readBytes(folder_ + "lvl-130.pid");
  writeBytes(folder_ + "lvl-130.pid", std::vector<uint8_t>(pid.begin(), pid.begin() + 20));
  EXPECT_EQ(run("--textures art --yes"), 1);
  EXPECT_NE(out_.find("FATAL ERROR: could not open pid & swp for writing (BeginPidUpdate).\n       could not open \"" +
                      toLowerAscii(folder_) + "lvl-130.pid\": not a readable texture index.\n"),
            std::string::npos)
      << out_;
  EXPECT_EQ(out_.find("done.\n"), std::string::npos) << out_;

  writeBytes(folder_ + "lvl-130.pid", pid);
  ASSERT_EQ(std::remove((folder_ + "lvl-130.spz").c_str()), 0);
  dir_.makeFolder("lvl-130.spz");
  EXPECT_EQ(run("--textures art --yes"), 1);
  EXPECT_NE(out_.find("FATAL ERROR: could not open spz (EndPidUpdate).\n       could not save \"" +
                      toLowerAscii(folder_) + "lvl-130.spz\": Is a directory.\n"),
            std::string::npos)
      << out_;
  EXPECT_EQ(out_.find("done.\n"), std::string::npos) << out_;
  EXPECT_EQ(readBytes(folder_ + "lvl-130.pid"), pid);
  EXPECT_TRUE(readBytes(folder_ + "lvl-130.swp").empty());
}

}  // namespace
}  // namespace quorvel
