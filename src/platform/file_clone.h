// A copy of a file that costs little where the file system can share its
// blocks: a reflink, else an in-kernel copy, else reads and writes. Used for
// backups, which must be complete and on disk before anything is changed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvel {

// Copies `from` to the new file `to` (which must not exist), flushes it to
// disk and returns its CRC-32 and size; nothing, with the system's reason in
// `error`, when the copy failed (a partial copy is removed).
struct ClonedFile {
  uint64_t size = 0;
  uint32_t crc32 = 0;
};
std::optional<ClonedFile> cloneFile(const std::string& from, const std::string& to, std::string& error);

// The CRC-32 and size of a file's contents; nothing when it cannot be read.
std::optional<ClonedFile> checksumFile(const std::string& path, std::string& error);

// True when `path` names a regular file (not a folder or a device).
bool isRegularFile(const std::string& path);
// Makes a folder and any missing parents; false with the reason in `error`.
bool makeFolders(const std::string& path, std::string& error);
// Removes a folder and everything in it (no error when it is gone).
void removeFolderTree(const std::string& path);
// The names of the sub-folders of `folder`, sorted by their bytes.
std::vector<std::string> listFolders(const std::string& folder);

}  // namespace quorvel
