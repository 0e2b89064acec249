// Scene files through the Windows LZ expansion functions, which read plain
// files and files packed by the Windows LZ compression tool alike.
#include <windows.h>
#include <lzexpand.h>

#include <string.h>

#include <algorithm>
#include <cerrno>

#include "platform/compressed_input.h"

namespace quorvel {

namespace {

struct LzFile {
  INT handle = -1;
  ~LzFile() {
    if (handle >= 0) LZClose(handle);
  }
};

// LZOpenFile keeps the name in an OFSTRUCT of 128 characters; longer paths
// are opened with _lopen and handed to LZInit instead.
INT openLz(const std::string& path) {
  if (path.size() < OFS_MAXPATHNAME) {
    OFSTRUCT info{};
    std::string name = path;
    return LZOpenFileA(name.data(), &info, OF_READ | OF_SHARE_DENY_WRITE);
  }
  HFILE plain = _lopen(path.c_str(), OF_READ | OF_SHARE_DENY_WRITE);
  if (plain == HFILE_ERROR) return -1;
  INT handle = LZInit(plain);
  if (handle < 0) _lclose(plain);
  return handle;
}

}  // namespace

std::optional<std::vector<uint8_t>> readPossiblyCompressedFile(const std::string& path,
                                                               std::span<const uint8_t> expectedStart,
                                                               uint64_t maxSize) {
  LzFile file;
  file.handle = openLz(path);
  if (file.handle < 0) return std::nullopt;
  // The decoded length comes from the header (or is the plain file's size).
  // It is not trusted for the allocation: the content is read in pieces, and
  // a compressed file that ends before its stated length counts as damaged.
  const LONG statedLength = LZSeek(file.handle, 0, 2);
  if (statedLength < 0 || LZSeek(file.handle, 0, 0) != 0) return std::nullopt;
  if (static_cast<uint64_t>(statedLength) > maxSize) {
    errno = EFBIG;
    return std::nullopt;
  }
  std::vector<uint8_t> bytes;
  char chunk[65536];
  for (;;) {
    INT read = LZRead(file.handle, chunk, sizeof chunk);
    if (read < 0) return std::nullopt;
    if (read == 0) break;
    bytes.insert(bytes.end(), chunk, chunk + read);
    // The header first: a file of another kind is refused before the rest is read.
    if (bytes.size() >= expectedStart.size() && bytes.size() - read < expectedStart.size() &&
        !std::equal(expectedStart.begin(), expectedStart.end(), bytes.begin()))
      return std::nullopt;
    if (bytes.size() > static_cast<size_t>(statedLength)) return std::nullopt;
  }
  if (bytes.size() != static_cast<size_t>(statedLength) || bytes.size() < expectedStart.size())
    return std::nullopt;
  return bytes;
}

std::shared_ptr<ByteBlock> readPossiblyCompressedBlock(const std::string& path,
                                                       std::span<const uint8_t> expectedStart,
                                                       uint64_t maxSize) {
  auto bytes = readPossiblyCompressedFile(path, expectedStart, maxSize);
  return bytes ? std::make_shared<ByteBlock>(std::move(*bytes)) : nullptr;
}

}  // namespace quorvel
