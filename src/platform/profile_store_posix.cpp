// POSIX has no private-profile functions: the settings file is kept by the
// portable INI store.
#include "platform/ini_profile_store.h"

namespace quorvel {

std::unique_ptr<ProfileStore> openProfileStore(const std::string& path) {
  return std::make_unique<IniProfileStore>(path);
}

}  // namespace quorvel
