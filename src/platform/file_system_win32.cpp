// File operations through the Windows file functions. Windows already finds
// files without regard to case and takes "/" and "\\" alike, so paths are
// used as given.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <io.h>

#include "platform/file_system.h"
#include "platform/file_pattern.h"
#include "platform/win32_handles.h"
#include "util/path_text.h"
#include "util/text_format.h"

namespace quorvel {

std::string resolvePath(const std::string& path) { return path; }

FILE* openFile(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

bool fileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool canOpenForReading(const std::string& path) {
  FILE* f = openFile(path, "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

bool canOpenForUpdate(const std::string& path) {
  FILE* f = openFile(path, "r+b");
  if (!f) return false;
  std::fclose(f);
  return true;
}

std::optional<std::vector<uint8_t>> readFileStart(const std::string& path, size_t count) {
  FILE* f = openFile(path, "rb");
  if (!f) return std::nullopt;
  std::vector<uint8_t> bytes(count);
  bytes.resize(std::fread(bytes.data(), 1, count, f));
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return std::nullopt;
  return bytes;
}

std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path, uint64_t maxSize) {
  win32::FileHandle file = win32::ownFile(CreateFileA(path.c_str(), GENERIC_READ,
                                                      FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX / 2)
    return std::nullopt;
  if (static_cast<unsigned long long>(size.QuadPart) > maxSize) {
    errno = EFBIG;
    SetLastError(ERROR_FILE_TOO_LARGE);
    return std::nullopt;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data() + done, chunk, &read, nullptr)) return std::nullopt;
    if (read == 0) break;  // the file shrank while being read
    done += read;
  }
  bytes.resize(done);
  return bytes;
}

std::shared_ptr<ByteBlock> readWholeFileBlock(const std::string& path, uint64_t maxSize) {
  auto bytes = readWholeFile(path, maxSize);
  return bytes ? std::make_shared<ByteBlock>(std::move(*bytes)) : nullptr;
}

namespace {

// The system's words for `error`, without the line end it brings.
std::string systemErrorText(DWORD error) {
  char* buffer = nullptr;
  DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = length && buffer ? std::string(buffer, length) : "error " + std::to_string(error);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.')) text.pop_back();
  return text;
}

bool failWithLastError(std::string* reason) {
  if (reason) *reason = systemErrorText(GetLastError());
  return false;
}

}  // namespace

bool replaceFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
  // A short name beside the target: a target that uses the longest file
  // name must still work.
  const std::string temporary = folderPart(path) + "~qv" + std::to_string(GetCurrentProcessId()) + "_" +
                                std::to_string(GetTickCount());
  {
    win32::FileHandle file = win32::ownFile(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0,
                                                        nullptr, CREATE_NEW,
                                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
      DWORD written = 0;
      ok = WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) && written == chunk;
      done += written;
    }
    if (!ok || !FlushFileBuffers(file.get())) {
      file.reset();
      DeleteFileA(temporary.c_str());
      return false;
    }
  }
  if (!MoveFileExA(temporary.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(temporary.c_str());
    return false;
  }
  return true;
}

bool replaceFileAtomically(const std::string& path,
                           std::span<const std::span<const uint8_t>> pieces) {
  std::vector<uint8_t> whole;
  size_t size = 0;
  for (std::span<const uint8_t> piece : pieces) size += piece.size();
  whole.reserve(size);
  for (std::span<const uint8_t> piece : pieces) whole.insert(whole.end(), piece.begin(), piece.end());
  return replaceFileAtomically(path, std::span<const uint8_t>(whole));
}

bool syncFile(FILE* file) {
  return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

bool resizeFile(const std::string& path, uint64_t size) {
  win32::FileHandle file = win32::ownFile(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                                      nullptr, OPEN_EXISTING,
                                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  return SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.get());
}

// The Win32 error when a Win32 call failed, else the C library's.
std::string lastSystemError() {
  const int error = errno;
  const DWORD code = GetLastError();
  if (code != 0) {
    char text[512];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' ||
                          text[length - 1] == '.'))
      --length;
    if (length > 0) return std::string(text, length);
  }
  return error != 0 ? std::strerror(error) : "unknown error";
}

bool copyFileReplacing(const std::string& from, const std::string& to, std::string* reason) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0 || failWithLastError(reason);
}

bool moveFileReplacing(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED |
                         MOVEFILE_WRITE_THROUGH) != 0;
}

bool deleteFile(const std::string& path, std::string* reason) {
  return DeleteFileA(path.c_str()) != 0 || failWithLastError(reason);
}

bool isSameFile(const std::string& a, const std::string& b) {
  auto identity = [](const std::string& path) -> std::optional<BY_HANDLE_FILE_INFORMATION> {
    win32::FileHandle file = win32::ownFile(CreateFileA(path.c_str(), 0,
                                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file || !GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    return info;
  };
  auto first = identity(a);
  auto second = identity(b);
  return first && second && first->dwVolumeSerialNumber == second->dwVolumeSerialNumber &&
         first->nFileIndexHigh == second->nFileIndexHigh && first->nFileIndexLow == second->nFileIndexLow;
}

// Lists every file and matches the names here: FindFirstFile would also
// match the short 8.3 names, so "*.tpm" would list "a.tpm2" as well.
std::vector<std::string> listFiles(const std::string& folder, const std::string& pattern) {
  std::vector<std::string> names;
  std::string query = folder.empty() ? std::string(".\\") : folder;
  if (!endsWithSeparator(query)) query += '\\';
  query += '*';
  WIN32_FIND_DATAA found;
  win32::FindHandle search(FindFirstFileA(query.c_str(), &found));
  if (search.get() == INVALID_HANDLE_VALUE) return names;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::string name = found.cFileName;
    if (matchesAnyPattern(name, pattern)) names.push_back(std::move(name));
  } while (FindNextFileA(search.get(), &found));
  sortFileNames(names);
  return names;
}

std::optional<uint64_t> fileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The time is the FILETIME (100 ns steps since 1601) as one number.
std::optional<int64_t> lastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  ULARGE_INTEGER time;
  time.LowPart = data.ftLastWriteTime.dwLowDateTime;
  time.HighPart = data.ftLastWriteTime.dwHighDateTime;
  return static_cast<int64_t>(time.QuadPart);
}

bool setLastWriteTime(const std::string& path, int64_t time) {
  win32::FileHandle file = win32::ownFile(CreateFileA(
      path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  ULARGE_INTEGER value;
  value.QuadPart = static_cast<uint64_t>(time);
  FILETIME written{value.LowPart, value.HighPart};
  return SetFileTime(file.get(), nullptr, nullptr, &written) != 0;
}

std::string currentDirectory() {
  char buffer[MAX_PATH + 1];
  DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
  if (length == 0 || length >= sizeof buffer) return std::string();
  std::string folder(buffer, length);
  if (!endsWithSeparator(folder)) folder += '\\';
  return folder;
}

}  // namespace quorvel
