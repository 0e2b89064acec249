#include "util/path_text.h"

namespace quorvel {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool endsWithSeparator(std::string_view path) { return !path.empty() && isSeparator(path.back()); }

std::string folderPart(std::string_view path) {
  const size_t separator = path.find_last_of("\\/");
  return separator == std::string_view::npos ? std::string() : std::string(path.substr(0, separator + 1));
}

std::string fileNamePart(std::string_view path) {
  const size_t separator = path.find_last_of("\\/");
  return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

bool isAbsolutePath(std::string_view path) {
  if (path.empty()) return false;
  if (isSeparator(path[0])) return true;
  return path.size() >= 2 && path[1] == ':';
}

std::string absolutePath(const std::string& path, const std::string& base) {
  if (isAbsolutePath(path)) return path;
  return endsWithSeparator(base) ? base + path : base + "/" + path;
}

}  // namespace quorvel
