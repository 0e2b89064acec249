// Numbers with a fraction in the settings file, on top of the profile store,
// which reads and writes only strings, integers and structures.
#pragma once

#include <string>

#include "platform/profile_store.h"

namespace quorvel {

// Scans the value with "%f"; `defaultValue` when the key is missing or its
// text is not a finite number.
float readFloatSetting(ProfileStore& settings, const std::string& section, const std::string& key,
                       float defaultValue);
// Writes the value with "%g".
bool writeFloatSetting(ProfileStore& settings, const std::string& section, const std::string& key,
                       float value);

}  // namespace quorvel
