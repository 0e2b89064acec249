// The game's installation values from the registry. The game is a 32-bit
// program, so on 64-bit Windows its values live in the 32-bit view.
#include <windows.h>

#include "platform/installation.h"
#include "platform/win32_handles.h"

namespace quorvel {

namespace {

constexpr DWORD kMaxValueBytes = 260;

// A missing value, a value of another type or a longer one reads as empty.
std::string readStringValue(HKEY key, const char* name) {
  char buffer[kMaxValueBytes + 1] = {};
  DWORD type = 0;
  DWORD size = kMaxValueBytes;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS)
    return std::string();
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::string();
  // The stored data need not end in a terminator.
  size = std::min<DWORD>(size, kMaxValueBytes);
  return std::string(buffer, strnlen(buffer, size));
}

}  // namespace

InstallationValues readInstallationValues() {
  InstallationValues values;
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Ambermoor\\Halvorn", 0,
                    KEY_QUERY_VALUE | KEY_WOW64_32KEY, &opened) != ERROR_SUCCESS)
    return values;
  win32::RegistryKey key(opened);
  values.dataDrive = readStringValue(key.get(), "Data Drive");
  values.installedDirectory = readStringValue(key.get(), "Installed Directory");
  values.patchDir = readStringValue(key.get(), "Patch Dir");
  return values;
}

}  // namespace quorvel
