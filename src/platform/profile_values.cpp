#include "platform/profile_values.h"

#include <cmath>
#include <cstdio>

#include "util/text_format.h"

namespace quorvel {

float readFloatSetting(ProfileStore& settings, const std::string& section, const std::string& key,
                       float defaultValue) {
  std::string text = settings.readString(section, key, "not a number");
  float value = 0.0f;
  if (std::sscanf(text.c_str(), "%f", &value) != 1) return defaultValue;
  // A hand-edited "inf" or "nan" would put every imported object nowhere.
  if (!std::isfinite(value)) return defaultValue;
  return value;
}

bool writeFloatSetting(ProfileStore& settings, const std::string& section, const std::string& key,
                       float value) {
  return settings.writeString(section, key, formatText("%g", static_cast<double>(value)));
}

}  // namespace quorvel
