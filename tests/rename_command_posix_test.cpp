// `quorvel rename` in batch mode on the sample level: the program itself,
// run by ctest.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/program_run_posix.h"
#include "support/sample_level.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing_support::readBytes;

class RenameCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto found = testing_support::consoleProgramPath();
    if (!found) GTEST_SKIP() << "the console program is not built, or the tests do not run through ctest";
    program_ = *found;
    dir_.write("Quorvel.ignoretextures.txt", "");
    dir_.write("Quorvel.knownvalues.txt", "");
    ASSERT_TRUE(testing_support::writeSampleLevel(data_, install_));
  }
  int run(const std::string& arguments) {
    const testing_support::ProgramRun result = testing_support::runConsoleProgram(
        program_, dir_.path(), "rename --no-verbose " + arguments, {{"HALVORN_INSTALLED_DIRECTORY", install_}});
    out_ = result.out;
    return result.exitCode;
  }
  testing_support::TempDir dir_;
  std::string data_ = dir_.makeFolder("data/");
  std::string install_ = dir_.makeFolder("install/");
  std::string program_, out_;
};

TEST_F(RenameCommand, CopiesMovesAndAsksBeforeOverwriting) {
  const std::vector<uint8_t> swp = readBytes(install_ + "harbor-130.swp");
  EXPECT_EQ(run("--level data/harbor.scn --to dock"), 0) << out_;
  EXPECT_NE(out_.find("Copying files to new level name \"dock\"...\n"), std::string::npos) << out_;
  EXPECT_NE(out_.find("    Name: \"dock\"\n"), std::string::npos) << out_;
  EXPECT_EQ(out_.find("names don't match"), std::string::npos) << out_;
  EXPECT_EQ(readBytes(install_ + "dock-130.swp"), swp);
  EXPECT_TRUE(std::filesystem::exists(data_ + "harbor.grf"));

  // Without --overwrite the existing dock files are kept.
  const std::vector<uint8_t> grf = readBytes(data_ + "dock.grf");
  EXPECT_EQ(run("--level data/harbor.scn --to dock --move"), 1);
  EXPECT_NE(out_.find("Rename level cancelled.\n"), std::string::npos) << out_;
  EXPECT_TRUE(std::filesystem::exists(data_ + "harbor.grf"));

  EXPECT_EQ(run("--level data/harbor.scn --to dock --move --overwrite"), 0) << out_;
  EXPECT_NE(out_.find("Moving files to new level name \"dock\"...\n"), std::string::npos) << out_;
  for (const char* gone : {"data/harbor.scn", "data/harbor.grf", "data/harbor-130.pid", "data/harbor-130.spz",
                           "install/harbor-130.swp"})
    EXPECT_FALSE(std::filesystem::exists(dir_.file(gone))) << gone;
  EXPECT_EQ(readBytes(data_ + "dock.grf"), grf);  // the same level renamed twice
}

TEST_F(RenameCommand, ToIsRequired) { EXPECT_EQ(run("--level data/harbor.scn"), 2); }

}  // namespace
}  // namespace quorvel
