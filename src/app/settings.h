// The typed forms of the settings file "Quorvel.ini" on top of the profile
// store: floats and the two window positions. Strings and integers are read
// and written directly with the store at their call sites.
#pragma once

#include <string>

#include "platform/profile_store.h"
#include "platform/user_interface.h"

namespace quorvel {

// Scans the value with "%f"; `defaultValue` when the key is missing or its
// text is not a finite number.
float readFloatSetting(ProfileStore& settings, const std::string& section, const std::string& key,
                       float defaultValue);
// Writes the value with "%g".
bool writeFloatSetting(ProfileStore& settings, const std::string& section, const std::string& key,
                       float value);

// Hands `window` its place stored under `key` of section "WindowPosition"
// (or none, so it opens where the system puts it) before it opens.
void restoreWindowPosition(ProfileStore& settings, UserInterface& ui, Window window, const std::string& key);
// Stores the window's last place (left, top as two little-endian 32-bit
// integers) under `key` after it has closed; nothing when it had none.
void saveWindowPosition(ProfileStore& settings, UserInterface& ui, Window window, const std::string& key);

}  // namespace quorvel
