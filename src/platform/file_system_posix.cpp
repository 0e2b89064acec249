// File operations on POSIX. Paths from the user and from level files use
// "\\" as often as "/", and the level paths are lower-cased, so every path
// is first turned into "/" form and, when it does not exist as written,
// looked up without case one component at a time.
#include "platform/file_system.h"
#include "platform/file_pattern.h"
#include "platform/temporary_names.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "util/text_format.h"

namespace quorvel {

namespace {

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<FILE, FileCloser>;

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

bool existsExactly(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// The entry of `folder` whose name equals `name` without case; the first in
// byte order when several do, so the choice never depends on readdir order.
std::optional<std::string> findEntryNoCase(const std::string& folder, const std::string& name) {
  DirHandle dir(opendir(folder.empty() ? "." : folder.c_str()));
  if (!dir) return std::nullopt;
  std::optional<std::string> best;
  while (dirent* entry = readdir(dir.get())) {
    std::string entryName = entry->d_name;
    if (equalsNoCase(entryName, name) && (!best || entryName < *best)) best = entryName;
  }
  return best;
}

// A refusal that has no errno of its own, for lastSystemError().
thread_local std::string refusalText;
thread_local int refusalErrno = 0;

void refuse(int error, const char* text) {
  refusalText = text;
  refusalErrno = error;
  errno = error;
}

std::string temporaryPattern(const std::string& target) {
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  return folder + temporaryPrefix(target.substr(slash == std::string::npos ? 0 : slash + 1)) + "XXXXXX" +
         std::string(kTemporarySuffix);
}

void removeStaleTemporaries(const std::string& target) {
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  const std::string prefix = temporaryPrefix(target.substr(slash == std::string::npos ? 0 : slash + 1));
  DirHandle dir(opendir(folder.c_str()));
  if (!dir) return;
  while (dirent* entry = readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (isTemporaryName(name, prefix, false))
      unlink((slash == std::string::npos ? name : folder + name).c_str());
  }
}

// The file a save of `path` replaces: the end of a chain of symbolic links
// is saved, not the link. Nothing (with errno set) when the path names
// something other than a regular file, which a save must never replace.
std::optional<std::string> replaceableTarget(const std::string& path) {
  refusalText.clear();
  std::string target = path;
  struct stat st;
  if (lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char* real = realpath(target.c_str(), nullptr);
    if (real) {
      target = real;
      std::free(real);
    } else if (errno != ENOENT) {
      return std::nullopt;
    }
  }
  if (stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    if (S_ISDIR(st.st_mode)) refuse(EISDIR, "Is a directory");
    else refuse(EPERM, "not a regular file, so it is not replaced");
    return std::nullopt;
  }
  return target;
}

// Writes `bytes` to a new temporary file beside `target`, synced to disk;
// its name, or nothing.
std::optional<std::string> writeTemporaryBeside(const std::string& target,
                                                std::span<const std::span<const uint8_t>> pieces,
                                                mode_t mode) {
  removeStaleTemporaries(target);
  std::string pattern = temporaryPattern(target);
  int fd = mkstemps(pattern.data(), static_cast<int>(kTemporarySuffix.size()));
  if (fd < 0) return std::nullopt;
  // The pieces go out in batches of one writev each, so that a file of
  // thousands of pieces costs a few calls, not thousands.
  constexpr size_t kBatch = 512;
  bool ok = true;
  size_t next = 0, doneInNext = 0;  // the first piece not yet written whole
  while (ok && next < pieces.size()) {
    iovec batch[kBatch];
    int count = 0;
    for (size_t i = next; i < pieces.size() && count < static_cast<int>(kBatch); ++i) {
      const size_t skip = i == next ? doneInNext : 0;
      batch[count].iov_base = const_cast<uint8_t*>(pieces[i].data()) + skip;
      batch[count].iov_len = pieces[i].size() - skip;
      ++count;
    }
    ssize_t written = writev(fd, batch, count);
    if (written < 0 && errno == EINTR) continue;
    if (written == 0 && batch[0].iov_len > 0) errno = ENOSPC;
    if (written < 0 || (written == 0 && batch[0].iov_len > 0)) {
      ok = false;
      break;
    }
    // Move past what was written, which may end inside a piece.
    size_t left = static_cast<size_t>(written);
    while (next < pieces.size() && left >= pieces[next].size() - doneInNext) {
      left -= pieces[next].size() - doneInNext;
      ++next;
      doneInNext = 0;
    }
    doneInNext += left;
  }
  if (ok) ok = fchmod(fd, mode) == 0;
  if (ok) ok = fsync(fd) == 0;
  const int error = errno;
  if (close(fd) != 0) ok = false;
  else if (!ok) errno = error;
  if (!ok) {
    const int error = errno;  // the cause, not the clean-up, is reported
    unlink(pattern.c_str());
    errno = error;
    return std::nullopt;
  }
  return pattern;
}

// Makes a rename in the folder of `path` durable. Some file systems cannot
// sync a folder; the rename has happened either way, so that is no failure.
void syncFolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const int error = errno;
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
  errno = error;
}

mode_t modeForReplacement(const std::string& target) {
  struct stat st;
  if (stat(target.c_str(), &st) == 0) return st.st_mode & 07777;
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

std::string resolvePath(const std::string& path) {
  std::string slashed = path;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  if (slashed.empty() || existsExactly(slashed)) return slashed;

  std::string resolved;
  size_t pos = 0;
  if (slashed[0] == '/') {
    resolved = "/";
    pos = 1;
  }
  bool missing = false;  // once a component is missing, the rest stays as written
  while (pos <= slashed.size()) {
    size_t end = slashed.find('/', pos);
    if (end == std::string::npos) end = slashed.size();
    std::string component = slashed.substr(pos, end - pos);
    if (!component.empty()) {
      std::string candidate = resolved + component;
      if (!missing && component != "." && component != ".." && !existsExactly(candidate)) {
        if (auto match = findEntryNoCase(resolved, component)) candidate = resolved + *match;
        else missing = true;
      }
      resolved = candidate;
    }
    if (end < slashed.size() && (resolved.empty() || resolved.back() != '/')) resolved += '/';
    pos = end + 1;
  }
  return resolved;
}

FILE* openFile(const std::string& path, const char* mode) {
  return std::fopen(resolvePath(path).c_str(), mode);
}

bool fileExists(const std::string& path) { return existsExactly(resolvePath(path)); }

bool canOpenForReading(const std::string& path) {
  FileHandle file(openFile(path, "r"));
  return file != nullptr;
}

bool canOpenForUpdate(const std::string& path) {
  FileHandle file(openFile(path, "r+"));
  return file != nullptr;
}

std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path, uint64_t maxSize) {
  FileHandle file(openFile(path, "rb"));
  if (!file) return std::nullopt;
  std::vector<uint8_t> bytes;
  // The whole file in one read straight into its buffer: growing by doubling
  // would hold up to twice the file while a large level is read, and going
  // through a small buffer copies every byte once more.
  struct stat st;
  size_t expected = 65536;
  if (fstat(fileno(file.get()), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    if (static_cast<uint64_t>(st.st_size) > maxSize) {
      errno = EFBIG;
      return std::nullopt;
    }
    expected = static_cast<size_t>(st.st_size);
  }
  size_t have = 0;
  for (;;) {
    // One byte beyond the expected size tells a file that grew meanwhile.
    bytes.resize(have + (have < expected ? expected - have : expected) + 1);
    const size_t got = std::fread(bytes.data() + have, 1, bytes.size() - have, file.get());
    have += got;
    if (have > maxSize) {  // a pipe or device that does not end
      errno = EFBIG;
      return std::nullopt;
    }
    if (have < bytes.size()) break;
  }
  if (std::ferror(file.get())) return std::nullopt;
  bytes.resize(have);
  return bytes;
}

namespace {

// Large blocks are filled once and read through: asking for large pages
// spares the system thousands of page faults (a third of the time a level
// takes to load otherwise). Only advice; where the system gives no large
// pages the block works the same.
void adviseLargePages(uint8_t* data, size_t size) {
  constexpr size_t kLargePage = size_t{2} << 20;
  if (size < 2 * kLargePage) return;
  const uintptr_t pageSize = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t start = (reinterpret_cast<uintptr_t>(data) + pageSize - 1) & ~(pageSize - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(pageSize - 1);
#ifdef MADV_HUGEPAGE
  if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
  (void)start;
  (void)end;
#endif
}

}  // namespace

std::shared_ptr<ByteBlock> readWholeFileBlock(const std::string& path, uint64_t maxSize) {
  auto viaVector = [&]() -> std::shared_ptr<ByteBlock> {
    auto bytes = readWholeFile(path, maxSize);
    return bytes ? std::make_shared<ByteBlock>(std::move(*bytes)) : nullptr;
  };
  FileHandle file(openFile(path, "rb"));
  if (!file) return nullptr;
  struct stat st;
  // Pipes, devices and empty files take the general path.
  if (fstat(fileno(file.get()), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) return viaVector();
  if (static_cast<uint64_t>(st.st_size) > maxSize) {
    errno = EFBIG;
    return nullptr;
  }
  const size_t expected = static_cast<size_t>(st.st_size);
  // One byte beyond the expected size tells a file that grew meanwhile.
  auto block = std::make_shared<ByteBlock>(expected + 1);
  adviseLargePages(block->data(), block->size());
  const size_t got = std::fread(block->data(), 1, block->size(), file.get());
  if (std::ferror(file.get())) return nullptr;
  if (got > expected) return viaVector();
  block->shrink(got);
  return block;
}

std::optional<std::vector<uint8_t>> readFileStart(const std::string& path, size_t count) {
  FileHandle file(openFile(path, "rb"));
  if (!file) return std::nullopt;
  std::vector<uint8_t> bytes(count);
  bytes.resize(std::fread(bytes.data(), 1, count, file.get()));
  if (std::ferror(file.get())) return std::nullopt;
  return bytes;
}

bool replaceFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
  return replaceFileAtomically(path, std::span<const std::span<const uint8_t>>(&bytes, 1));
}

bool replaceFileAtomically(const std::string& path,
                           std::span<const std::span<const uint8_t>> pieces) {
  std::optional<std::string> replaceable = replaceableTarget(resolvePath(path));
  if (!replaceable) return false;
  const std::string& target = *replaceable;
  auto temporary = writeTemporaryBeside(target, pieces, modeForReplacement(target));
  if (!temporary) return false;
  if (std::rename(temporary->c_str(), target.c_str()) != 0) {
    const int error = errno;
    unlink(temporary->c_str());
    errno = error;
    return false;
  }
  syncFolderOf(target);
  return true;
}

bool syncFile(FILE* file) {
  if (std::fflush(file) != 0) return false;
  while (fsync(fileno(file)) != 0)
    if (errno != EINTR) return false;
  return true;
}

bool resizeFile(const std::string& path, uint64_t size) {
  return truncate(resolvePath(path).c_str(), static_cast<off_t>(size)) == 0;
}

bool resizeFile(FILE* file, uint64_t size) {
  return std::fflush(file) == 0 && ftruncate(fileno(file), static_cast<off_t>(size)) == 0;
}

bool seekFile(FILE* file, uint64_t offset) {
  if (offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) {
    errno = EOVERFLOW;
    return false;
  }
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

std::optional<uint64_t> openFileSize(FILE* file) {
  struct stat st;
  if (std::fflush(file) != 0 || fstat(fileno(file), &st) != 0) return std::nullopt;
  return static_cast<uint64_t>(st.st_size);
}

std::string lastSystemError() {
  const int error = errno;
  if (error == refusalErrno && !refusalText.empty()) return refusalText;
  return error != 0 ? systemErrorMessage(error) : "unknown error";
}

std::string systemErrorMessage(int code) { return std::strerror(code); }

bool copyFileReplacing(const std::string& from, const std::string& to, std::string* reason) {
  auto fail = [reason](int error) {
    if (reason) *reason = std::strerror(error);
    return false;
  };
  std::string source = resolvePath(from);
  struct stat st;
  if (stat(source.c_str(), &st) != 0) return fail(errno);
  if (!S_ISREG(st.st_mode)) return fail(EISDIR);
  auto bytes = readWholeFile(source);
  if (!bytes) return fail(errno ? errno : EIO);
  std::optional<std::string> replaceable = replaceableTarget(resolvePath(to));
  if (!replaceable) {
    if (reason) *reason = lastSystemError();  // the refusal's own words
    return false;
  }
  const std::string& target = *replaceable;
  const std::span<const uint8_t> whole(*bytes);
  errno = 0;
  auto temporary = writeTemporaryBeside(target, std::span(&whole, 1), st.st_mode & 07777);
  if (!temporary) return fail(errno ? errno : EIO);
  // A copy keeps the last-write time of its source, as on Windows.
  timespec times[2] = {st.st_atim, st.st_mtim};
  utimensat(AT_FDCWD, temporary->c_str(), times, 0);
  if (std::rename(temporary->c_str(), target.c_str()) != 0) {
    const int error = errno;
    unlink(temporary->c_str());
    return fail(error);
  }
  return true;
}

bool moveFileReplacing(const std::string& from, const std::string& to) {
  std::string source = resolvePath(from);
  std::string target = resolvePath(to);
  if (std::rename(source.c_str(), target.c_str()) == 0) return true;
  if (errno != EXDEV) return false;
  // Across file systems: copy, then remove the original.
  return copyFileReplacing(source, target) && unlink(source.c_str()) == 0;
}

bool deleteFile(const std::string& path, std::string* reason) {
  if (unlink(resolvePath(path).c_str()) == 0) return true;
  if (reason) *reason = std::strerror(errno);
  return false;
}

bool isSameFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  if (stat(resolvePath(a).c_str(), &first) != 0 || stat(resolvePath(b).c_str(), &second) != 0) return false;
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::vector<std::string> listFiles(const std::string& folder, const std::string& pattern) {
  std::string dirPath = resolvePath(folder.empty() ? std::string(".") : folder);
  std::vector<std::string> names;
  DirHandle dir(opendir(dirPath.c_str()));
  if (!dir) return names;
  if (dirPath.back() != '/') dirPath += '/';
  while (dirent* entry = readdir(dir.get())) {
    std::string name = entry->d_name;
    if (!matchesAnyPattern(name, pattern)) continue;
    struct stat st;
    if (stat((dirPath + name).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) continue;
    names.push_back(name);
  }
  sortFileNames(names);
  return names;
}

std::optional<uint64_t> fileSize(const std::string& path) {
  struct stat st;
  if (stat(resolvePath(path).c_str(), &st) != 0) return std::nullopt;
  return static_cast<uint64_t>(st.st_size);
}

// Nanoseconds since 1970.
std::optional<int64_t> lastWriteTime(const std::string& path) {
  struct stat st;
  if (stat(resolvePath(path).c_str(), &st) != 0) return std::nullopt;
  return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool setLastWriteTime(const std::string& path, int64_t time) {
  timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(time / 1000000000);
  times[1].tv_nsec = static_cast<long>(time % 1000000000);
  if (times[1].tv_nsec < 0) {
    times[1].tv_nsec += 1000000000;
    times[1].tv_sec -= 1;
  }
  return utimensat(AT_FDCWD, resolvePath(path).c_str(), times, 0) == 0;
}

std::string currentDirectory() {
  char buffer[PATH_MAX];
  if (!getcwd(buffer, sizeof buffer)) return std::string();
  return buffer;
}

}  // namespace quorvel
