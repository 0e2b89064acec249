#include "app/settings.h"

#include <cstdio>

#include "util/text_format.h"

namespace quorvel {

float readFloatSetting(ProfileStore& settings, const std::string& section, const std::string& key,
                       float defaultValue) {
  std::string text = settings.readString(section, key, "not a number");
  float value = 0.0f;
  if (std::sscanf(text.c_str(), "%f", &value) != 1) return defaultValue;
  return value;
}

bool writeFloatSetting(ProfileStore& settings, const std::string& section, const std::string& key,
                       float value) {
  return settings.writeString(section, key, formatText("%g", static_cast<double>(value)));
}

void restoreWindowPosition(ProfileStore& settings, UserInterface& ui, Window window, const std::string& key) {
  std::optional<WindowPosition> position;
  if (auto bytes = settings.readStruct("WindowPosition", key, 8)) {
    auto int32At = [&](size_t at) {
      uint32_t v = 0;
      for (size_t i = 0; i < 4; ++i) v |= static_cast<uint32_t>((*bytes)[at + i]) << (8 * i);
      return static_cast<int32_t>(v);
    };
    position = WindowPosition{int32At(0), int32At(4)};
  }
  ui.setWindowPosition(window, position);
}

void saveWindowPosition(ProfileStore& settings, UserInterface& ui, Window window, const std::string& key) {
  auto position = ui.windowPosition(window);
  if (!position) return;
  std::vector<uint8_t> bytes;
  for (int32_t value : {position->left, position->top})
    for (size_t i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
  settings.writeStruct("WindowPosition", key, bytes);
}

}  // namespace quorvel
