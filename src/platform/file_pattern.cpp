#include "platform/file_pattern.h"

#include <algorithm>

#include "util/text_format.h"

namespace quorvel {

bool matchesWildcard(std::string_view name, std::string_view pattern) {
  // Iterative matcher with one backtrack point: linear in practice and no
  // recursion however many "*" a pattern holds.
  size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || equalsNoCase(pattern.substr(p, 1), name.substr(n, 1)))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool matchesAnyPattern(const std::string& name, const std::string& patterns) {
  size_t start = 0;
  while (start <= patterns.size()) {
    size_t end = patterns.find(';', start);
    if (end == std::string::npos) end = patterns.size();
    std::string_view one = trimBlanks(std::string_view(patterns).substr(start, end - start));
    if (!one.empty() && matchesWildcard(name, one)) return true;
    start = end + 1;
  }
  return false;
}

void sortFileNames(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const std::string lowerA = toLowerAscii(a), lowerB = toLowerAscii(b);
    return lowerA != lowerB ? lowerA < lowerB : a < b;
  });
}

}  // namespace quorvel
