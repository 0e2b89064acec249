// File operations of the platform. Paths use "\\" or "/" as separators; on
// POSIX a path that does not exist exactly is resolved case-insensitively,
// component by component, as Windows would find it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "util/byte_block.h"

namespace quorvel {

// The path to hand to the C library for `path` (separators and case resolved).
std::string resolvePath(const std::string& path);
// fopen on the resolved path.
FILE* openFile(const std::string& path, const char* mode);

// True when something (file or folder) exists at `path`.
bool fileExists(const std::string& path);
bool canOpenForReading(const std::string& path);
// Opens with "r+" and closes again: the check for a writable level file.
bool canOpenForUpdate(const std::string& path);

// The largest file a reader takes: the level and model formats address
// their contents with 32-bit offsets, so none of them can be 4 GB or more.
inline constexpr uint64_t kMaxBinaryFileSize = 0xFFFFFFFFu;
// The largest text file (value files, lists, TPM models) a reader takes: far
// beyond any real one, and small enough to hold in memory a few times over.
inline constexpr uint64_t kMaxTextFileSize = uint64_t{512} << 20;

// The whole file, or nothing when it cannot be read or is larger than
// `maxSize` (errno EFBIG, "File too large"), which is checked before reading.
std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path,
                                                  uint64_t maxSize = kMaxBinaryFileSize);
// The same in a block that views into it can share (a scene keeps its raw
// sections there); null on the same failures.
std::shared_ptr<ByteBlock> readWholeFileBlock(const std::string& path,
                                              uint64_t maxSize = kMaxBinaryFileSize);
// At most the first `count` bytes of the file (fewer when it is shorter), so
// a reader can look at a header before it reads the rest.
std::optional<std::vector<uint8_t>> readFileStart(const std::string& path, size_t count);
// Writes a temporary file beside `path`, flushes it and renames it over
// `path`, so a failure never leaves a half-written file. The temporaries are
// named as platform/temporary_names.h says (short when the target's name or
// path leaves no room), and those a stopped run left are removed first. A
// symbolic link's target is replaced, never the link; a folder or a device
// is refused (lastSystemError() says so).
bool replaceFileAtomically(const std::string& path, std::span<const uint8_t> bytes);
// The same for a file given as consecutive pieces, written one after the
// other without first being joined in memory.
bool replaceFileAtomically(const std::string& path,
                           std::span<const std::span<const uint8_t>> pieces);

// Writes `file`'s buffers and then makes its contents durable on the disk.
bool syncFile(FILE* file);
// Cuts (or extends with zeros) the file at `path` to `size` bytes.
bool resizeFile(const std::string& path, uint64_t size);
// The same for a file open for update, after writing its buffers; the
// position is kept. A file open in this process cannot always be opened a
// second time for writing (Windows refuses while the first handle writes).
bool resizeFile(FILE* file, uint64_t size);
// Moves to `offset` in the file: the whole 64-bit range, which the C
// library's fseek (a 32-bit long on Windows) does not reach.
bool seekFile(FILE* file, uint64_t offset);
// The size of an open file, after writing its buffers.
std::optional<uint64_t> openFileSize(FILE* file);
// The system's wording of the error of the file operation that just failed
// ("No space left on device").
std::string lastSystemError();
// The system's wording of the error `code`: an errno value on POSIX, a
// GetLastError() code on Windows, as lastSystemError() gives it.
std::string systemErrorMessage(int code);

// Copies (through a temporary beside `to`), moves or deletes a file. On
// failure `reason`, when given, receives the system's words for it.
bool copyFileReplacing(const std::string& from, const std::string& to, std::string* reason = nullptr);
bool moveFileReplacing(const std::string& from, const std::string& to);
bool deleteFile(const std::string& path, std::string* reason = nullptr);
// True when both paths name one existing file (the same file reached by two
// spellings counts).
bool isSameFile(const std::string& a, const std::string& b);
// Names (no folder) of the files in `folder` matching a pattern with "*" and
// "?" ("*.grf", or several joined by ";"), compared without case; sorted by
// name without case, as the game's file systems list them. Folders are left
// out.
std::vector<std::string> listFiles(const std::string& folder, const std::string& pattern);

std::optional<uint64_t> fileSize(const std::string& path);
// Last-write time in the platform's own units.
std::optional<int64_t> lastWriteTime(const std::string& path);
bool setLastWriteTime(const std::string& path, int64_t time);

std::string currentDirectory();

}  // namespace quorvel
