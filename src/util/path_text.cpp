#include "util/path_text.h"

#include "util/text_format.h"

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

std::string fileStem(std::string_view path) {
  std::string name = fileNamePart(path);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

bool hasExtension(std::string_view path, std::string_view extension) {
  return path.size() >= extension.size() && equalsNoCase(path.substr(path.size() - extension.size()), extension);
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
