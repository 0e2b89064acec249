// Owners for Win32 handles, so every early return closes what was opened.
// Only the Win32 layer (src/platform/*_win32.cpp, src/frontends/win32)
// includes this header.
#pragma once

#include <windows.h>

#include <memory>

namespace quorvel::win32 {

struct FileHandleCloser {
  void operator()(HANDLE h) const {
    if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};
using FileHandle = std::unique_ptr<void, FileHandleCloser>;

inline FileHandle ownFile(HANDLE h) {
  return FileHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

struct FindCloser {
  void operator()(HANDLE h) const {
    if (h && h != INVALID_HANDLE_VALUE) FindClose(h);
  }
};
using FindHandle = std::unique_ptr<void, FindCloser>;

struct RegistryKeyCloser {
  void operator()(HKEY key) const {
    if (key) RegCloseKey(key);
  }
};
using RegistryKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegistryKeyCloser>;

}  // namespace quorvel::win32
