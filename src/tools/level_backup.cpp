#include "tools/level_backup.h"

#include <cinttypes>
#include <cstdio>
#include <ctime>

#include "platform/file_clone.h"
#include "platform/file_system.h"
#include "util/path_text.h"
#include "util/text_format.h"

namespace quorvel {

namespace {

constexpr const char* kManifest = "manifest.txt";
constexpr const char* kManifestHeader = "Quorvel backup 1";

std::string manifestText(const Backup& backup) {
  std::string text = std::string(kManifestHeader) + "\naction " + backup.action + "\ntime " + backup.time + "\n";
  for (const BackedUpFile& file : backup.files)
    text += formatText("file %" PRIu64 " %08x %s %s\n", file.size, file.crc32, file.storedName.c_str(),
                       file.originalPath.c_str());
  return text;
}

std::optional<Backup> readManifest(const std::string& backupsFolder, const std::string& name) {
  std::optional<std::vector<uint8_t>> bytes = readWholeFile(backupsFolder + name + "/" + kManifest);
  if (!bytes) return std::nullopt;
  std::string text(bytes->begin(), bytes->end());
  Backup backup;
  backup.name = name;
  backup.folder = backupsFolder + name + "/";
  bool headerSeen = false;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) return std::nullopt;  // cut short
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!headerSeen) {
      if (line != kManifestHeader) return std::nullopt;
      headerSeen = true;
    } else if (line.starts_with("action ")) {
      backup.action = line.substr(7);
    } else if (line.starts_with("time ")) {
      backup.time = line.substr(5);
    } else if (line.starts_with("file ")) {
      BackedUpFile file;
      unsigned long long size = 0;
      unsigned crc = 0;
      int consumed = 0;
      char stored[256];
      if (std::sscanf(line.c_str() + 5, "%llu %8x %255s %n", &size, &crc, stored, &consumed) != 3 || consumed == 0)
        return std::nullopt;
      file.size = size;
      file.crc32 = crc;
      file.storedName = stored;
      file.originalPath = line.substr(5 + static_cast<size_t>(consumed));
      // A stored name is a plain file name of this backup, never a path.
      if (file.originalPath.empty() || file.storedName.find_first_of("/\\") != std::string::npos ||
          file.storedName == "." || file.storedName == "..")
        return std::nullopt;
      backup.files.push_back(std::move(file));
    }
  }
  if (!headerSeen) return std::nullopt;
  return backup;
}

std::tm utcOf(std::time_t seconds) {
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &seconds);
#else
  gmtime_r(&seconds, &utc);
#endif
  return utc;
}

std::string backupName(const std::string& backupsFolder, const std::string& action, BackupClock::time_point now) {
  const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
  const std::tm utc = utcOf(static_cast<std::time_t>(millis / 1000));
  char seconds[32];
  std::strftime(seconds, sizeof seconds, "%Y%m%dT%H%M%S", &utc);
  const std::string stamp = formatText("%s.%03dZ", seconds, static_cast<int>(millis % 1000));
  std::string name = std::string(stamp) + "-" + action;
  // Two backups within one second get a number.
  for (int n = 2; fileExists(backupsFolder + name); ++n) name = std::string(stamp) + "-" + action + "-" + std::to_string(n);
  return name;
}

std::string timeText(BackupClock::time_point now) {
  const std::tm utc = utcOf(BackupClock::to_time_t(now));
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
  return text;
}

}  // namespace

uint64_t Backup::bytes() const {
  uint64_t total = 0;
  for (const BackedUpFile& file : files) total += file.size;
  return total;
}

std::string backupsFolderOf(const std::string& scnPath) { return folderPart(scnPath) + ".quorvel-backups/"; }

std::optional<Backup> createBackup(const std::string& backupsFolder, const std::string& action,
                                   const std::vector<std::string>& paths, BackupClock::time_point now,
                                   std::string& error) {
  if (!makeFolders(backupsFolder, error)) {
    error = "cannot make the folder \"" + backupsFolder + "\": " + error;
    return std::nullopt;
  }
  Backup backup;
  backup.action = action;
  backup.time = timeText(now);
  backup.name = backupName(backupsFolder, action, now);
  backup.folder = backupsFolder + backup.name + "/";
  if (!makeFolders(backup.folder, error)) {
    error = "cannot make the folder \"" + backup.folder + "\": " + error;
    return std::nullopt;
  }
  for (const std::string& path : paths) {
    // Only files are kept: a folder standing at a path is no level file.
    if (path.empty() || !isRegularFile(path)) continue;
    BackedUpFile file;
    file.originalPath = path;
    file.storedName = std::to_string(backup.files.size() + 1) + "-" + fileNamePart(path);
    std::optional<ClonedFile> copy = cloneFile(path, backup.folder + file.storedName, error);
    if (!copy) {
      error = "\"" + path + "\": " + error;
      removeFolderTree(backup.folder);
      return std::nullopt;
    }
    file.size = copy->size;
    file.crc32 = copy->crc32;
    backup.files.push_back(std::move(file));
  }
  const std::string manifest = manifestText(backup);
  if (!replaceFileAtomically(backup.folder + kManifest,
                             std::span(reinterpret_cast<const uint8_t*>(manifest.data()), manifest.size()))) {
    error = "cannot write \"" + backup.folder + kManifest + "\": " + lastSystemError();
    removeFolderTree(backup.folder);
    return std::nullopt;
  }
  return backup;
}

std::vector<Backup> listBackups(const std::string& backupsFolder) {
  std::vector<Backup> backups;
  for (const std::string& name : listFolders(backupsFolder))
    if (std::optional<Backup> backup = readManifest(backupsFolder, name)) backups.push_back(std::move(*backup));
  return backups;  // the names begin with the UTC time: oldest first
}

bool checkBackup(const Backup& backup, std::string& error) {
  for (const BackedUpFile& file : backup.files) {
    std::string reason;
    std::optional<ClonedFile> sum = checksumFile(backup.folder + file.storedName, reason);
    if (!sum) {
      error = "the copy of \"" + file.originalPath + "\" " + reason;
      return false;
    }
    if (sum->size != file.size || sum->crc32 != file.crc32) {
      error = "the copy of \"" + file.originalPath + "\" is damaged (its size or CRC-32 differs from the manifest's)";
      return false;
    }
  }
  return true;
}

bool restoreBackup(const Backup& backup, std::string& error) {
  if (!checkBackup(backup, error)) return false;
  for (const BackedUpFile& file : backup.files) {
    std::optional<std::vector<uint8_t>> bytes = readWholeFile(backup.folder + file.storedName);
    if (!bytes || !replaceFileAtomically(file.originalPath, *bytes)) {
      error = "could not write \"" + file.originalPath + "\"";
      return false;
    }
  }
  return true;
}

std::vector<std::string> pruneBackups(const std::string& backupsFolder, const BackupLimits& limits,
                                      const std::string& keep) {
  std::vector<Backup> backups = listBackups(backupsFolder);
  uint64_t total = 0;
  for (const Backup& backup : backups) total += backup.bytes();
  std::vector<std::string> removed;
  size_t count = backups.size();
  for (const Backup& backup : backups) {
    if (count <= static_cast<size_t>(std::max(limits.maxCount, 1)) && total <= limits.maxBytes) break;
    if (backup.name == keep) continue;
    removeFolderTree(backup.folder);
    removed.push_back(backup.name);
    total -= backup.bytes();
    --count;
  }
  return removed;
}

}  // namespace quorvel
