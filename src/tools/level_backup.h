// Backups of a level's files, kept beside the level in
// ".quorvel-backups/<UTC time>-<action>/": a copy of each file the action
// was about to change and a manifest naming each file's original path, size
// and CRC-32, so that any save can be undone.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvel {

struct BackedUpFile {
  std::string originalPath;
  std::string storedName;  // the copy's name in the backup folder
  uint64_t size = 0;
  uint32_t crc32 = 0;
};

struct Backup {
  std::string name;    // the folder's name: "20261209T051000.250Z-import"
  std::string folder;  // ending in a separator
  std::string action;
  std::string time;    // "2026-12-09 05:10:00 UTC"
  std::vector<BackedUpFile> files;

  uint64_t bytes() const;
};

// How many backups of a level are kept, and how many bytes they may hold.
struct BackupLimits {
  int maxCount = 10;
  uint64_t maxBytes = 2048ull << 20;
};

// The backups folder of the level whose SCN is `scnPath`.
std::string backupsFolderOf(const std::string& scnPath);

using BackupClock = std::chrono::system_clock;

// Copies the files of `paths` that exist into a new backup of `action` made
// at `now` (its name the UTC time to the millisecond, so names sort by age), manifest last, so that a backup without a manifest is never
// taken for a whole one. Nothing, with the reason in `error`, when any copy
// failed; the partial backup is then removed.
std::optional<Backup> createBackup(const std::string& backupsFolder, const std::string& action,
                                   const std::vector<std::string>& paths, BackupClock::time_point now,
                                   std::string& error);

// The backups with a readable manifest, oldest first.
std::vector<Backup> listBackups(const std::string& backupsFolder);

// Whether every copy of the backup is there with its size and CRC-32.
bool checkBackup(const Backup& backup, std::string& error);

// Checks the backup, then puts each file back, each replaced atomically.
bool restoreBackup(const Backup& backup, std::string& error);

// Removes the oldest backups until `limits` hold, never `keep`; returns the
// names removed.
std::vector<std::string> pruneBackups(const std::string& backupsFolder, const BackupLimits& limits,
                                      const std::string& keep);

}  // namespace quorvel
