// File operations through the Windows file functions. Windows already finds
// files without regard to case and takes "/" and "\\" alike, so paths are
// used as given.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <io.h>

#include "platform/file_system.h"
#include "platform/file_pattern.h"
#include "platform/temporary_names.h"
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

// A refusal that has no system error of its own, for lastSystemError(): the
// code is one of those Windows leaves to applications.
constexpr DWORD kRefusalCode = 0x20000000 | 1;
thread_local std::string refusalText;

void refuse(const char* text) {
  refusalText = text;
  SetLastError(kRefusalCode);
}

// The path of an open file, links followed, without the "\\?\" Windows
// puts before it.
std::optional<std::string> finalPathOf(HANDLE file) {
  char buffer[MAX_PATH + 8];
  const DWORD length = GetFinalPathNameByHandleA(file, buffer, sizeof buffer, FILE_NAME_NORMALIZED);
  if (length == 0 || length >= sizeof buffer) return std::nullopt;
  std::string path(buffer, length);
  if (path.starts_with("\\\\?\\UNC\\")) path.erase(2, 6);  // "\\server\share\..."
  else if (path.starts_with("\\\\?\\")) path.erase(0, 4);
  return path;
}

// The file a save of `path` replaces: a symbolic link's target is saved, not
// the link. Nothing (with the error set) when the path names a folder or a
// device, which a save must never replace. A path where nothing is yet, or
// a link that leads nowhere, is saved as given.
std::optional<std::string> replaceableTarget(const std::string& path) {
  refusalText.clear();
  win32::FileHandle file = win32::ownFile(CreateFileA(path.c_str(), 0,
                                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return path;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileInformationByHandle(file.get(), &info)) {
    refuse("not a regular file, so it is not replaced");
    return std::nullopt;
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    refuse("Is a directory");
    return std::nullopt;
  }
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    if (std::optional<std::string> target = finalPathOf(file.get())) return target;
  return path;
}

// Random enough for names that CREATE_NEW makes unique anyway.
uint64_t nextRandom() {
  static std::atomic<uint64_t> counter{0};
  LARGE_INTEGER ticks;
  QueryPerformanceCounter(&ticks);
  uint64_t x = static_cast<uint64_t>(ticks.QuadPart) ^ (uint64_t{GetCurrentProcessId()} << 32) ^
               (counter.fetch_add(1) * 0x9E3779B97F4A7C15u);
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
  return x ^ (x >> 31);
}

// The start of the temporary names of `target`. A Windows path ends at
// MAX_PATH characters, so the whole temporary path must fit as well.
std::string temporaryPrefixOf(const std::string& target) {
  const size_t folder = folderPart(target).size();
  const size_t room = folder + 1 < MAX_PATH ? std::min<size_t>(kMaxFileName, MAX_PATH - 1 - folder) : 0;
  return temporaryPrefix(fileNamePart(target), room);
}

void removeStaleTemporaries(const std::string& target) {
  const std::string folder = folderPart(target);
  const std::string prefix = temporaryPrefixOf(target);
  for (const std::string& name : listFiles(folder, "*"))
    if (isTemporaryName(name, prefix, true)) DeleteFileA((folder + name).c_str());
}

// A new temporary file beside `target` made by `create` (which gets its name
// and fails with ERROR_FILE_EXISTS when the name is taken); its name, or
// nothing with the error set.
template <typename Create>
std::optional<std::string> createTemporaryBeside(const std::string& target, Create create) {
  removeStaleTemporaries(target);
  const std::string start = folderPart(target) + temporaryPrefixOf(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string temporary = temporaryName(start, nextRandom());
    if (create(temporary)) return temporary;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return std::nullopt;
  }
  return std::nullopt;
}

bool writeAll(HANDLE file, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_DISK_FULL);
      return false;
    }
    done += written;
  }
  return true;
}

// Deletes a temporary file that is not needed, keeping the error that made
// it so.
void discard(const std::string& temporary) {
  const DWORD error = GetLastError();
  DeleteFileA(temporary.c_str());
  SetLastError(error);
}

