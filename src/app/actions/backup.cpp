#include "app/actions/backup.h"

#include <cinttypes>

#include "app/application.h"
#include "tools/level_backup.h"

namespace quorvel {

namespace {

BackupLimits backupLimits(ProfileStore& settings) {
  BackupLimits limits;
  limits.maxCount = settings.readInt("Backups", "MaxCount", limits.maxCount);
  const int megabytes = settings.readInt("Backups", "MaxMegabytes", static_cast<int>(limits.maxBytes >> 20));
  if (megabytes > 0) limits.maxBytes = static_cast<uint64_t>(megabytes) << 20;
  return limits;
}

void pruneLevelBackups(AppContext& app, const LevelFiles& level, const std::string& keep) {
  for (const std::string& removed : pruneBackups(backupsFolderOf(level.scnPath), backupLimits(*app.settings), keep))
    if (app.log.verbose) app.log.logMessage("  Removed old backup %s\n", removed.c_str());
}

}  // namespace

std::vector<std::string> levelFilePaths(const LevelFiles& level) {
  return {level.grfPath, level.scnPath, level.pidPath, level.swpPath, level.spzPath};
}

bool backUpLevelFiles(AppContext& app, const LevelFiles& level, const std::string& action,
                      const std::vector<std::string>& paths, bool prune) {
  if (!app.makeBackups) return true;
  MessageLog& log = app.log;
  const std::string folder = backupsFolderOf(level.scnPath);
  std::string error;
  std::optional<Backup> backup = createBackup(folder, action, paths, BackupClock::now(), error);
  if (!backup) {
    log.problem = true;
    log.logMessage("ERROR: could not back up the level files: %s\nNothing was written.\n", error.c_str());
    return false;
  }
  log.logMessage("Backup of the level files: \"%s\"\n", backup->folder.c_str());
  if (prune) pruneLevelBackups(app, level, backup->name);
  return true;
}

bool listLevelBackups(AppContext& app, const LevelFiles& level) {
  MessageLog& log = app.log;
  const std::string folder = backupsFolderOf(level.scnPath);
  std::vector<Backup> backups = listBackups(folder);
  if (backups.empty()) {
    log.logMessage("No backups of level %s in \"%s\".\n", level.name.c_str(), folder.c_str());
    return true;
  }
  log.logMessage("Backups of level %s in \"%s\", oldest first:\n", level.name.c_str(), folder.c_str());
  for (const Backup& backup : backups) {
    log.logMessage("%s  %s  %s, %zu files, %" PRIu64 " bytes\n", backup.name.c_str(), backup.time.c_str(),
                   backup.action.c_str(), backup.files.size(), backup.bytes());
    for (const BackedUpFile& file : backup.files)
      log.logMessage("    %12" PRIu64 "  %s\n", file.size, file.originalPath.c_str());
  }
  return true;
}

bool restoreLevelBackup(AppContext& app, const LevelFiles& level) {
  MessageLog& log = app.log;
  listLevelBackups(app, level);
  std::vector<Backup> backups = listBackups(backupsFolderOf(level.scnPath));
  if (backups.empty()) return false;
  app.answerText.clear();
  const std::string name = askString(app, "Enter name of backup to restore (empty: the newest):");
  const Backup* chosen = nullptr;
  for (const Backup& backup : backups)
    if (backup.name == name) chosen = &backup;
  if (name.empty() && !backups.empty()) chosen = &backups.back();
  if (!chosen) {
    log.logMessage(name.empty() ? "ERROR: level %s has no backups.\n" : "ERROR: level %s has no backup \"%s\".\n",
                   level.name.c_str(), name.c_str());
    return false;
  }
  std::string error;
  if (!checkBackup(*chosen, error)) {
    log.logMessage("ERROR: backup %s cannot be restored: %s\nNothing was changed.\n", chosen->name.c_str(),
                   error.c_str());
    return false;
  }
  MessageBoxRequest question;
  question.caption = "Confirm Restore";
  question.text = "Put back the " + std::to_string(chosen->files.size()) + " level files of backup " + chosen->name +
                  " (" + chosen->action + ", " + chosen->time + ")?";
  question.buttons = Buttons::YesNo;
  question.owner = Owner::MessagesWindow;
  if (app.ui.messageBox(question) != Answer::Yes) {
    log.logMessage("Restore canceled.\n");
    return false;
  }
  std::vector<std::string> current;
  for (const BackedUpFile& file : chosen->files) current.push_back(file.originalPath);
  // The old backups are pruned only once this one is back in place.
  if (!backUpLevelFiles(app, level, "restore", current, /*prune=*/false)) return false;
  if (!restoreBackup(*chosen, error)) {
    log.logMessage("ERROR: %s\nRestore failed.\n", error.c_str());
    return false;
  }
  for (const BackedUpFile& file : chosen->files) log.logMessage("Restored \"%s\"\n", file.originalPath.c_str());
  const std::vector<Backup> now = listBackups(backupsFolderOf(level.scnPath));
  pruneLevelBackups(app, level, now.empty() ? std::string() : now.back().name);
  log.logMessage("done.\n");
  return true;
}

}  // namespace quorvel
