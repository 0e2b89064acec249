#include "values/names_file.h"

#include <optional>

#include "report/message_sink.h"
#include "util/text_format.h"
#include "values/text_file.h"

namespace quorvel {

std::string namesFilePath(const std::string& modelPath) { return replaceExtension(modelPath, ".names.txt"); }

void NamesFile::clear() {
  exact_.clear();
  lowerCase_.clear();
}

void NamesFile::read(const std::string& modelPath, MessageSink& log) {
  clear();
  std::string path = namesFilePath(modelPath);
  std::optional<std::string> text = readTextFile(path);
  if (!text) return;
  log.logMessage("File: \"%s\"\n", path.c_str());
  readText(*text);
}

void NamesFile::readText(std::string_view text) {
  auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

    size_t p = 0;
    while (p < line.size() && isBlank(line[p])) ++p;
    size_t wordStart = p;
    while (p < line.size() && !isBlank(line[p])) ++p;
    std::string_view word = line.substr(wordStart, p - wordStart);
    while (p < line.size() && isBlank(line[p])) ++p;
    std::string_view replacement = line.substr(p);
    if (word.empty() || replacement.empty()) continue;
    exact_[std::string(word)] = std::string(replacement);
    lowerCase_[toLowerAscii(word)] = std::string(replacement);
  }
}

std::string NamesFile::lookupName(const std::string& name) const {
  auto found = exact_.find(name);
  return found == exact_.end() ? std::string() : found->second;
}

std::string NamesFile::lookupNameIgnoreCase(const std::string& name) const {
  auto found = lowerCase_.find(toLowerAscii(name));
  return found == lowerCase_.end() ? std::string() : found->second;
}

}  // namespace quorvel
