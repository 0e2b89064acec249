// Values of the game's installation (the registry on Windows).
#pragma once

#include <string>

namespace quorvel {

struct InstallationValues {
  std::string dataDrive;           // "Data Drive"
  std::string installedDirectory;  // "Installed Directory"
  std::string patchDir;            // "Patch Dir"
};

InstallationValues readInstallationValues();

}  // namespace quorvel
