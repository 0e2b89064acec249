#include "values/text_file.h"

#include "platform/file_system.h"
#include "util/text_format.h"
#include "values/text_stream.h"

namespace quorvel {

std::optional<std::string> readTextFile(const std::string& path) {
  std::optional<std::vector<uint8_t>> bytes = readWholeFile(path, kMaxTextFileSize);
  if (!bytes) return std::nullopt;
  return normalizeLineEnds(std::string(bytes->begin(), bytes->end()));
}

std::string replaceExtension(const std::string& path, const std::string& suffix) {
  size_t separator = path.find_last_of("/\\:");
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) return path + suffix;
  return path.substr(0, dot) + suffix;
}

}  // namespace quorvel
