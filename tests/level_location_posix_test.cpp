// Locating a level's files from the SCN the user picks.
#include "app/actions/locate_level.h"
#include "level/level_location.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/file_system.h"
#include "support/scripted_run.h"
#include "util/text_format.h"

namespace quorvel {
namespace {

using testing_support::readFileText;
using testing_support::ScriptedRun;

TEST(LevelNames, DerivedFromTheChosenPath) {
  EXPECT_EQ(levelDirectoryOf("D:\\Games\\Data\\BE.SCN"), "d:\\games\\data\\");
  EXPECT_EQ(levelNameOf("D:\\Games\\Data\\BE.SCN"), "be");
  EXPECT_EQ(levelNameOf("c:\\my-levels\\test.scn"), "test");
  EXPECT_EQ(levelDirectoryOf("c:\\my-levels\\test.scn"), "c:\\my-levels\\");
  EXPECT_EQ(levelNameOf("x-130.scn"), "x");
  EXPECT_EQ(levelDirectoryOf("x-130.scn"), "");
  EXPECT_EQ(levelNameOf("/Levels/My.Level.SCN"), "my.level");
  EXPECT_EQ(levelNameOf("/levels/noextension"), "noextension");
  EXPECT_EQ(levelDirectoryOf("/Levels/Sub/a.scn"), "/levels/sub/");
}

class LocateLevelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("HALVORN_DATA_DRIVE");
    unsetenv("HALVORN_INSTALLED_DIRECTORY");
    unsetenv("HALVORN_PATCH_DIR");
  }
  void TearDown() override { SetUp(); }

  // A level "BE" in folder "Data" with the given files (mixed case on disk).
  void makeLevel(bool withSpz, bool withSwp) {
    run.folder.write("Data/BE.SCN", "scn");
    run.folder.write("Data/BE.GRF", "grf");
    run.folder.write("Data/BE-130.PID", "pid");
    if (withSpz) run.folder.write("Data/BE-130.SPZ", "spz");
    if (withSwp) run.folder.write("Data/BE-130.SWP", "swp");
  }
  std::string chosen() const { return run.folder.path() + "Data/BE.SCN"; }
  std::string levelDir() const { return toLowerAscii(run.folder.path()) + "data/"; }
  const AskedQuestion& onlyBox() {
    EXPECT_EQ(run.ui.questions().size(), 2u);  // the file dialog, then the box
    return run.ui.questions().back();
  }

  ScriptedRun run;
  LevelFiles level;
};

TEST_F(LocateLevelTest, DemoLevelFindsItsSwpBesideTheScn) {
  makeLevel(false, true);
  run.ui.queueFile(chosen());
  ASSERT_TRUE(locateLevel(run.app, level));
  EXPECT_EQ(level.name, "be");
  EXPECT_EQ(level.scnPath, levelDir() + "be.scn");
  EXPECT_EQ(level.grfPath, levelDir() + "be.grf");
  EXPECT_EQ(level.pidPath, levelDir() + "be-130.pid");
  EXPECT_EQ(level.spzPath, "");
  EXPECT_EQ(level.swpPath, levelDir() + "be-130.swp");
  EXPECT_EQ(readFileText(resolvePath(level.swpPath)), "swp");
}

TEST_F(LocateLevelTest, NoSpzAndNoSwpStillLoads) {
  makeLevel(false, false);
  run.ui.queueFile(chosen());
  ASSERT_TRUE(locateLevel(run.app, level));
  EXPECT_EQ(level.spzPath, "");
  EXPECT_EQ(level.swpPath, "");
  EXPECT_EQ(run.ui.questions().size(), 1u);
}

TEST_F(LocateLevelTest, FullVersionTakesTheSwpFromTheInstalledDirectory) {
  makeLevel(true, true);
  run.folder.write("Halvorn/BE-130.SWP", "installed swp");
  setenv("HALVORN_INSTALLED_DIRECTORY", (run.folder.path() + "Halvorn/").c_str(), 1);
  run.ui.queueFile(chosen());
  ASSERT_TRUE(locateLevel(run.app, level));
  EXPECT_EQ(level.spzPath, levelDir() + "be-130.spz");
  EXPECT_EQ(level.swpPath, run.folder.path() + "Halvorn/be-130.swp");
}

TEST_F(LocateLevelTest, InstalledDirectoryWithoutClosingSeparatorStillNamesAFileInside) {
  makeLevel(true, false);
  run.folder.write("Halvorn/be-130.swp", "installed swp");
  setenv("HALVORN_INSTALLED_DIRECTORY", (run.folder.path() + "Halvorn").c_str(), 1);
  run.ui.queueFile(chosen());
  ASSERT_TRUE(locateLevel(run.app, level));
  EXPECT_EQ(level.swpPath, run.folder.path() + "Halvorn\\be-130.swp");
}

TEST_F(LocateLevelTest, FullVersionIgnoresASwpBesideTheScn) {
  makeLevel(true, true);
  run.ui.queueFile(chosen());
  ASSERT_TRUE(locateLevel(run.app, level));
  EXPECT_EQ(level.spzPath, levelDir() + "be-130.spz");
  EXPECT_EQ(level.swpPath, "");
}

TEST_F(LocateLevelTest, DialogStartsInTheRootWithoutDataDriveOrStoredPath) {
  run.ui.queueFile(std::nullopt);
  EXPECT_FALSE(locateLevel(run.app, level));
  ASSERT_EQ(run.ui.questions().size(), 1u);
  const OpenFileRequest& dialog = run.ui.questions()[0].file;
  EXPECT_EQ(dialog.title, "Select Level");
  EXPECT_EQ(dialog.filterName, "Halvorn Scene files (.scn)");
  EXPECT_EQ(dialog.filterPattern, "*.scn");
  EXPECT_EQ(dialog.initialFolder, "\\");
  EXPECT_EQ(dialog.initialFile, "");
  EXPECT_EQ(dialog.maxLength, 260u);
  EXPECT_TRUE(dialog.pathMustExist);
  EXPECT_TRUE(dialog.fileMustExist);
  EXPECT_TRUE(dialog.hideReadOnly);
  EXPECT_EQ(dialog.owner, Owner::MessagesWindow);
  // A cancelled dialog stores nothing.
  EXPECT_EQ(readFileText(run.app.settingsPath()), "<missing>");
}

