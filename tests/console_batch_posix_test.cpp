// The console program run as scripts run it: exit codes, printed messages
// and the files it leaves in the working directory.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>


#include "support/program_run_posix.h"
#include "support/sample_level.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing_support::readFileText;
using testing_support::TempDir;

using Result = testing_support::ProgramRun;

class ConsoleBatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto found = testing_support::consoleProgramPath();
    if (!found) GTEST_SKIP() << "the quorvel program is not built, or the tests do not run through ctest";
    program = *found;
    dir.write("Quorvel.ignoretextures.txt", "");
    dir.write("Quorvel.knownvalues.txt", "");
  }
  // Runs the program in the test folder with no terminal attached.
  Result run(const std::string& arguments) {
    return testing_support::runConsoleProgram(program, dir.path(), arguments);
  }
  TempDir dir;
  std::string program;
};

TEST_F(ConsoleBatchTest, WithoutArgumentsAndWithoutTerminalPrintsUsage) {
  Result result = run("");
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(readFileText(dir.file("Quorvel_log.txt")), "<missing>");
}

TEST_F(ConsoleBatchTest, UsageErrorsExitWithTwo) {
  EXPECT_EQ(run("verify").exitCode, 2);           // --level missing
  EXPECT_EQ(run("frobnicate --level x.scn").exitCode, 2);
  EXPECT_EQ(run("verify --level a.scn --bogus").exitCode, 2);
}

TEST_F(ConsoleBatchTest, HelpAndVersionExitWithZero) {
  Result version = run("--version");
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("quorvel ", 0), 0u);
  for (const char* action : {"import", "import-dir", "update-swp", "verify", "rename", "extract"}) {
    Result help = run(std::string(action) + " --help");
    EXPECT_EQ(help.exitCode, 0) << action;
    EXPECT_NE(help.out.find("--level"), std::string::npos) << action;
  }
}

TEST_F(ConsoleBatchTest, MissingLevelIsALoadAbortedAndExitsWithOne) {
  Result result = run("verify --level data/none.scn");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out,
            "Welcome to Quorvel.\nPlease select level and file or directory to import.\n\nLoad aborted.\n");
  std::string log = readFileText(dir.file("Quorvel_log.txt"));
  EXPECT_EQ(log.rfind("Quorvel debug log\n=================\n", 0), 0u);
  EXPECT_NE(log.find("\nLoad aborted.\n"), std::string::npos);
  // The chosen level is remembered as a full path.
  EXPECT_EQ(readFileText(dir.file("Quorvel.ini")),
            "[Paths]\r\nLevelLoadPath=" + dir.path() + "data/none.scn\r\n");
}

TEST_F(ConsoleBatchTest, BatchRunsDoNotChangeTheStoredVerboseChoice) {
  run("verify --no-verbose --level data/none.scn");
  EXPECT_EQ(readFileText(dir.file("Quorvel.ini")).find("VerboseMessages"), std::string::npos);
}

TEST_F(ConsoleBatchTest, VerifyThatChangesNoSettingLeavesTheSettingsFileUntouched) {
  dir.makeFolder("data");
  ASSERT_TRUE(testing_support::writeSampleLevel(dir.file("data/"), dir.file("data/")));
  ASSERT_EQ(run("verify --level data/harbor.scn").exitCode, 0);
  const std::string settings = dir.file("Quorvel.ini");
  const std::string before = readFileText(settings);
  ASSERT_NE(before.find("LevelLoadPath="), std::string::npos);
  const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24);
  std::filesystem::last_write_time(settings, old);
  ASSERT_EQ(run("verify --level data/harbor.scn").exitCode, 0);
  EXPECT_EQ(readFileText(settings), before);
  EXPECT_EQ(std::filesystem::last_write_time(settings), old);
}

TEST_F(ConsoleBatchTest, NotFiniteOffsetOrScaleIsAUsageError) {
  // Refused before the level is even looked at: no log, no settings.
  for (const char* flag : {"--offset nan,0,0", "--offset 0,inf,0", "--offset 0,0,1e999", "--scale inf",
                           "--scale -nan"}) {
    EXPECT_EQ(run(std::string("import --level data/none.scn ") + flag + " model.grf").exitCode, 2) << flag;
  }
  EXPECT_EQ(readFileText(dir.file("Quorvel_log.txt")), "<missing>");
  // A finite value goes on to the level, which is missing here.
  EXPECT_EQ(run("import --level data/none.scn --offset 1,2,3 --scale 2 model.grf").exitCode, 1);
}

}  // namespace
}  // namespace quorvel
