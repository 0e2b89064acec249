#include "platform/file_clone.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/file_system.h"

namespace quorvel {

namespace {

struct Descriptor {
  int fd = -1;
  explicit Descriptor(int d) : fd(d) {}
  ~Descriptor() {
    if (fd >= 0) close(fd);
  }
};

std::string reason(const std::string& what) { return what + ": " + std::strerror(errno); }

// The CRC-32 of what `fd` holds from its start.
std::optional<uint32_t> crcOf(int fd, uint64_t& size) {
  std::vector<unsigned char> buffer(1 << 20);
  uLong crc = crc32(0L, Z_NULL, 0);
  size = 0;
  if (lseek(fd, 0, SEEK_SET) != 0) return std::nullopt;
  for (;;) {
    ssize_t got = read(fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    crc = crc32(crc, buffer.data(), static_cast<uInt>(got));
    size += static_cast<uint64_t>(got);
  }
  return static_cast<uint32_t>(crc);
}

bool copyContents(int in, int out, uint64_t size) {
  if (ioctl(out, FICLONE, in) == 0) return true;
  uint64_t done = 0;
  while (done < size) {
    ssize_t copied = copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(std::min<uint64_t>(size - done, 1u << 30)), 0);
    if (copied < 0 && errno == EINTR) continue;
    if (copied <= 0) break;
    done += static_cast<uint64_t>(copied);
  }
  if (done == size) return true;
  // Some file systems offer neither: plain reads and writes from where the
  // kernel stopped.
  std::vector<unsigned char> buffer(1 << 20);
  if (lseek(in, static_cast<off_t>(done), SEEK_SET) < 0 || lseek(out, static_cast<off_t>(done), SEEK_SET) < 0)
    return false;
  while (done < size) {
    ssize_t got = read(in, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    for (ssize_t put = 0; put < got;) {
      ssize_t wrote = write(out, buffer.data() + put, static_cast<size_t>(got - put));
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote <= 0) return false;
      put += wrote;
    }
    done += static_cast<uint64_t>(got);
  }
  return true;
}

}  // namespace

std::optional<ClonedFile> cloneFile(const std::string& from, const std::string& to, std::string& error) {
  Descriptor in(open(resolvePath(from).c_str(), O_RDONLY | O_CLOEXEC));
  if (in.fd < 0) {
    error = reason("cannot open it");
    return std::nullopt;
  }
  struct stat st;
  if (fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = "it is not a regular file";
    return std::nullopt;
  }
  const std::string target = resolvePath(to);
  Descriptor out(open(target.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (out.fd < 0) {
    error = reason("cannot create the copy");
    return std::nullopt;
  }
  ClonedFile result;
  bool ok = copyContents(in.fd, out.fd, static_cast<uint64_t>(st.st_size));
  if (!ok) error = reason("cannot write the copy");
  if (ok && fsync(out.fd) != 0) {
    ok = false;
    error = reason("cannot flush the copy");
  }
  // The checksum is taken of the copy as written, so a restore checks what
  // the backup really holds.
  std::optional<uint32_t> crc;
  if (ok) crc = crcOf(out.fd, result.size);
  if (ok && !crc) {
    ok = false;
    error = reason("cannot read the copy back");
  } else if (ok && result.size != static_cast<uint64_t>(st.st_size)) {
    ok = false;
    error = "the copy does not read back whole";
  }
  if (!ok) {
    unlink(target.c_str());
    return std::nullopt;
  }
  result.crc32 = *crc;
  return result;
}

std::optional<ClonedFile> checksumFile(const std::string& path, std::string& error) {
  Descriptor in(open(resolvePath(path).c_str(), O_RDONLY | O_CLOEXEC));
  if (in.fd < 0) {
    error = reason("cannot open it");
    return std::nullopt;
  }
  ClonedFile result;
  std::optional<uint32_t> crc = crcOf(in.fd, result.size);
  if (!crc) {
    error = reason("cannot read it");
    return std::nullopt;
  }
  result.crc32 = *crc;
  return result;
}

bool isRegularFile(const std::string& path) {
  std::error_code code;
  return std::filesystem::is_regular_file(resolvePath(path), code);
}

bool makeFolders(const std::string& path, std::string& error) {
  std::error_code code;
  std::filesystem::create_directories(resolvePath(path), code);
  if (code) error = code.message();
  return !code;
}

void removeFolderTree(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove_all(resolvePath(path), ignored);
}

std::vector<std::string> listFolders(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code code;
  for (const auto& entry : std::filesystem::directory_iterator(resolvePath(folder), code))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace quorvel