TEST_F(LocateLevelTest, DialogStartsInTheDataFolderOfTheDataDrive) {
  setenv("HALVORN_DATA_DRIVE", "E:\\", 1);
  run.ui.queueFile(std::nullopt);
  EXPECT_FALSE(locateLevel(run.app, level));
  EXPECT_EQ(run.ui.questions()[0].file.initialFolder, "E:\\data\\");
  EXPECT_EQ(run.ui.questions()[0].file.initialFile, "");
}

TEST_F(LocateLevelTest, DialogStartsAtTheLastLevelChosen) {
  run.app.settings->writeString("Paths", "LevelLoadPath", "d:\\games\\data\\minilev.scn");
  run.ui.queueFile(std::nullopt);
  EXPECT_FALSE(locateLevel(run.app, level));
  EXPECT_EQ(run.ui.questions()[0].file.initialFolder, "d:\\games\\data\\");
  EXPECT_EQ(run.ui.questions()[0].file.initialFile, "minilev.scn");
}

TEST_F(LocateLevelTest, EmptyAnswerCountsAsCancel) {
  run.ui.queueFile(std::string());
  EXPECT_FALSE(locateLevel(run.app, level));
}

TEST_F(LocateLevelTest, MissingGrfShowsFileNotFoundAndStillStoresTheChoice) {
  run.folder.write("Data/BE.SCN", "scn");
  run.ui.queueFile(chosen());
  EXPECT_FALSE(locateLevel(run.app, level));
  const AskedQuestion& box = onlyBox();
  EXPECT_EQ(box.kind, QuestionKind::MessageBox);
  EXPECT_EQ(box.box.caption, "File Not Found");
  EXPECT_EQ(box.box.text, "File \"" + levelDir() + "be.grf\"\ndoes not exist, cannot load level.");
  EXPECT_EQ(box.box.buttons, Buttons::Ok);
  EXPECT_EQ(run.app.settings->readString("Paths", "LevelLoadPath", "", 260), chosen());
}

TEST_F(LocateLevelTest, HyphenatedFileNameNeedsThePlainScn) {
  run.folder.write("Data/x-130.scn", "scn");
  run.ui.queueFile(run.folder.path() + "Data/x-130.scn");
  EXPECT_FALSE(locateLevel(run.app, level));
  EXPECT_EQ(onlyBox().box.text, "File \"" + levelDir() + "x.scn\"\ndoes not exist, cannot load level.");
}

TEST_F(LocateLevelTest, GrfThatCannotBeOpenedForUpdateShowsReadOnlyFile) {
  // A folder named like the GRF opens for reading but refuses "r+" for every
  // user, root included, so the update check really runs.
  run.folder.write("Data/BE.SCN", "scn");
  run.folder.makeFolder("Data/BE.GRF");
  run.folder.write("Data/BE-130.PID", "pid");
  run.ui.queueFile(chosen());
  EXPECT_FALSE(locateLevel(run.app, level));
  const AskedQuestion& box = onlyBox();
  EXPECT_EQ(box.box.caption, "Read-Only File");
  EXPECT_EQ(box.box.text, "File \"" + levelDir() + "be.grf\"\nis read-only, cannot save level.");
  EXPECT_EQ(box.box.buttons, Buttons::Ok);
}

TEST_F(LocateLevelTest, ReadOnlyPidFileShowsReadOnlyFile) {
  if (geteuid() == 0) GTEST_SKIP() << "root opens a mode 0444 file for writing";
  makeLevel(false, false);
  chmod((run.folder.path() + "Data/BE-130.PID").c_str(), 0444);
  run.ui.queueFile(chosen());
  EXPECT_FALSE(locateLevel(run.app, level));
  EXPECT_EQ(onlyBox().box.caption, "Read-Only File");
}

TEST_F(LocateLevelTest, PatchedVersionGetsANoticeAndLoadingGoesOn) {
  makeLevel(false, false);
  setenv("HALVORN_PATCH_DIR", "C:\\Halvorn\\patch", 1);
  run.ui.queueFile(chosen());
  ASSERT_TRUE(locateLevel(run.app, level));
  const AskedQuestion& box = onlyBox();
  EXPECT_EQ(box.box.caption, "Notice about Halvorn Patched version");
  EXPECT_EQ(box.box.text,
            "To use Quorvel with the patched version of Halvorn: After saving a level you\n"
            "must manually copy the level's GRF and SCN files from \"" +
                levelDir() +
                "\" to\n"
                "the Halvorn\\patch directory \"C:\\Halvorn\\patch\".");
  EXPECT_EQ(box.box.buttons, Buttons::Ok);
}

TEST_F(LocateLevelTest, WindowsStylePathFindsTheLevel) {
  makeLevel(false, true);
  std::string windowsPath = run.folder.path() + "DATA\\be.scn";
  run.ui.queueFile(windowsPath);
  ASSERT_TRUE(locateLevel(run.app, level));
  EXPECT_EQ(level.grfPath, toLowerAscii(run.folder.path()) + "data\\be.grf");
  EXPECT_EQ(level.swpPath, toLowerAscii(run.folder.path()) + "data\\be-130.swp");
}

}  // namespace
}  // namespace quorvel
