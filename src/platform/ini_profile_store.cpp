#include "platform/ini_profile_store.h"

#include <cstdio>
#include <cstdlib>

#include "platform/file_system.h"
#include "util/text_format.h"

namespace quorvel {

namespace {

// One line of the file, its line end kept so untouched lines are written
// back byte for byte.
struct IniLine {
  std::string text;
  std::string ending;
};

std::vector<IniLine> splitLines(std::string_view content) {
  std::vector<IniLine> lines;
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    size_t next = end == std::string::npos ? content.size() : end + 1;
    size_t textEnd = end == std::string::npos ? content.size() : end;
    // A CR belongs to the line end only before a LF: a lone CR is text.
    if (end != std::string::npos && textEnd > start && content[textEnd - 1] == '\r') --textEnd;
    lines.push_back({std::string(content.substr(start, textEnd - start)),
                     std::string(content.substr(textEnd, next - textEnd))});
    start = next;
  }
  return lines;
}

// The section name of a "[name]" line.
std::optional<std::string_view> sectionName(std::string_view line) {
  line = trimBlanks(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  line.remove_prefix(1);
  size_t close = line.find(']');
  if (close != std::string_view::npos) line = line.substr(0, close);
  return trimBlanks(line);
}

// The key of a "key=value" line (not a comment).
std::optional<std::string_view> keyName(std::string_view line) {
  std::string_view trimmed = trimBlanks(line);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') return std::nullopt;
  size_t equals = trimmed.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return trimBlanks(trimmed.substr(0, equals));
}

std::string_view valueText(std::string_view line) {
  size_t equals = line.find('=');
  return trimBlanks(line.substr(equals + 1));
}

struct KeyPosition {
  std::optional<size_t> keyLine;      // the line holding the key
  std::optional<size_t> sectionLine;  // the first matching section header
  size_t sectionEnd = 0;              // one past the last non-blank line of that section
};

KeyPosition findKey(const std::vector<IniLine>& lines, const std::string& section,
                    const std::string& key) {
  KeyPosition found;
  bool inMatchingSection = false;
  bool inFirstMatchingSection = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (auto name = sectionName(lines[i].text)) {
      inMatchingSection = equalsNoCase(*name, section);
      inFirstMatchingSection = inMatchingSection && !found.sectionLine;
      if (inFirstMatchingSection) {
        found.sectionLine = i;
        found.sectionEnd = i + 1;
      }
      continue;
    }
    if (!inMatchingSection) continue;
    if (inFirstMatchingSection && !trimBlanks(lines[i].text).empty()) found.sectionEnd = i + 1;
    auto name = keyName(lines[i].text);
    if (name && equalsNoCase(*name, key) && !found.keyLine) found.keyLine = i;
  }
  return found;
}

// A missing or unreadable file reads as an empty one.
std::string readContent(const std::string& path) {
  auto bytes = readWholeFile(path);
  if (!bytes) return {};
  return std::string(bytes->begin(), bytes->end());
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::optional<std::string> findProfileValue(std::string_view content, const std::string& section,
                                            const std::string& key) {
  std::vector<IniLine> lines = splitLines(content);
  KeyPosition position = findKey(lines, section, key);
  if (!position.keyLine) return std::nullopt;
  return std::string(valueText(lines[*position.keyLine].text));
}

std::optional<std::string> setProfileValue(std::string_view content, const std::string& section,
                                           const std::string& key, const std::string& value) {
  if (value.find_first_of("\r\n") != std::string::npos || key.find_first_of("\r\n=[;") != std::string::npos ||
      section.find_first_of("\r\n]") != std::string::npos || trimBlanks(key) != key ||
      trimBlanks(section) != section || key.empty())
    return std::nullopt;
  std::vector<IniLine> lines = splitLines(content);
  // New lines follow the file's own line ends; a new file gets CR LF.
  std::string newline = "\r\n";
  for (const IniLine& line : lines)
    if (!line.ending.empty()) {
      newline = line.ending;
      break;
    }
  if (!lines.empty() && lines.back().ending.empty()) lines.back().ending = newline;

  IniLine keyLine{key + "=" + value, newline};
  KeyPosition position = findKey(lines, section, key);
  if (position.keyLine) {
    lines[*position.keyLine].text = keyLine.text;
  } else if (position.sectionLine) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(position.sectionEnd), keyLine);
  } else {
    if (!lines.empty() && !trimBlanks(lines.back().text).empty()) lines.push_back({"", newline});
    lines.push_back({"[" + section + "]", newline});
    lines.push_back(keyLine);
  }
  std::string result;
  for (const IniLine& line : lines) result += line.text + line.ending;
  return result;
}

