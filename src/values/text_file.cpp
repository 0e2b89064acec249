#include "values/text_file.h"

#include <cstdio>
#include <memory>

#include "values/text_stream.h"

namespace quorvel {

std::optional<std::string> readTextFile(const std::string& path) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, got);
  if (std::ferror(file.get())) return std::nullopt;
  return normalizeLineEnds(std::move(bytes));
}

std::string replaceExtension(const std::string& path, const std::string& suffix) {
  size_t separator = path.find_last_of("/\\:");
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) return path + suffix;
  return path.substr(0, dot) + suffix;
}

}  // namespace quorvel