// Writes the pieces to a new temporary file beside `target`, flushed to the
// disk; its name, or nothing.
std::optional<std::string> writeTemporaryBeside(const std::string& target,
                                                std::span<const std::span<const uint8_t>> pieces) {
  win32::FileHandle file;
  std::optional<std::string> temporary = createTemporaryBeside(target, [&](const std::string& name) {
    file = win32::ownFile(
        CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file != nullptr;
  });
  if (!temporary) return std::nullopt;
  bool ok = true;
  for (size_t i = 0; ok && i < pieces.size(); ++i) ok = writeAll(file.get(), pieces[i]);
  if (ok) ok = FlushFileBuffers(file.get()) != 0;
  const DWORD error = GetLastError();
  file.reset();
  SetLastError(error);
  if (!ok) {
    discard(*temporary);
    return std::nullopt;
  }
  return temporary;
}

// Renames the temporary over the target, or deletes it.
bool moveOver(const std::string& temporary, const std::string& target) {
  if (MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  discard(temporary);
  return false;
}

}  // namespace

bool replaceFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
  return replaceFileAtomically(path, std::span<const std::span<const uint8_t>>(&bytes, 1));
}

bool replaceFileAtomically(const std::string& path,
                           std::span<const std::span<const uint8_t>> pieces) {
  std::optional<std::string> replaceable = replaceableTarget(path);
  if (!replaceable) return false;
  const std::string& target = *replaceable;
  std::optional<std::string> temporary = writeTemporaryBeside(target, pieces);
  if (!temporary) return false;
  return moveOver(*temporary, target);
}

bool syncFile(FILE* file) {
  return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

// Others may keep the file open meanwhile, this process among them.
bool resizeFile(const std::string& path, uint64_t size) {
  win32::FileHandle file = win32::ownFile(CreateFileA(path.c_str(), GENERIC_WRITE,
                                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  return SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.get());
}

bool resizeFile(FILE* file, uint64_t size) {
  if (std::fflush(file) != 0) return false;
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (handle == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER here, end;
  const LARGE_INTEGER none{};
  end.QuadPart = static_cast<LONGLONG>(size);
  return SetFilePointerEx(handle, none, &here, FILE_CURRENT) && SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) &&
         SetEndOfFile(handle) && SetFilePointerEx(handle, here, nullptr, FILE_BEGIN);
}

bool seekFile(FILE* file, uint64_t offset) {
  if (offset > static_cast<uint64_t>(INT64_MAX)) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return false;
  }
  return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
}

std::optional<uint64_t> openFileSize(FILE* file) {
  if (std::fflush(file) != 0) return std::nullopt;
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  LARGE_INTEGER size;
  if (handle == INVALID_HANDLE_VALUE || !GetFileSizeEx(handle, &size)) return std::nullopt;
  return static_cast<uint64_t>(size.QuadPart);
}

// The Win32 error when a Win32 call failed, else the C library's.
std::string lastSystemError() {
  const int error = errno;
  const DWORD code = GetLastError();
  if (code == kRefusalCode && !refusalText.empty()) return refusalText;
  if (code != 0) return systemErrorText(code);
  return error != 0 ? std::strerror(error) : "unknown error";
}

std::string systemErrorMessage(int code) { return systemErrorText(static_cast<DWORD>(code)); }

// The copy keeps its source's last-write time (CopyFile does).
bool copyFileReplacing(const std::string& from, const std::string& to, std::string* reason) {
  auto fail = [reason] {
    if (reason) *reason = lastSystemError();
    return false;
  };
  std::optional<std::string> replaceable = replaceableTarget(to);
  if (!replaceable) return fail();
  std::optional<std::string> temporary = createTemporaryBeside(*replaceable, [&](const std::string& name) {
    return CopyFileA(from.c_str(), name.c_str(), TRUE) != 0;
  });
  if (!temporary || !moveOver(*temporary, *replaceable)) return fail();
  return true;
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
