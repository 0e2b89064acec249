// The window positions of the settings file "Quorvel.ini" on top of the
// profile store (floats: platform/profile_values.h). Strings and integers are read
// and written directly with the store at their call sites.
#pragma once

#include <string>

#include "platform/profile_store.h"
#include "platform/profile_values.h"
#include "platform/user_interface.h"

namespace quorvel {

// Hands `window` its place stored under `key` of section "WindowPosition"
// (or none, so it opens where the system puts it) before it opens.
void restoreWindowPosition(ProfileStore& settings, UserInterface& ui, Window window, const std::string& key);
// Stores the window's last place (left, top as two little-endian 32-bit
// integers) under `key` after it has closed; nothing when it had none.
void saveWindowPosition(ProfileStore& settings, UserInterface& ui, Window window, const std::string& key);

}  // namespace quorvel
