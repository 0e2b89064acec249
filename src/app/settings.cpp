#include "app/settings.h"

#include <cmath>
#include <cstdio>

#include "util/byte_io.h"
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

void restoreWindowPosition(ProfileStore& settings, UserInterface& ui, Window window, const std::string& key) {
  std::optional<WindowPosition> position;
  if (auto bytes = settings.readStruct("WindowPosition", key, 8)) {
    position = WindowPosition{static_cast<int32_t>(decodeU32(bytes->data())),
                              static_cast<int32_t>(decodeU32(bytes->data() + 4))};
  }
  ui.setWindowPosition(window, position);
}

void saveWindowPosition(ProfileStore& settings, UserInterface& ui, Window window, const std::string& key) {
  auto position = ui.windowPosition(window);
  if (!position) return;
  ByteWriter bytes;
  bytes.i32(position->left);
  bytes.i32(position->top);
  settings.writeStruct("WindowPosition", key, bytes.buffer());
}

}  // namespace quorvel
