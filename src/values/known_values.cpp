#include "values/known_values.h"

#include <cstdio>

#include "report/message_log.h"
#include "platform/file_system.h"
#include "platform/user_interface.h"
#include "util/text_format.h"
#include "values/scan_pattern.h"

namespace quorvel {

namespace {

bool isBlankOrTab(char c) { return c == ' ' || c == '\t'; }

// The entry a list line holds: blanks and tabs stripped in front, tabs,
// blanks and line ends stripped behind; "" for a comment or empty line.
std::string listEntry(const std::string& line) {
  size_t first = 0;
  while (first < line.size() && isBlankOrTab(line[first])) ++first;
  size_t last = line.size();
  while (last > first && (isBlankOrTab(line[last - 1]) || line[last - 1] == '\n' ||
                          line[last - 1] == '\r'))
    --last;
  if (first == last || line[first] == '%') return {};
  return line.substr(first, last - first);
}

}  // namespace

void loadNameList(const std::string& path, NameList& list, MessageLog& log, UserInterface& ui) {
  list.clear();
  FILE* file = openFile(path, "r");
  if (!file) {
    MessageBoxRequest box;
    box.text = "Couldn't locate file \"" + path + "\"\n";
    box.caption = "Message";
    box.buttons = Buttons::Ok;
    ui.messageBox(box);
    log.logFileOnly("Couldn't find \"%s\"\n\n", path.c_str());
    return;
  }
  log.logFileOnly("Found \"%s\":\n", path.c_str());

  // Lines are read whole, whatever their length; the file's own lines are
  // short names.
  std::string line;
  int c;
  while ((c = std::fgetc(file)) != EOF) {
    if (c != '\n') {
      line += static_cast<char>(c);
      continue;
    }
    std::string entry = listEntry(line);
    if (!entry.empty()) list.insert(std::move(entry));
    line.clear();
  }
  std::string entry = listEntry(line);
  if (!entry.empty()) list.insert(std::move(entry));
  std::fclose(file);
}

void KnownValues::build() {
  patterns.clear();
  lowerMap.clear();
  lowerPatterns.clear();
  for (const std::string& entry : names) {
    const bool isPattern = entry.find('%') != std::string::npos;
    if (isPattern) patterns.push_back(entry);
    std::string lower = toLowerAscii(entry);
    // When two entries differ only in case, the first in byte order (the
    // one with capitals) wins.
    auto [where, inserted] = lowerMap.emplace(lower, entry);
    if (inserted && isPattern) lowerPatterns.emplace_back(std::move(lower), entry);
  }
}

bool KnownValues::isKnown(const std::string& name) const {
  if (names.count(name)) return true;
  for (const std::string& pattern : patterns)
    if (matchesIntPattern(name, pattern)) return true;
  return false;
}

namespace {

void normalizeOneName(const KnownValues& known, std::string& name) {
  const std::string lower = toLowerAscii(name);
  auto found = known.lowerMap.find(lower);
  if (found != known.lowerMap.end()) {
    if (name != found->second) name = found->second;
    return;
  }
  for (const auto& [lowerPattern, pattern] : known.lowerPatterns) {
    if (!matchesIntPattern(lower, lowerPattern)) continue;
    // The pattern's spelling replaces the name's leading letters; the
    // number and whatever follows it stay.
    for (size_t i = 0; i < name.size() && i < pattern.size() && pattern[i] != '%'; ++i)
      name[i] = pattern[i];
    return;
  }
}

}  // namespace

void KnownValues::normalizeValueNames(Value& value) const {
  // Members before their group, without recursion: value trees come from
  // files and may be deep.
  struct Pending {
    Value* value;
    size_t nextChild;
  };
  std::vector<Pending> stack{{&value, 0}};
  while (!stack.empty()) {
    Pending& top = stack.back();
    if (top.value->isGroup() && top.nextChild < top.value->children.size()) {
      Value* child = top.value->children[top.nextChild++].get();
      if (child) stack.push_back({child, 0});
      continue;
    }
    normalizeOneName(*this, top.value->name);
    stack.pop_back();
  }
}

}  // namespace quorvel