std::optional<std::string> IniProfileStore::findValue(const std::string& section,
                                                      const std::string& key) {
  return findProfileValue(readContent(path_), section, key);
}

std::string IniProfileStore::readString(const std::string& section, const std::string& key,
                                        const std::string& defaultValue, size_t maxLength) {
  auto value = findValue(section, key);
  if (!value) return defaultValue.substr(0, maxLength);
  std::string text = *value;
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
    text = text.substr(1, text.size() - 2);
  return text.substr(0, maxLength);
}

int IniProfileStore::readInt(const std::string& section, const std::string& key, int defaultValue) {
  auto value = findValue(section, key);
  if (!value || value->empty()) return defaultValue;
  const char* text = value->c_str();
  bool negative = false;
  if (*text == '-' || *text == '+') negative = *text++ == '-';
  long long number = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    number = number * 10 + (*text - '0');
    if (number > 0xFFFFFFFFLL) break;  // wraps like a 32-bit value would; stop early
  }
  return static_cast<int>(static_cast<uint32_t>(negative ? -number : number));
}

bool IniProfileStore::writeString(const std::string& section, const std::string& key,
                                  const std::string& value) {
  const std::string current = readContent(path_);
  // A key that already holds the value is left alone: the file is neither
  // rewritten nor synced, and keeps its time.
  if (findProfileValue(current, section, key) == value &&
      value.find_first_of("\r\n") == std::string::npos)
    return true;
  auto content = setProfileValue(current, section, key, value);
  if (!content) return false;
  if (replaceFileAtomically(
          path_, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(content->data()), content->size())))
    return true;
  if (!saveFailed_)
    std::fprintf(stderr, "ERROR: could not save the setting \"%s\" of [%s] in \"%s\": %s.\n", key.c_str(),
                 section.c_str(), path_.c_str(), lastSystemError().c_str());
  saveFailed_ = true;
  return false;
}

std::optional<std::vector<uint8_t>> IniProfileStore::readStruct(const std::string& section,
                                                                const std::string& key, size_t size) {
  auto value = findValue(section, key);
  if (!value) return std::nullopt;
  return decodeProfileStruct(*value, size);
}

bool IniProfileStore::writeStruct(const std::string& section, const std::string& key,
                                  const std::vector<uint8_t>& bytes) {
  return writeString(section, key, encodeProfileStruct(bytes));
}

std::string encodeProfileStruct(const std::vector<uint8_t>& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  uint8_t checksum = 0;
  for (uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
    checksum = static_cast<uint8_t>(checksum + byte);
  }
  text += kDigits[checksum >> 4];
  text += kDigits[checksum & 15];
  return text;
}

std::optional<std::vector<uint8_t>> decodeProfileStruct(const std::string& text, size_t size) {
  if (text.size() != 2 * (size + 1)) return std::nullopt;
  std::vector<uint8_t> bytes;
  bytes.reserve(size + 1);
  for (size_t i = 0; i < text.size(); i += 2) {
    int high = hexDigit(text[i]), low = hexDigit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<uint8_t>(high * 16 + low));
  }
  uint8_t stored = bytes.back();
  bytes.pop_back();
  uint8_t checksum = 0;
  for (uint8_t byte : bytes) checksum = static_cast<uint8_t>(checksum + byte);
  if (checksum != stored) return std::nullopt;
  return bytes;
}

}  // namespace quorvel
