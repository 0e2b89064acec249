// Backups around the actions that write a level: one before every save, and
// the actions that list the backups of a level and put one back.
#pragma once

#include <string>
#include <vector>

#include "app/app_context.h"
#include "level/level_files.h"

namespace quorvel {

// Backs up the files of `paths` (those that exist) before `action` changes
// them, then removes the oldest backups beyond the limits of section
// "Backups" of the settings file ("MaxCount", default 10; "MaxMegabytes",
// default 2048). False, with an ERROR line, when the backup could not be
// made: the action must then write nothing. True without a backup when
// backups are switched off. With `prune` off the old backups stay.
bool backUpLevelFiles(AppContext& app, const LevelFiles& level, const std::string& action,
                      const std::vector<std::string>& paths, bool prune = true);

// Every file of the level that an action may change.
std::vector<std::string> levelFilePaths(const LevelFiles& level);

// Lists the backups of the level, oldest first.
bool listLevelBackups(AppContext& app, const LevelFiles& level);

// Lists the backups, asks for the name of one (an empty answer: the newest)
// and puts its files back once the user confirms, after checking their
// CRC-32s and backing up the files as they are now, so that a restore can
// itself be undone.
bool restoreLevelBackup(AppContext& app, const LevelFiles& level);

}  // namespace quorvel
