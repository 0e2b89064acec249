// Without a registry the installation values come from the environment:
// HALVORN_DATA_DRIVE, HALVORN_INSTALLED_DIRECTORY and HALVORN_PATCH_DIR,
// each empty when unset.
#include <cstdlib>

#include "platform/installation.h"

namespace quorvel {

static std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

InstallationValues readInstallationValues() {
  InstallationValues values;
  values.dataDrive = environmentValue("HALVORN_DATA_DRIVE");
  values.installedDirectory = environmentValue("HALVORN_INSTALLED_DIRECTORY");
  values.patchDir = environmentValue("HALVORN_PATCH_DIR");
  return values;
}

}  // namespace quorvel
