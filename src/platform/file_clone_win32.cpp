#include "platform/file_clone.h"

#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace quorvel {

namespace {

std::string systemReason(const std::string& what) {
  return what + ": Windows error " + std::to_string(GetLastError());
}

}  // namespace

std::optional<ClonedFile> checksumFile(const std::string& path, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    error = "cannot open it";
    return std::nullopt;
  }
  std::vector<unsigned char> buffer(1 << 20);
  uLong crc = crc32(0L, Z_NULL, 0);
  ClonedFile result;
  size_t got;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) {
    crc = crc32(crc, buffer.data(), static_cast<uInt>(got));
    result.size += got;
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    error = "cannot read it";
    return std::nullopt;
  }
  result.crc32 = static_cast<uint32_t>(crc);
  return result;
}

std::optional<ClonedFile> cloneFile(const std::string& from, const std::string& to, std::string& error) {
  if (!CopyFileA(from.c_str(), to.c_str(), TRUE)) {
    error = systemReason("cannot copy it");
    return std::nullopt;
  }
  HANDLE handle = CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  const bool flushed = handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle);
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  std::optional<ClonedFile> copied;
  std::optional<ClonedFile> original;
  if (flushed) {
    copied = checksumFile(to, error);
    original = checksumFile(from, error);
  } else {
    error = systemReason("cannot flush the copy");
  }
  if (!copied || !original || copied->size != original->size || copied->crc32 != original->crc32) {
    if (flushed && copied && original) error = "the copy does not read back whole";
    DeleteFileA(to.c_str());
    return std::nullopt;
  }
  return copied;
}

bool isRegularFile(const std::string& path) {
  std::error_code code;
  return std::filesystem::is_regular_file(path, code);
}

bool makeFolders(const std::string& path, std::string& error) {
  std::error_code code;
  std::filesystem::create_directories(path, code);
  if (code) error = code.message();
  return !code;
}

void removeFolderTree(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

std::vector<std::string> listFolders(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code code;
  for (const auto& entry : std::filesystem::directory_iterator(folder, code))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace quorvel
