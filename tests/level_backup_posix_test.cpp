// Backups before every save and their restore, on the sample level and on
// backups built directly.
#include "tools/level_backup.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <filesystem>

#include "app/actions/backup.h"
#include "app/actions/import.h"
#include "app/actions/rename.h"
#include "app/actions/update_swp.h"
#include "platform/file_system.h"
#include "support/level_paths.h"
#include "support/scripted_run.h"
#include "support/temp_dir.h"
#include "support/verify_fixtures.h"

namespace quorvel {
namespace {

using testing_support::readBytes;
using testing_support::writeBytes;
namespace fs = std::filesystem;

BackupClock::time_point at(int seconds) { return BackupClock::time_point(std::chrono::seconds(seconds)); }

// A copy of the sample level, its models and their textures, in a folder of
// the run; `levelRoot` may be another folder (a small file system).
struct SampleCopy {
  explicit SampleCopy(testing_support::ScriptedRun& run, std::string levelRoot = "") {
    if (levelRoot.empty()) levelRoot = run.folder.path();
    fs::copy(QUORVEL_SOURCE_DIR "/data/sample", levelRoot, fs::copy_options::recursive);
    files = testing_support::levelFilesIn(levelRoot + "level/", "harbor");
    files.swpPath = levelRoot + "install/harbor-130.swp";
    models = levelRoot + "models/";
    run.app.traceStream = nullptr;
    run.app.log.verbose = false;
  }
  static std::vector<std::vector<uint8_t>> contentsOf(const LevelFiles& files) {
    std::vector<std::vector<uint8_t>> all;
    for (const std::string& path : levelFilePaths(files)) all.push_back(readBytes(path));
    return all;
  }
  std::vector<std::vector<uint8_t>> contents() const { return contentsOf(files); }
  LevelFiles files;
  std::string models;
};

bool restoreNewest(testing_support::ScriptedRun& run, const LevelFiles& files) {
  run.ui.queueString("");
  run.ui.queueAnswer(Answer::Yes);
  return restoreLevelBackup(run.app, files);
}

TEST(LevelBackup, AnImportAndAnUpdateAreUndoneByteForByte) {
  testing_support::ScriptedRun run;
  SampleCopy level(run);
  const auto original = level.contents();

  run.ui.queueFile(level.models + "boat.grf");
  run.ui.queueImportOptions(true);
  run.ui.setStandingAnswer("Confirm", Answer::No);
  run.ui.setStandingAnswer("Confirm Save Level", Answer::Yes);
  ASSERT_TRUE(runImport(run.app, level.files, false));
  const auto imported = level.contents();
  ASSERT_NE(imported, original);

  const std::string textures = run.folder.makeFolder("textures/");
  fs::copy_file(level.models + "boat.bmp", textures + "buoy.bmp");
  run.ui.queueFile(textures + "buoy.bmp");
  ASSERT_TRUE(updateSwp(run.app, level.files));
  ASSERT_NE(level.contents(), imported);

  ASSERT_TRUE(restoreNewest(run, level.files));  // the update
  EXPECT_EQ(level.contents(), imported);
  // The newest is now the restore's own backup; the import's comes before it.
  std::vector<Backup> backups = listBackups(backupsFolderOf(level.files.scnPath));
  ASSERT_EQ(backups.size(), 3u);
  EXPECT_EQ(backups[2].action, "restore");
  run.ui.queueString(backups[0].name);
  run.ui.queueAnswer(Answer::Yes);
  ASSERT_TRUE(restoreLevelBackup(run.app, level.files));
  EXPECT_EQ(level.contents(), original);
}

TEST(LevelBackup, RenamesByMoveAndOntoAnotherLevelAreUndoneByteForByte) {
  testing_support::ScriptedRun run;
  SampleCopy level(run);
  auto rename = [&run](const LevelFiles& from, const char* to, bool keep, bool overwrite) {
    run.ui.queueAnswer(Answer::Yes);
    run.ui.queueString(to);
    run.ui.queueAnswer(keep ? Answer::Yes : Answer::No);
    if (overwrite) run.ui.queueAnswer(Answer::Yes);
    return renameLevel(run.app, from);
  };
  // A level "dock" to copy onto, then the sample moved away.
  ASSERT_TRUE(rename(level.files, "dock", true, false));
  LevelFiles dock = testing_support::levelFilesIn(fs::path(level.files.scnPath).parent_path().string() + "/", "dock");
  dock.swpPath = fs::path(level.files.swpPath).parent_path().string() + "/dock-130.swp";
  writeBytes(dock.grfPath, {9, 9, 9});  // the dock level has changed since
  const auto original = level.contents();
  const auto dockBefore = SampleCopy::contentsOf(dock);

  ASSERT_TRUE(rename(level.files, "dock", true, true));  // copied over the dock level
  ASSERT_NE(SampleCopy::contentsOf(dock), dockBefore);
  ASSERT_TRUE(restoreNewest(run, level.files));
  EXPECT_EQ(SampleCopy::contentsOf(dock), dockBefore);

  ASSERT_TRUE(rename(level.files, "quay", false, false));  // moved
  EXPECT_FALSE(fs::exists(level.files.grfPath));
  ASSERT_TRUE(restoreNewest(run, level.files));
  EXPECT_EQ(level.contents(), original);
}

TEST(LevelBackup, ADamagedBackupIsRefusedAndNothingIsTouched) {
  testing_support::ScriptedRun run;
  SampleCopy level(run);
  std::string error;
  std::optional<Backup> backup =
      createBackup(backupsFolderOf(level.files.scnPath), "import", levelFilePaths(level.files), at(1000), error);
  ASSERT_TRUE(backup) << error;
  std::vector<uint8_t> copy = readBytes(backup->folder + backup->files[0].storedName);
  copy[100] ^= 1;
  writeBytes(backup->folder + backup->files[0].storedName, copy);
  writeBytes(level.files.grfPath, {1, 2, 3});
  const auto before = level.contents();

  run.ui.queueString("");
  EXPECT_FALSE(restoreLevelBackup(run.app, level.files));
  EXPECT_NE(run.app.log.takeText().find("ERROR: backup 19700101T001640.000Z-import cannot be restored: the copy of \"" +
                                        level.files.grfPath + "\" is damaged"),
            std::string::npos);
  EXPECT_EQ(level.contents(), before);
  EXPECT_EQ(listBackups(backupsFolderOf(level.files.scnPath)).size(), 1u);
}

TEST(LevelBackup, TheLimitsRemoveTheOldestButNeverTheNewest) {
  testing_support::TempDir dir;
  const std::string folder = dir.path() + "backups/";
  writeBytes(dir.path() + "a.grf", std::vector<uint8_t>(1000, 7));
  std::string error;
  for (int t : {100, 200, 300, 400}) ASSERT_TRUE(createBackup(folder, "import", {dir.path() + "a.grf"}, at(t), error));
  const std::string newest = listBackups(folder).back().name;
  EXPECT_EQ(pruneBackups(folder, {2, 1u << 30}, newest),
            (std::vector<std::string>{"19700101T000140.000Z-import", "19700101T000320.000Z-import"}));
  // A size limit below one backup still keeps the one just made.
  EXPECT_EQ(pruneBackups(folder, {10, 10}, newest), std::vector<std::string>{"19700101T000500.000Z-import"});
  ASSERT_EQ(listBackups(folder).size(), 1u);
  EXPECT_EQ(listBackups(folder)[0].name, newest);
}

TEST(LevelBackup, AFullDiskStopsTheActionWithTheLevelUnchanged) {
  testing_support::ScriptedRun run;
  const std::string small = run.folder.makeFolder("small/");
  // 260 KB: the level's files fit, a second copy of its SWP does not.
  if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=260k") != 0) GTEST_SKIP() << "no tmpfs can be mounted here";
  struct Unmount {
    std::string path;
    ~Unmount() { umount(path.c_str()); }
  } unmount{small};
  SampleCopy level(run, small);
  fs::remove_all(small + "models");
  const auto before = level.contents();
  const std::string models = run.folder.makeFolder("models/");
  fs::copy(QUORVEL_SOURCE_DIR "/data/sample/models", models);

  run.ui.queueFile(models + "boat.grf");
  run.ui.queueImportOptions(true);
  run.ui.setStandingAnswer("Confirm", Answer::No);
  run.ui.setStandingAnswer("Confirm Save Level", Answer::Yes);
  EXPECT_FALSE(runImport(run.app, level.files, false));
  const std::string text = run.app.log.takeText();
  EXPECT_NE(text.find("ERROR: could not back up the level files: "), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with("Nothing was written.\n")) << text;
  EXPECT_EQ(level.contents(), before);
  EXPECT_TRUE(listBackups(backupsFolderOf(level.files.scnPath)).empty());
}

}  // namespace
}  // namespace quorvel
